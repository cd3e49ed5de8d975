#pragma once

#include "core/Errors.h"

#include <QString>

#include <functional>
#include <optional>

// The user ended a run while it waited for the printer: the envelope waited for was not printed.
class EPrintCancelled : public EKuvertinoError
{
public:
    EPrintCancelled();
};

// How a refusal of the print service counts: one that passes is waited for and the same job is
// submitted again; a lasting one ends the run at that envelope.
enum class TRefusal { Passing, Lasting };

// Classifies a refusal by its IPP status. The scheduler's job limit comes as the generic "not
// possible" status (its quota refusal too), so that one passes only while the queue still accepts
// jobs; queueAccepting is asked only then, and an unknown answer (nullopt) counts as lasting.
TRefusal ClassifyRefusal(int ippStatus, const std::function<std::optional<bool>()> &queueAccepting);

// The pause before the attempt after `refusals` refusals of one job (1 = after the first):
// 0.5 s, doubling, at most 5 s.
int RetryPauseMs(int refusals);

// One submission's answer: a job id above 0, or the refusal's IPP status and the service's words.
struct TSubmitAnswer
{
    int jobId = 0;
    int ippStatus = 0;
    QString serviceText;
};

enum class TSubmitEnd { Submitted, Refused, Cancelled };

struct TRetryResult
{
    TSubmitEnd end = TSubmitEnd::Refused;
    TSubmitAnswer answer; // the last attempt's
    int attempts = 0;
};

// Submits one job until it is taken, a lasting refusal comes, or wait (given the pause in ms) returns
// false because the user cancelled. Every attempt submits the same job, so nothing is skipped or
// doubled.
TRetryResult SubmitWithRetry(const std::function<TSubmitAnswer()> &submit,
                             const std::function<std::optional<bool>()> &queueAccepting,
                             const std::function<bool(int pauseMs)> &wait);
