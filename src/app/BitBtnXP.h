#pragma once

#include <QIcon>
#include <QPointer>
#include <QPushButton>

// A push button with a picture.
class TBitBtnXP : public QPushButton
{
    Q_OBJECT
public:
    explicit TBitBtnXP(const QString &caption, const QIcon &icon = QIcon(), QWidget *parent = nullptr);
    // The window's cancel button: Escape pressed anywhere in its window, when the focused control does
    // not use the key, clicks it. While it is disabled Escape does nothing there (a dialog stays open).
    void setCancel(bool cancel);
    bool isCancel() const { return m_cancel; }
    int modalResult = 0; // QDialog::Accepted / Rejected, 0 = none

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow();
    bool m_cancel = false;
    QPointer<QWidget> m_window; // whose keys a cancel button watches
};
