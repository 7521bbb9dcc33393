#pragma once

#include <QString>
#include <stdexcept>

// A failure of the database engine, carrying the engine's own text so that the
// user sees what went wrong. Callers catch it at the command boundary and report
// it; the program then keeps running.
class DatabaseError : public std::runtime_error
{
public:
    DatabaseError(const QString& what, const QString& engineText = {}, int code = 0);

    // What Quillet was doing, in the user's words.
    QString what16() const { return m_what; }
    QString engineText() const { return m_engineText; }
    int code() const { return m_code; }
    // The full message for a message box: what failed and the engine's text.
    QString userMessage() const;

private:
    QString m_what;
    QString m_engineText;
    int m_code;
};
