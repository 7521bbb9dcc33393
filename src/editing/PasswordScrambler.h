#pragma once

#include <QString>

#include <optional>

// Stored passwords (the security password, the database password, the sibling
// program's user passwords) are kept scrambled: each character's CP932 code is
// moved by one and the result is reversed, "abc" <-> "dcb". CP932 codes are used
// so that forms stored on Windows still unscramble.

// The stored form of a password; nullopt when the password cannot be stored,
// because a character has no CP932 code, a moved code names no character, or
// the stored form would not unscramble to the password itself.
std::optional<QString> EncodePassword(const QString& password);

// The password of a stored form; nullopt when a character of the form has no
// CP932 code or its moved code names no character.
std::optional<QString> DecodePassword(const QString& scrambled);
