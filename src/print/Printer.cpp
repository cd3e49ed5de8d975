#include "print/Printer.h"

#include "print/PrintRetry.h"
#include "print/PrintWaiter.h"

#include "core/Errors.h"
#include "core/PaperFormats.h"
#include "core/translateunit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// Qt prints through CUPS here; jobs are handed over by the program itself (see CupsSubmission).
#define KUVERTINO_OWN_CUPS_SUBMISSION 1
#include "print/CupsSubmission.h"
#endif

namespace {

QString &pdfFolderSetting()
{
    static QString folder;
    return folder;
}

// A printer error's text: our sentence in the interface language, then the platform's own words.
QString
printerMessage(const char *sentence, const QString &arg = QString(), const QString &platformWords = QString())
{
    QString text = TranslateText(QString::fromUtf8(sentence));
    if (!arg.isNull())
        text = text.arg(arg);
    if (!platformWords.isEmpty())
        text += u' ' + platformWords;
    return text;
}

// The built-in PDF printer's paper when nothing else is chosen.
const QPageSize BuiltInDefaultPaper(QPageSize::A4);

// A job title as a file name: no path separators or characters that some file systems refuse.
QString fileNameStem(const QString &title)
{
    QString stem = title.trimmed();
    for (QChar &c : stem) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<'
            || c == u'>' || c == u'|' || c.unicode() < 0x20)
            c = u'_';
    }
    while (stem.startsWith(u'.'))
        stem.remove(0, 1);
    if (stem.isEmpty())
        stem = QStringLiteral("Kuvertino");
    return stem;
}

QPageSize pageSizeForCode(const TDevMode &dm)
{
    return PageSizeForPaperCode(dm.dmPaperSize);
}

} // namespace

QPageSize PageSizeForPaperCode(int code)
{
    if (code == TDevMode::DMPAPER_USER)
        return QPageSize(QSizeF(125, 176), QPageSize::Millimeter, QStringLiteral("B6 (125 x 176 mm)"));
    if (code >= 1 && code < TDevMode::DMPAPER_USER) {
        const QPageSize::PageSizeId id = QPageSize::id(code);
        // id() answers Custom for codes it does not know: such a code requests nothing.
        if (id == QPageSize::Custom)
            return QPageSize();
        const QPageSize standard(id);
        const QSizeF mm = standard.size(QPageSize::Millimeter);
        // A few papers (envelope B6) are defined wider than tall; in portrait the short side must run
        // across the page, as for every other paper, or the portrait box would print landscape.
        if (mm.width() > mm.height())
            return QPageSize(mm.transposed(), QPageSize::Millimeter, standard.name(), QPageSize::ExactMatch);
        return standard;
    }
    return QPageSize();
}

TPrinter::TPrinter()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.isEmpty())
            info = QPrinterInfo::printerInfo(names.first());
    }
    createPrinter(info.isNull() ? QString() : info.printerName());
}

TPrinter::~TPrinter()
{
    if (printing())
        abortDoc();
}

void TPrinter::setPdfOutputFolder(const QString &folder)
{
    pdfFolderSetting() = folder;
}

QString TPrinter::pdfOutputFolder()
{
    QString folder = pdfFolderSetting();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                 + QStringLiteral("/Kuvertino/");
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void TPrinter::useBuiltInPdfPrinter()
{
    createPrinter(QString());
}

void TPrinter::selectPrinter(const QString &name)
{
    createPrinter(name);
}

bool TPrinter::isBuiltInPdfPrinter() const
{
    return m_builtIn;
}

QString TPrinter::printerName() const
{
    return m_builtIn ? QString() : m_printer->printerName();
}

void TPrinter::createPrinter(const QString &name)
{
    if (printing())
        abortDoc();
    QPrinterInfo info;
    if (!name.isEmpty())
        info = QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        m_builtIn = true;
        if (!m_printer || m_printer->outputFormat() != QPrinter::PdfFormat) {
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_printer->setOutputFormat(QPrinter::PdfFormat);
            m_printer->setCreator(QStringLiteral("Kuvertino"));
        }
        m_printer->setResolution(1200);
        m_printer->setCopyCount(1);
        // The built-in printer has no unprintable border: its page is the whole sheet.
        m_printer->setPageLayout(QPageLayout(BuiltInDefaultPaper,
                                             QPageLayout::Portrait,
                                             QMarginsF(0, 0, 0, 0),
                                             QPageLayout::Millimeter,
                                             QMarginsF(0, 0, 0, 0)));
        m_printer->setFullPage(true);
    } else {
        m_builtIn = false;
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        m_printer->setCreator(QStringLiteral("Kuvertino"));
    }
    m_devMode = TDevMode();
    syncSettingsFromPrinter();
}

