#pragma once

// What the print layer waits through while the print service is full: the application hands one
// down (a progress window with Cancel); the print layer itself never opens a window.
class TPrintWaiter
{
public:
    virtual ~TPrintWaiter() = default;
    // Waits pauseMs (events may run meanwhile). False when the user cancelled the run: the envelope
    // waited for is then not printed.
    virtual bool waitForPrinter(int pauseMs) = 0;
};

// The waiter TPrinter::endDoc waits through; nullptr = none (a plain pause that is never cancelled).
// Returns the previous one.
TPrintWaiter *SetPrintWaiter(TPrintWaiter *waiter);
// The installed waiter, or the plain pause.
TPrintWaiter &CurrentPrintWaiter();
