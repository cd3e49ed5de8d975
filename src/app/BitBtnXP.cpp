#include "app/BitBtnXP.h"

#include <QKeyEvent>

TBitBtnXP::TBitBtnXP(const QString &caption, const QIcon &icon, QWidget *parent)
    : QPushButton(icon, caption, parent)
{
    setAutoDefault(false);
}

void TBitBtnXP::setCancel(bool cancel)
{
    m_cancel = cancel;
    watchWindow();
}

void TBitBtnXP::watchWindow()
{
    QWidget *target = m_cancel && window() != this ? window() : nullptr;
    if (target == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = target;
    // A key the focused control leaves unused travels up to the window, where the filter sees it
    // before the window's own handling (a dialog would close on Escape).
    if (m_window)
        m_window->installEventFilter(this);
}

bool TBitBtnXP::event(QEvent *event)
{
    // Moved into another window: Escape there clicks it from now on.
    if (event->type() == QEvent::ParentChange)
        watchWindow();
    return QPushButton::event(event);
}

bool TBitBtnXP::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            if (isEnabled())
                click();
            return true;
        }
    }
    return QPushButton::eventFilter(watched, event);
}
