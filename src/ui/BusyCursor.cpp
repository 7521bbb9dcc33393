#include "ui/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
int g_depth = 0;
}

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++g_depth;
}

BusyCursor::~BusyCursor()
{
    --g_depth;
    QGuiApplication::restoreOverrideCursor();
}

BusyCursor::Pause::Pause() : m_depth(g_depth)
{
    for (int i = 0; i < m_depth; ++i)
        QGuiApplication::restoreOverrideCursor();
}

BusyCursor::Pause::~Pause()
{
    for (int i = 0; i < m_depth; ++i)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}
