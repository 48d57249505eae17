#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the wait cursor while a long undo or redo runs and restores it when
// the scope ends, on every exit path (exceptions included). Without a GUI
// application (none, or a plain QCoreApplication) there is no cursor to change.
class VornWaitCursor
{
public:
    VornWaitCursor()
        : m_set(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_set)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~VornWaitCursor() { Restore(); }

    VornWaitCursor(const VornWaitCursor&) = delete;
    VornWaitCursor& operator=(const VornWaitCursor&) = delete;

    // Restores the cursor now (once).
    void Restore()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
        m_set = false;
    }

private:
    bool m_set;
};
