#include "Printer.h"

#include "PrintRun.h"
#include "shell/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// Qt prints through CUPS here; jobs are handed over by the program itself (see CupsClient).
#define KUVERTINO_OWN_CUPS_SUBMISSION 1
#include <dlfcn.h>
#endif

namespace {

QString &pdfFolderSetting()
{
    static QString folder;
    return folder;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("TPrinter", text);
}

// The built-in PDF printer's paper when nothing else is chosen.
const QPageSize BuiltInDefaultPaper(QPageSize::A4);

#ifdef KUVERTINO_OWN_CUPS_SUBMISSION
// The print service's client library, taken at run time: Qt's own print plugin already loaded it
// for every system printer, and Qt's job submission drops the service's answer, so a refused job
// would otherwise pass as printed.
struct CupsOption
{
    char *name;
    char *value;
};

class CupsClient
{
public:
    using PrintFileFn = int (*)(const char *, const char *, const char *, int, CupsOption *);
    using LastErrorStringFn = const char *(*)();
    using LastErrorFn = int (*)();
    using GetNamedDestFn = void *(*)(void *, const char *, const char *);
    using FreeDestsFn = void (*)(int, void *);

    static const CupsClient &get()
    {
        static const CupsClient client;
        return client;
    }
    bool available() const { return m_printFile && m_lastErrorString && m_lastError; }

    // Whether the queue accepts jobs, as the service says; nullopt when it cannot be asked.
    std::optional<bool> acceptsJobs(const QString &queue) const
    {
        struct Dest
        {
            char *name, *instance;
            int isDefault, numOptions;
            CupsOption *options;
        };
        if (!m_getNamedDest || !m_freeDests)
            return std::nullopt;
        auto *dest = static_cast<Dest *>(m_getNamedDest(nullptr, queue.toLocal8Bit().constData(), nullptr));
        if (!dest)
            return std::nullopt;
        std::optional<bool> accepting;
        for (int i = 0; i < dest->numOptions; ++i) {
            if (qstrcmp(dest->options[i].name, "printer-is-accepting-jobs") == 0)
                accepting = qstrcmp(dest->options[i].value, "true") == 0;
        }
        m_freeDests(1, dest);
        return accepting;
    }

    // Submits file as one job; waits while the service is full. Returns the job id, or throws with
    // the service's own text.
    int printFile(const QString &queue,
                  const QString &file,
                  const QString &title,
                  const QList<QPair<QByteArray, QByteArray>> &options) const
    {
        if (!available())
            throw EPrinterError(tr("The print service is not available (libcups could not be loaded)."));
        QList<CupsOption> opts;
        QList<QByteArray> storage;
        for (const auto &o : options) {
            storage << o.first << o.second;
        }
        for (qsizetype i = 0; i < storage.size(); i += 2)
            opts.append(CupsOption{storage[i].data(), storage[i + 1].data()});
        const QByteArray q = queue.toLocal8Bit();
        const QByteArray f = QFile::encodeName(file);
        const QByteArray t = title.toUtf8();
        const auto submit = [&]() -> TSubmitAnswer {
            const int id = m_printFile(q.constData(),
                                       f.constData(),
                                       t.constData(),
                                       int(opts.size()),
                                       opts.isEmpty() ? nullptr : opts.data());
            if (id > 0)
                return {id, 0, QString()};
            const char *why = m_lastErrorString();
            return {0, m_lastError(), why ? QString::fromLocal8Bit(why) : QString()};
        };
        const TRetryResult r = SubmitWithRetry(
                submit, [&] { return acceptsJobs(queue); }, [](int ms) { return WaitForPrinter(ms); });
        if (r.end == TSubmitEnd::Cancelled)
            throw EPrintCancelled();
        const int id = r.answer.jobId;
        if (id <= 0) {
            // Asking for the queue's state since has replaced the library's last error.
            QString text = !r.answer.serviceText.isEmpty() ? r.answer.serviceText
                                                           : tr("The print service refused the job.");
            // Say which printer refused, unless the service's text does already.
            if (!text.contains(queue))
                text += QStringLiteral(" (%1)").arg(queue);
            throw EPrinterError(text);
        }
        return id;
    }

private:
    CupsClient()
    {
        for (const char *name : {"libcups.so.2", "libcups.so"}) {
            m_handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
            if (m_handle)
                break;
        }
        if (!m_handle)
            return;
        m_printFile = reinterpret_cast<PrintFileFn>(dlsym(m_handle, "cupsPrintFile"));
        m_lastErrorString = reinterpret_cast<LastErrorStringFn>(dlsym(m_handle, "cupsLastErrorString"));
        m_lastError = reinterpret_cast<LastErrorFn>(dlsym(m_handle, "cupsLastError"));
        m_getNamedDest = reinterpret_cast<GetNamedDestFn>(dlsym(m_handle, "cupsGetNamedDest"));
        m_freeDests = reinterpret_cast<FreeDestsFn>(dlsym(m_handle, "cupsFreeDests"));
    }
    // The library stays loaded for the rest of the process, as Qt's plugin keeps it too.
    void *m_handle = nullptr;
    PrintFileFn m_printFile = nullptr;
    LastErrorStringFn m_lastErrorString = nullptr;
    LastErrorFn m_lastError = nullptr;
    GetNamedDestFn m_getNamedDest = nullptr;
    FreeDestsFn m_freeDests = nullptr;
};
#endif

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
    if (dm.dmPaperSize == TDevMode::DMPAPER_USER)
        return QPageSize(QSizeF(125, 176), QPageSize::Millimeter, QStringLiteral("B6 (125 x 176 mm)"));
    if (dm.dmPaperSize >= 1 && dm.dmPaperSize < TDevMode::DMPAPER_USER) {
        const QPageSize::PageSizeId id = QPageSize::id(dm.dmPaperSize);
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

} // namespace

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
    if (dm.dmFields & TDevMode::DM_ORIENTATION) {
        if (dm.dmOrientation == TDevMode::DMORIENT_PORTRAIT)
            m_printer->setPageOrientation(QPageLayout::Portrait);
        else if (dm.dmOrientation == TDevMode::DMORIENT_LANDSCAPE)
            m_printer->setPageOrientation(QPageLayout::Landscape);
    }
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
    m_devMode.dmOrientation = layout.orientation() == QPageLayout::Landscape ? TDevMode::DMORIENT_LANDSCAPE
                                                                             : TDevMode::DMORIENT_PORTRAIT;
    m_devMode.dmFields |= TDevMode::DM_ORIENTATION | TDevMode::DM_PAPERSIZE;
}

