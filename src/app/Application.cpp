#include "app/Application.h"

#include "app/Components.h"
#include "app/Dialogs.h"
#include "core/Errors.h"
#include "core/translateunit.h"

#include <exception>
#include <new>

TApplicationObject *Application = nullptr;

void Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EKuvertinoError &e) {
        ShowErrorReport(e.message());
    } catch (const std::bad_alloc &) {
        ShowErrorReport(TranslateText(QStringLiteral("Zu wenig Arbeitsspeicher.")));
    } catch (const std::exception &e) {
        ShowErrorReport(QString::fromLocal8Bit(e.what()));
    }
}

bool KuvertinoApplication::notify(QObject *receiver, QEvent *event)
{
    // Every event passes here: a plain try block costs nothing until something is thrown.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &) {
        // Rethrown inside the report so it shows the text as for any handler.
        Guarded([] { throw; });
        return false;
    }
}
