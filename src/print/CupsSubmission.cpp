#include "print/CupsSubmission.h"

#include <QFile>
#include <QPageLayout>
#include <QPrintEngine>
#include <QVariant>

#include <vector>

CupsSubmissionResult SubmitCupsJob(const CupsJob &job)
{
    // The option texts live in byte arrays for the call; cups_option_t only points into them.
    QList<QByteArray> storage;
    storage.reserve(job.options.size() * 2);
    for (const CupsJobOption &o : job.options)
        storage << o.name << o.value;
    std::vector<cups_option_t> options;
    options.reserve(job.options.size());
    for (qsizetype i = 0; i < storage.size(); i += 2)
        options.push_back(cups_option_t{storage[i].data(), storage[i + 1].data()});

    const QByteArray queue = job.queue.toLocal8Bit();
    const QByteArray file = QFile::encodeName(job.file);
    const QByteArray title = job.title.toUtf8();
    CupsSubmissionResult result;
    result.jobId = cupsPrintFile(queue.constData(),
                                 file.constData(),
                                 title.constData(),
                                 int(options.size()),
                                 options.empty() ? nullptr : options.data());
    result.status = cupsLastError();
    if (!result.accepted()) {
        const char *why = cupsLastErrorString();
        result.serviceText = why ? QString::fromLocal8Bit(why) : QString();
    }
    return result;
}

std::optional<bool> CupsQueueAcceptsJobs(const QString &queue)
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toLocal8Bit().constData(), nullptr);
    if (!dest)
        return std::nullopt;
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    std::optional<bool> result;
    if (accepting)
        result = qstrcmp(accepting, "true") == 0;
    cupsFreeDests(1, dest);
    return result;
}

QList<CupsJobOption>
CupsJobOptions(const QPageLayout &layout, QPrinter::DuplexMode duplex, const QStringList &chosen)
{
    QList<CupsJobOption> options;
    options.append(CupsJobOption{"media", layout.pageSize().key().toLocal8Bit()});
    // The page is laid out to the millimetre for its paper: no filter may fit it to another size.
    // "print-scaling" is the IPP attribute; filters older than it read "fit-to-page".
    options.append(CupsJobOption{"print-scaling", "none"});
    options.append(CupsJobOption{"fit-to-page", "false"});
    switch (duplex) {
    case QPrinter::DuplexNone:
        options.append(CupsJobOption{"sides", "one-sided"});
        break;
    case QPrinter::DuplexAuto:
        options.append(CupsJobOption{"sides",
                                     layout.orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                                   : "two-sided-short-edge"});
        break;
    case QPrinter::DuplexLongSide:
        options.append(CupsJobOption{"sides", "two-sided-long-edge"});
        break;
    case QPrinter::DuplexShortSide:
        options.append(CupsJobOption{"sides", "two-sided-short-edge"});
        break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        options.append(CupsJobOption{"landscape", QByteArray()});
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        options.append(CupsJobOption{chosen[i].toLocal8Bit(), chosen[i + 1].toLocal8Bit()});
    return options;
}

QStringList SetupDialogCupsOptions(QPrinter &printer)
{
    QPrintEngine *engine = printer.printEngine();
    return engine ? engine->property(QtCupsJobOptionsKey).toStringList() : QStringList();
}

QString CupsQueueOf(const QString &printerName)
{
    return printerName.section(u'/', 0, 0);
}
