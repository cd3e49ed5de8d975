#include "print/MergeEngine.h"

#include "core/Errors.h"
#include "print/PrintRetry.h"
#include "print/PrintWaiter.h"

namespace {

// The printer waits through the run's waiter while the run goes, and through the one before after it.
class WaiterScope
{
public:
    explicit WaiterScope(TPrintWaiter *waiter)
        : m_installed(waiter != nullptr)
        , m_previous(m_installed ? SetPrintWaiter(waiter) : nullptr)
    {}
    ~WaiterScope()
    {
        if (m_installed)
            SetPrintWaiter(m_previous);
    }
    WaiterScope(const WaiterScope &) = delete;
    WaiterScope &operator=(const WaiterScope &) = delete;

private:
    bool m_installed;
    TPrintWaiter *m_previous;
};

// The run is over without handing it over; the error that ended it is the one to report.
void abortQuietly(TPrintTarget &target)
{
    try {
        target.abortRun();
    } catch (...) {
    }
}

} // namespace

EnvelopeValue EnvelopeForRecord(const EnvelopeValue &envelope, const TMergeRecord &record)
{
    EnvelopeValue e = envelope;
    e.recipient = record.recipient;
    return e;
}

TMergeResult RunMerge(TRecordSource &records,
                      const EnvelopeValue &envelope,
                      TPrintTarget &target,
                      int total,
                      const TMergeServices &services)
{
    const WaiterScope waiting(services.waiter);
    TMergeResult result;
    std::optional<TMergeRecord> first; // the first record handed to the target
    const auto fail = [&result](const EKuvertinoError &error) {
        result.end = TMergeEnd::Failed;
        result.failure = std::current_exception();
        result.failureText = error.message();
    };
    target.beginRun(total);
    try {
        TMergeRecord record;
        while (records.next(record)) {
            result.next = record;
            if (services.progress && services.progress->cancelRequested()) {
                result.end = TMergeEnd::Cancelled;
                break;
            }
            const EnvelopeValue e = EnvelopeForRecord(envelope, record);
            if (services.progress)
                services.progress->recordStarting(record, e);
            if (!first)
                first = record;
            try {
                target.recordNext(record);
                target.printEnvelope(e);
            } catch (const EPrintCancelled &) {
                result.end = TMergeEnd::Cancelled;
                break;
            } catch (const EKuvertinoError &error) {
                fail(error);
                break;
            }
            result.next.reset();
            ++result.printed;
            if (services.progress)
                services.progress->envelopePrinted();
        }
    } catch (...) {
        abortQuietly(target);
        throw;
    }
    if (result.end == TMergeEnd::Completed) {
        try {
            target.endRun();
        } catch (const EPrintCancelled &) {
            result.end = TMergeEnd::Cancelled;
        } catch (const EKuvertinoError &error) {
            fail(error);
        }
    } else {
        abortQuietly(target);
    }
    // A whole-run job or file that was not handed over holds none of the run.
    if (result.end != TMergeEnd::Completed && target.handsOverAtEnd()) {
        result.printed = 0;
        if (first)
            result.next = first;
    }
    if (services.resume) {
        if (result.end == TMergeEnd::Completed)
            services.resume->runCompleted();
        else if (result.next)
            services.resume->runStopped(*result.next, result.printed);
    }
    return result;
}
