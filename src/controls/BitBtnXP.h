#pragma once

#include <QIcon>
#include <QPushButton>

// A push button with a picture.
class TBitBtnXP : public QPushButton
{
    Q_OBJECT
public:
    explicit TBitBtnXP(const QString &caption, const QIcon &icon = QIcon(), QWidget *parent = nullptr);
    // The window's cancel button: Escape anywhere in the window clicks it when the focused control
    // does not use the key.
    void setCancel(bool cancel) { m_cancel = cancel; }
    bool isCancel() const { return m_cancel; }
    int modalResult = 0; // QDialog::Accepted / Rejected, 0 = none

private:
    bool m_cancel = false;
};
