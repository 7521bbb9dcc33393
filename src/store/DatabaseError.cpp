#include "store/DatabaseError.h"

DatabaseError::DatabaseError(const QString& what, const QString& engineText, int code)
    : std::runtime_error(QString(what + QStringLiteral(": ") + engineText).toStdString()), m_what(what),
      m_engineText(engineText), m_code(code)
{
}

QString DatabaseError::userMessage() const
{
    if (m_engineText.isEmpty())
        return m_what;
    return m_what + QStringLiteral("\n(") + m_engineText + QLatin1Char(')');
}
