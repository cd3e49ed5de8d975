#include "print/PrintRetry.h"

#include "core/translateunit.h"

#include <cups/ipp.h>

#include <algorithm>

EPrintCancelled::EPrintCancelled()
    : EKuvertinoError(TranslateText(QStringLiteral("Der Druck wurde abgebrochen.")))
{}

TRefusal ClassifyRefusal(int ippStatus, const std::function<std::optional<bool>()> &queueAccepting)
{
    switch (ippStatus) {
    case IPP_STATUS_ERROR_BUSY:
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_TEMPORARY:
    case IPP_STATUS_ERROR_TOO_MANY_JOBS:
    case IPP_STATUS_ERROR_TOO_MANY_DOCUMENTS:
        return TRefusal::Passing;
    case IPP_STATUS_ERROR_NOT_POSSIBLE: {
        const std::optional<bool> accepting = queueAccepting ? queueAccepting() : std::nullopt;
        return accepting.value_or(false) ? TRefusal::Passing : TRefusal::Lasting;
    }
    default:
        return TRefusal::Lasting;
    }
}

int RetryPauseMs(int refusals)
{
    if (refusals <= 1)
        return 500;
    // 500 << 4 is already past the ceiling; larger shifts would only overflow.
    return std::min(5000, 500 << std::min(refusals - 1, 4));
}

TRetryResult SubmitWithRetry(const std::function<TSubmitAnswer()> &submit,
                             const std::function<std::optional<bool>()> &queueAccepting,
                             const std::function<bool(int pauseMs)> &wait)
{
    TRetryResult result;
    for (;;) {
        result.answer = submit();
        ++result.attempts;
        if (result.answer.jobId > 0) {
            result.end = TSubmitEnd::Submitted;
            return result;
        }
        if (ClassifyRefusal(result.answer.ippStatus, queueAccepting) == TRefusal::Lasting) {
            result.end = TSubmitEnd::Refused;
            return result;
        }
        if (!wait(RetryPauseMs(result.attempts))) {
            result.end = TSubmitEnd::Cancelled;
            return result;
        }
    }
}