void TPrinter::reselectWithDefaults()
{
    createPrinter(m_builtIn ? QString() : m_printer->printerName());
}

void TPrinter::applySettings()
{
    if (printing())
        return;
    const TDevMode &dm = m_devMode;
    if (dm.dmFields & TDevMode::DM_PAPERSIZE) {
        const QPageSize size = pageSizeForCode(dm);
        if (size.isValid() && !size.isEquivalentTo(m_printer->pageLayout().pageSize())) {
            if (m_builtIn) {
                QPageLayout layout = m_printer->pageLayout();
                layout.setPageSize(size, QMarginsF(0, 0, 0, 0));
                m_printer->setPageLayout(layout);
            } else {
                m_printer->setPageSize(size);
            }
        }
    }
    applyOrientation();
}

void TPrinter::applyOrientation()
{
    const TDevMode &dm = m_devMode;
    if (!(dm.dmFields & TDevMode::DM_ORIENTATION))
        return;
    if (dm.dmOrientation != TDevMode::DMORIENT_PORTRAIT && dm.dmOrientation != TDevMode::DMORIENT_LANDSCAPE)
        return;
    // A printer that takes envelopes short edge first gets the other orientation: the envelope is
    // turned onto that page as the job is drawn.
    const bool landscape = (dm.dmOrientation == TDevMode::DMORIENT_LANDSCAPE) != m_calibration.shortEdgeFirst;
    m_printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinter::syncSettingsFromPrinter()
{
    // The set-up dialog may have switched between a system printer and the PDF output.
    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        m_builtIn = true;
        m_printer->setFullPage(true);
        m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    } else {
        m_builtIn = false;
    }
    // The printer chosen here or in the set-up dialog brings its own set-up along, which says how the
    // page the dialog shows lies against the envelope.
    m_calibration = LoadCalibration(printerName());
    const QPageLayout layout = m_printer->pageLayout();
    const QPageSize size = layout.pageSize();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    m_devMode.dmPaperSize = size.windowsId();
    // A paper without a standard code (a custom size, or one such as A1 that has none) is recorded
    // as no code: applying the record again keeps it, where the user-paper code would switch to
    // the 125 x 176 mm paper of the last format entry.
    if (m_devMode.dmPaperSize >= TDevMode::DMPAPER_USER)
        m_devMode.dmPaperSize = 0;
    m_devMode.dmPaperWidth = qRound(mm.width() * 10);
    m_devMode.dmPaperLength = qRound(mm.height() * 10);
    const bool landscape = (layout.orientation() == QPageLayout::Landscape) != m_calibration.shortEdgeFirst;
    m_devMode.dmOrientation = landscape ? TDevMode::DMORIENT_LANDSCAPE : TDevMode::DMORIENT_PORTRAIT;
    m_devMode.dmFields |= TDevMode::DM_ORIENTATION | TDevMode::DM_PAPERSIZE;
    setCalibration(m_calibration);
}

void TPrinter::setCalibration(const PrinterCalibration &calibration)
{
    m_calibration = calibration;
    if (printing())
        return;
    // The built-in printer has no border: its page is always the whole paper.
    if (!m_builtIn)
        m_printer->setFullPage(m_calibration.fromPaperEdge);
    applyOrientation();
}

QMarginsF TPrinter::unprintableMarginsMM() const
{
    const QPageLayout layout = m_printer->pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    if (!FeedsTurned(m_calibration))
        return margins;
    // The printable area as the envelope lies: the printer's area turned back.
    const QSizeF paper = paperSizeMM();
    const QRectF fed = layout.fullRect(QPageLayout::Millimeter).marginsRemoved(margins);
    const QRectF own = FeedTransform(paper, m_calibration).inverted().mapRect(fed);
    return QMarginsF(own.left(), own.top(), paper.width() - own.right(), paper.height() - own.bottom());
}

