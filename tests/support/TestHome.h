#pragma once

#include "QtPrinters.h"

#include <QString>
#include <QTemporaryDir>

// A fresh QUILLET_HOME for one test: created empty, pointed at by the
// environment for the test's duration, removed afterwards.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    // The folder, ending in '/'.
    QString path() const;
    QString file(const QString& name) const { return path() + name; }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