int TPrinter::pageWidth() const
{
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).width();
}

int TPrinter::pageHeight() const
{
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).height();
}

int TPrinter::resolutionX() const
{
    return m_printer->resolution();
}

QSizeF TPrinter::paperSizeMM() const
{
    return m_printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
}

bool TPrinter::isLandscape() const
{
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape;
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
        throw EPrinterError(tr("A print job is already in progress."));
    m_currentPdfFile.clear();
    m_jobFile.reset();
    m_printer->setDocName(m_title);
    if (m_builtIn) {
        const QString folder = pdfOutputFolder();
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
            throw EPrinterError(tr("The folder \"%1\" for the PDF files cannot be created.")
                                        .arg(QDir::toNativeSeparators(folder)));
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
            throw EPrinterError(tr("The print job cannot be started: %1").arg(why));
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
                    why.isEmpty()
                            ? tr("The PDF file \"%1\" cannot be written.").arg(QDir::toNativeSeparators(file))
                            : tr("The PDF file \"%1\" cannot be written: %2")
                                      .arg(QDir::toNativeSeparators(file), why));
        throw EPrinterError(
                tr("The printer \"%1\" cannot start the print job.").arg(m_printer->printerName()));
    }
    m_painter = std::move(painter);
}

QPainter &TPrinter::canvas()
{
    if (!m_painter)
        throw EPrinterError(tr("No print job is in progress."));
    return *m_painter;
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
        throw EPrinterError(tr("No print job is in progress."));
    const bool ended = m_painter->end();
    m_painter.reset();
    if (!ended) {
        cleanUpJobFiles(true);
        throw EPrinterError(tr("The print job could not be finished."));
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
    const QPageLayout layout = m_printer->pageLayout();
    QList<QPair<QByteArray, QByteArray>> options;
    options.append(qMakePair(QByteArray("media"), layout.pageSize().key().toLocal8Bit()));
    switch (m_printer->duplex()) {
    case QPrinter::DuplexNone:
        options.append(qMakePair(QByteArray("sides"), QByteArray("one-sided")));
        break;
    case QPrinter::DuplexAuto:
        options.append(qMakePair(QByteArray("sides"),
                                 QByteArray(layout.orientation() == QPageLayout::Portrait
                                                    ? "two-sided-long-edge"
                                                    : "two-sided-short-edge")));
        break;
    case QPrinter::DuplexLongSide:
        options.append(qMakePair(QByteArray("sides"), QByteArray("two-sided-long-edge")));
        break;
    case QPrinter::DuplexShortSide:
        options.append(qMakePair(QByteArray("sides"), QByteArray("two-sided-short-edge")));
        break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        options.append(qMakePair(QByteArray("landscape"), QByteArray()));
    // The printer's own options chosen in the set-up dialog (quality, tray, colour...), as name/value
    // pairs under the print plugin's key for them.
    const QStringList chosen
            = m_printer->printEngine()->property(QPrintEngine::PrintEnginePropertyKey(0xfe00)).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        options.append(qMakePair(chosen[i].toLocal8Bit(), chosen[i + 1].toLocal8Bit()));
    // A printer instance ("queue/instance") prints on its queue.
    const QString queue = m_printer->printerName().section(u'/', 0, 0);
    m_lastJobId = CupsClient::get().printFile(queue, job->fileName(), m_title, options);
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