QSize TPrinter::pageSizePixels() const
{
    QSize size = m_printer->pageLayout().paintRectPixels(m_printer->resolution()).size();
    if (m_calibration.shortEdgeFirst)
        size.transpose();
    return size;
}

int TPrinter::pageWidth() const
{
    return pageSizePixels().width();
}

int TPrinter::pageHeight() const
{
    return pageSizePixels().height();
}

int TPrinter::resolutionX() const
{
    return m_printer->resolution();
}

QSizeF TPrinter::paperSizeMM() const
{
    QSizeF size = m_printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (m_calibration.shortEdgeFirst)
        size.transpose();
    return size;
}

bool TPrinter::isLandscape() const
{
    return (m_printer->pageLayout().orientation() == QPageLayout::Landscape) != m_calibration.shortEdgeFirst;
}

QPageSize TPrinter::paperSize() const
{
    return m_printer->pageLayout().pageSize();
}

QTransform TPrinter::feedTransformPixels() const
{
    const double dpi = m_printer->resolution();
    const auto pixels = [dpi](double mm) { return mm / MmPerInch * dpi; };
    const QSizeF paper = paperSizeMM();
    const QMarginsF own = unprintableMarginsMM();
    const bool fullPage = m_builtIn || m_calibration.fromPaperEdge;
    const QPoint shift = ShiftInPixels(m_calibration, m_printer->resolution());
    // Page as drawn -> paper as the envelope lies (page origin, shift) -> paper as fed -> page as fed.
    const QPointF ownOrigin = fullPage ? QPointF() : QPointF(pixels(own.left()), pixels(own.top()));
    const QPointF fedOrigin = m_printer->pageLayout().paintRectPixels(m_printer->resolution()).topLeft();
    return QTransform::fromTranslate(ownOrigin.x() + shift.x(), ownOrigin.y() + shift.y())
           * FeedTransform(QSizeF(pixels(paper.width()), pixels(paper.height())), m_calibration)
           * QTransform::fromTranslate(-fedOrigin.x(), -fedOrigin.y());
}

void TPrinter::setTitle(const QString &title)
{
    m_title = title;
}

QString TPrinter::title() const
{
    return m_title;
}

QString TPrinter::nextPdfFileName() const
{
    const QString folder = pdfOutputFolder();
    const QString stem = folder + fileNameStem(m_title);
    // Jobs of one run usually follow each other: start after the last number this run used.
    int n = (stem == m_lastStem && m_lastNumber > 0) ? m_lastNumber + 1 : 1;
    QString name;
    for (;; ++n) {
        name = stem + u'-' + QString::number(n) + QStringLiteral(".pdf");
        if (!QFileInfo::exists(name))
            break;
    }
    m_lastStem = stem;
    m_lastNumber = n;
    return name;
}

void TPrinter::beginDoc()
{
    if (printing())
        throw EPrinterError(printerMessage(PrinterText::JobInProgress));
    m_currentPdfFile.clear();
    m_jobFile.reset();
    m_printer->setDocName(m_title);
    if (m_builtIn) {
        const QString folder = pdfOutputFolder();
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
            throw EPrinterError(
                    printerMessage(PrinterText::PdfFolderNotCreated, QDir::toNativeSeparators(folder)));
        m_currentPdfFile = nextPdfFileName();
        m_printer->setOutputFileName(m_currentPdfFile);
    } else {
#ifdef KUVERTINO_OWN_CUPS_SUBMISSION
        // The job is drawn into a file of our own and handed to the print service at the end, so a
        // refused job is reported and an aborted one never reaches the queue.
        m_jobFile = std::make_unique<QTemporaryFile>(QDir::tempPath()
                                                     + QStringLiteral("/kuvertino-job-XXXXXX.prn"));
        if (!m_jobFile->open()) {
            const QString why = m_jobFile->errorString();
            m_jobFile.reset();
            throw EPrinterError(printerMessage(PrinterText::JobNotStarted, QString(), why));
        }
        m_jobFile->close();
        m_printer->setOutputFileName(m_jobFile->fileName());
#endif
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(m_printer.get())) {
        QString why;
        const QString file = m_builtIn ? m_currentPdfFile : m_jobFile ? m_jobFile->fileName() : QString();
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            why = probe.errorString();
        probe.close();
        cleanUpJobFiles(true);
        if (m_builtIn)
            throw EPrinterError(
                    printerMessage(PrinterText::PdfFileNotWritten, QDir::toNativeSeparators(file), why));
        throw EPrinterError(printerMessage(PrinterText::PrinterCannotStart, m_printer->printerName()));
    }
    if (FeedsTurned(m_calibration)) {
        // The turn lies beneath everything the renderers draw; the shift, as the envelope lies, is in it.
        ApplyPrintShift(*painter, PrinterCalibration(), m_printer->resolution());
        painter->setWorldTransform(feedTransformPixels());
    } else {
        ApplyPrintShift(*painter, m_calibration, m_printer->resolution());
    }
    m_painter = std::move(painter);
}

