#pragma once

#include <QApplication>

// The program's application: the last-resort error report. Handlers run guarded already; what is
// raised elsewhere while an event is delivered (a paint event, a control's own slot) is caught here
// and shown by the general error report, instead of ending the program.
class KuvertinoApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override;
};
