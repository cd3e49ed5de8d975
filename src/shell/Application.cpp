#include "Components.h"
#include "Dialogs.h"
#include "Errors.h"

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
        ShowErrorReport(QStringLiteral("Out of memory."));
    } catch (const std::exception &e) {
        ShowErrorReport(QString::fromLocal8Bit(e.what()));
    }
}