QPainter &TPrinter::canvas()
{
    if (!m_painter)
        throw EPrinterError(printerMessage(PrinterText::NoJobInProgress));
    return *m_painter;
}

void TPrinter::newPage()
{
    if (!m_painter)
        throw EPrinterError(printerMessage(PrinterText::NoJobInProgress));
    // The painter's state, the shift and the feed's turn included, carries over to the new page.
    if (!m_printer->newPage())
        throw EPrinterError(printerMessage(PrinterText::PageNotStarted));
}

void TPrinter::cleanUpJobFiles(bool removeOutput)
{
    // The built-in printer keeps its last file name: an empty one would switch it to a system printer.
    if (!m_builtIn)
        m_printer->setOutputFileName(QString());
    if (removeOutput && !m_currentPdfFile.isEmpty())
        QFile::remove(m_currentPdfFile);
    m_currentPdfFile.clear();
    m_jobFile.reset();
}

void TPrinter::endDoc()
{
    if (!m_painter)
        throw EPrinterError(printerMessage(PrinterText::NoJobInProgress));
    const bool ended = m_painter->end();
    m_painter.reset();
    if (!ended) {
        cleanUpJobFiles(true);
        throw EPrinterError(printerMessage(PrinterText::JobNotFinished));
    }
    if (m_builtIn) {
        m_lastOutputFile = m_currentPdfFile;
        cleanUpJobFiles(false);
        return;
    }
#ifdef KUVERTINO_OWN_CUPS_SUBMISSION
    // The drawn job stays on disk until the service has taken it; the temporary file goes with `job`.
    const std::unique_ptr<QTemporaryFile> job = std::move(m_jobFile);
    cleanUpJobFiles(false);
    CupsJob submission;
    submission.queue = CupsQueueOf(m_printer->printerName());
    submission.file = job->fileName();
    submission.title = m_title;
    submission.options = CupsJobOptions(
            m_printer->pageLayout(), m_printer->duplex(), SetupDialogCupsOptions(*m_printer));
    // A full or busy service is waited for, and the same drawn job handed over again.
    CupsSubmissionResult answer;
    const TRetryResult retried = SubmitWithRetry(
            [&] {
                answer = SubmitCupsJob(submission);
                return TSubmitAnswer{answer.jobId, int(answer.status), answer.serviceText};
            },
            [&] { return CupsQueueAcceptsJobs(submission.queue); },
            [](int pauseMs) { return CurrentPrintWaiter().waitForPrinter(pauseMs); });
    if (retried.end == TSubmitEnd::Cancelled)
        throw EPrintCancelled();
    if (!answer.accepted())
        throw EPrinterError(printerMessage(PrinterText::JobRefused, submission.queue, answer.serviceText));
    m_lastJobId = answer.jobId;
    m_recentJobIds.append(m_lastJobId);
    if (m_recentJobIds.size() > JobHistorySize)
        m_recentJobIds.removeFirst();
#else
    // The platform's own print engine has handed the job over already.
    cleanUpJobFiles(false);
#endif
}

void TPrinter::abortDoc()
{
    if (!m_painter)
        return;
    m_printer->abort();
    m_painter->end();
    m_painter.reset();
    // Whatever was drawn so far is dropped: no file, no job in the queue.
    cleanUpJobFiles(true);
}

bool TPrinter::printing() const
{
    return m_painter != nullptr;
}

QString TPrinter::lastOutputFile() const
{
    return m_lastOutputFile;
}

int TPrinter::lastJobId() const
{
    return m_lastJobId;
}

TPrinter &Printer()
{
    static TPrinter printer;
    return printer;
}
