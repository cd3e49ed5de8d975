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
            try {
                target.printEnvelope(e);
            } catch (const EPrintCancelled &) {
                result.end = TMergeEnd::Cancelled;
                break;
            } catch (const EKuvertinoError &error) {
                result.end = TMergeEnd::Failed;
                result.failure = std::current_exception();
                result.failureText = error.message();
                break;
            }
            result.next.reset();
            ++result.printed;
            if (services.progress)
                services.progress->envelopePrinted();
        }
    } catch (...) {
        target.endRun();
        throw;
    }
    target.endRun();
    if (services.resume) {
        if (result.end == TMergeEnd::Completed)
            services.resume->runCompleted();
        else if (result.next)
            services.resume->runStopped(*result.next, result.printed);
    }
    return result;
}
