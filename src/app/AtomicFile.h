#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

// Writes `bytes` as the whole content of the file at `path`, into a file
// beside it that is renamed over it only once every byte is written, so that a
// failure or a crash part way leaves the old file whole. `permissions`, when
// given, are set on the new file before the rename. False, with the reason in
// `error` when one is passed, when anything fails; the old file is then as it was.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);
