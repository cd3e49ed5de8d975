#pragma once

#include "print/MergeEngine.h"
#include "print/PrinterTarget.h"

class TPrintRun;

// The number of print jobs for a copy-count value: truncated toward zero; below 1 (or not a
// number) none.
int CopyCountFromValue(double value);

// Counts each envelope a merge hands over into the print run whose progress window shows it.
class RunCounter : public TMergeProgress
{
public:
    explicit RunCounter(TPrintRun &run)
        : m_run(run)
    {}
    void envelopePrinted() override;

protected:
    TPrintRun &m_run;
};

// The program's print target: one job per envelope on the current printer, with the designed title.
TPrinterJobTarget EnvelopeJobs();
