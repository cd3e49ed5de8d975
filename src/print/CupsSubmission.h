#pragma once

#include <QByteArray>
#include <QList>
#include <QPrintEngine>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <cups/cups.h>

#include <optional>

class QPageLayout;

// Handing a drawn job to the print service (CUPS) ourselves: Qt's own submission drops the service's
// answer, so a refused job would pass as printed.

// Qt's print dialog keeps the printer's own options chosen on its option page (quality, tray,
// colour...) as name/value pairs under this private property key of its CUPS print engine; Qt offers
// no public call for them, and a job we hand over ourselves must carry them, or the choices are lost.
inline constexpr QPrintEngine::PrintEnginePropertyKey QtCupsJobOptionsKey
        = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// One job option as the print service names it; an empty value marks a flag such as "landscape".
struct CupsJobOption
{
    QByteArray name;
    QByteArray value;

    bool operator==(const CupsJobOption &) const = default;
};

// A drawn job ready for the print service. The file stays the caller's; the same job may be handed
// over again after a refusal that passes.
struct CupsJob
{
    QString queue; // a queue name, without an instance ("queue/instance" prints on "queue")
    QString file;
    QString title;
    QList<CupsJobOption> options;
};

// The service's answer to one submission.
struct CupsSubmissionResult
{
    int jobId = 0;                       // the service's id of the job it took; 0 when it refused
    ipp_status_t status = IPP_STATUS_OK; // the service's status for the submission
    QString serviceText;                 // the service's own words for it (may be empty)

    bool accepted() const { return jobId > 0; }
};

// Hands job to the print service and reports what it answered; never throws.
CupsSubmissionResult SubmitCupsJob(const CupsJob &job);

// Whether the queue accepts jobs ("printer-is-accepting-jobs"); nullopt when the service cannot say.
// Tells the scheduler's full job list (a generic "not possible") from a queue that rejects jobs.
std::optional<bool> CupsQueueAcceptsJobs(const QString &queue);

// The options that carry a page's paper (unscaled), sides and orientation to the service, followed by the
// name/value pairs chosen in the set-up dialog (an odd last name is dropped).
QList<CupsJobOption>
CupsJobOptions(const QPageLayout &layout, QPrinter::DuplexMode duplex, const QStringList &chosen);

// The name/value pairs the set-up dialog left on printer's print engine (empty when there are none).
QStringList SetupDialogCupsOptions(QPrinter &printer);

// The queue a printer name prints on: the part before an instance's "/".
QString CupsQueueOf(const QString &printerName);
