#include "TestHome.h"

#include <QDir>

TestHome::TestHome() : m_previous(qgetenv("QUILLET_HOME"))
{
    qputenv("QUILLET_HOME", path().toUtf8());
}

TestHome::~TestHome()
{
    qputenv("QUILLET_HOME", m_previous);
}

QString TestHome::path() const
{
    return m_dir.path() + QLatin1Char('/');
}
