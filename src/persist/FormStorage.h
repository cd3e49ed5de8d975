#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The window-placement memory of one window: read before each showing, written when the window
// closes and at program end if it was shown since.
class TFormStorage : public QObject
{
    Q_OBJECT
public:
    TFormStorage(QWidget *form, const QString &windowClass);
    ~TFormStorage() override;
};
