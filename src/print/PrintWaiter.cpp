#include "print/PrintWaiter.h"

#include <QThread>

namespace {

class PlainPause final : public TPrintWaiter
{
public:
    bool waitForPrinter(int pauseMs) override
    {
        QThread::msleep(static_cast<unsigned long>(pauseMs > 0 ? pauseMs : 0));
        return true;
    }
};

// A plain pointer: constant-initialised, so an installation during static start-up holds.
TPrintWaiter *g_waiter = nullptr;

} // namespace

TPrintWaiter *SetPrintWaiter(TPrintWaiter *waiter)
{
    TPrintWaiter *previous = g_waiter;
    g_waiter = waiter;
    return previous;
}

TPrintWaiter &CurrentPrintWaiter()
{
    static PlainPause plain;
    return g_waiter ? *g_waiter : plain;
}
