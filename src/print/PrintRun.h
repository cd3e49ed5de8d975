#pragma once

#include "shell/Errors.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

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

// A run of print jobs that one command makes (one envelope, copies, marked addresses, a CSV file):
// it counts the envelopes handed over and, while the print service is full, shows that it waits in a
// progress window whose Cancel ends the run between two envelopes. The innermost run is current;
// the print routine counts into it.
class TPrintRun
{
public:
    // alreadyPrinted: envelopes of the same job printed by an earlier run (a resumed CSV run).
    TPrintRun(QWidget *parent, int total, int alreadyPrinted = 0);
    ~TPrintRun();
    TPrintRun(const TPrintRun &) = delete;
    TPrintRun &operator=(const TPrintRun &) = delete;

    static TPrintRun *current();

    // The run's own progress window (the CSV runs have one); otherwise one is made at the first wait.
    void useProgress(QProgressDialog *progress);

    int total() const { return m_total; }
    int printed() const { return m_printed; }
    void envelopePrinted();
    bool cancelled() const { return m_cancelled; }

    // Says in the progress window that the run waits for the printer and how many envelopes are done,
    // and waits pauseMs with events running. False when the user cancelled (now or earlier).
    bool waitForPrinter(int pauseMs);

    // "%1 von %2 Umschlägen gedruckt" with this run's figures, translated.
    QString printedText() const;

private:
    QProgressDialog *progress();
    // Hands a finished run's PDF files to the run around it, or at the outermost to the listener.
    static void reportPdfFiles(TPrintRun *outer, const QString &lastFile, int files);

    QWidget *m_parent;
    int m_total;
    int m_printed = 0;
    bool m_cancelled = false;
    QPointer<QProgressDialog> m_progress;
    std::unique_ptr<QProgressDialog> m_ownProgress;
    TPrintRun *m_outer;
    // What the built-in PDF printer wrote during this run (an inner run hands its files outwards).
    QString m_lastPdfFile;
    int m_pdfFiles = 0;
};

// Waits for the printer on behalf of the current run, or of a run of one envelope when none is going.
bool WaitForPrinter(int pauseMs);

// Told once at the end of each outermost run that the built-in PDF printer wrote files for: the
// last file written and how many the run wrote. One listener at a time; an empty one stops it.
using PdfRunListener = std::function<void(const QString &lastFile, int files)>;
void SetPdfRunListener(PdfRunListener listener);
