#include "cli/CliRun.h"

#include "core/Errors.h"
#include "core/LanguageOptions.h"
#include "core/ProgramDir.h"
#include "core/RunResume.h"
#include "core/SettingsFile.h"
#include "core/SettingsStore.h"
#include "core/translateunit.h"
#include "print/MergeEngine.h"
#include "print/OneJobTarget.h"
#include "print/PaperSetup.h"
#include "print/PdfTarget.h"
#include "print/PrintRetry.h"
#include "print/PrintWaiter.h"
#include "print/Printer.h"
#include "print/PrinterTarget.h"
#include "print/RunTarget.h"
#include "print/SourceRecords.h"
#include "render/EnvelopePicture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <QTranslator>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

constexpr int English = 1;

// Set by SIGINT and SIGTERM; the run ends before the next envelope.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler only stores a lock-free flag");

extern "C" void onInterrupt(int)
{
    g_interrupted.store(true);
}

// A second signal finds the default action again and ends the process at once.
void installInterruptHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void tell(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// Sleeps ms in short slices, ending early when a signal came; false then.
bool sleepUnlessInterrupted(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (g_interrupted.load())
            return false;
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(50, ms - t.elapsed())));
    }
    return !g_interrupted.load();
}

// While the print service is full: a line on standard error now and then, and a signal ends the wait
// (the envelope waited for is not printed).
class CliWaiter final : public TPrintWaiter
{
public:
    bool waitForPrinter(int pauseMs) override
    {
        if (!m_sinceLine.isValid() || m_sinceLine.elapsed() >= 10000) {
            tell(TranslateText(QStringLiteral("Warte auf den Drucker …")));
            m_sinceLine.start();
        }
        return sleepUnlessInterrupted(pauseMs);
    }

private:
    QElapsedTimer m_sinceLine;
};

// The run's progress: the signal flag, and the count on a terminal.
class CliProgress final : public TMergeProgress
{
public:
    CliProgress(int printedBefore, int total)
        : m_printed(printedBefore)
        , m_total(total)
        , m_terminal(isatty(STDERR_FILENO) == 1)
        // Test-only: a pause after each envelope, so a test can signal a run in its middle.
        , m_delayMs(qEnvironmentVariableIntValue("KUVERTINO_TEST_ENVELOPE_DELAY_MS"))
    {
        m_sinceUpdate.start();
    }
    ~CliProgress() override
    {
        if (m_shown)
            std::fputc('\n', stderr);
    }
    CliProgress(const CliProgress &) = delete;
    CliProgress &operator=(const CliProgress &) = delete;

    bool cancelRequested() override { return g_interrupted.load(); }
    void envelopePrinted() override
    {
        ++m_printed;
        if (m_terminal && (m_sinceUpdate.elapsed() >= 250 || m_printed == m_total)) {
            m_sinceUpdate.restart();
            const QByteArray line = (QLatin1Char('\r')
                                     + TranslateText(QStringLiteral("%1 von %2 Umschlägen gedruckt"))
                                               .arg(m_printed)
                                               .arg(m_total))
                                            .toLocal8Bit();
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
            m_shown = true;
        }
        if (m_delayMs > 0)
            sleepUnlessInterrupted(m_delayMs);
    }

private:
    int m_printed;
    int m_total;
    bool m_terminal;
    int m_delayMs;
    bool m_shown = false;
    QElapsedTimer m_sinceUpdate;
};

// Where a stopped run stands, for the resume store and the message.
class StopPlace final : public TResumePoint
{
public:
    void runCompleted() override {}
    void runStopped(const TMergeRecord &next, int) override { m_next = next; }
    const std::optional<TMergeRecord> &next() const { return m_next; }

private:
    std::optional<TMergeRecord> m_next;
};

// The document's recipient, copies times.
class CopiesRecords final : public TRecordSource
{
public:
    CopiesRecords(const QString &recipient, int copies)
        : m_recipient(recipient)
        , m_left(copies)
    {}
    bool next(TMergeRecord &record) override
    {
        if (m_left <= 0)
            return false;
        --m_left;
        record.recipient = m_recipient;
        record.number = 0;
        record.firstLine = m_recipient.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
        return true;
    }

private:
    QString m_recipient;
    int m_left;
};

// A failure the run ends with: its message and its exit status.
struct CliFailure
{
    TExitCode code;
    QString text;
};

CliFailure failureOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EInOutError &e) {
        return {TExitCode::Unreadable, e.message()};
    } catch (const EKuvertinoError &e) {
        return {TExitCode::PrinterRefused, e.message()};
    }
}

std::optional<CliFailure> readDocument(const QString &path, TEnvelopeSettings &settings)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return CliFailure{TExitCode::Unreadable,
                          TranslateText(QStringLiteral("„%1“ kann nicht gelesen werden: %2"))
                                  .arg(name, file.errorString())};
    const TSettingsReadResult r = ReadSettingsFile(file);
    // A cut document would print with the defaults in place of what was cut off.
    if (r.error)
        return CliFailure{
                TExitCode::Unreadable,
                TranslateText(
                        QStringLiteral(
                                "„%1“ ist beschädigt oder unvollständig und kann nicht gelesen werden."))
                                .arg(name)
                        + QLatin1Char(' ') + *r.error};
    settings = r.values;
    return std::nullopt;
}

// Opens the address file with the sheet and separator asked for.
std::optional<CliFailure> openAddresses(const TCliOptions &o, std::unique_ptr<sources::RecordSource> &source)
{
    const QString name = QFileInfo(o.addresses).fileName();
    sources::SourceOpenResult r = sources::OpenRecordSourceFile(o.addresses);
    if (r.error)
        return CliFailure{TExitCode::Unreadable,
                          TranslateText(sources::SourceErrorText(r.error.kind)).arg(name, r.error.detail)};
    source = std::move(r.source);
    if (!o.sheet.isEmpty()) {
        const QStringList sheets = source->sheetNames();
        const int index = int(sheets.indexOf(o.sheet));
        if (index < 0)
            return CliFailure{TExitCode::Usage,
                              TranslateText(QStringLiteral("„%1“ hat kein Tabellenblatt „%2“. Vorhanden: %3"))
                                      .arg(name, o.sheet, sheets.join(QStringLiteral(", ")))};
        const sources::SourceError e = source->selectSheet(index);
        if (e)
            return CliFailure{TExitCode::Unreadable,
                              TranslateText(sources::SourceErrorText(e.kind)).arg(name, e.detail)};
    }
    if (o.separator)
        source->setSeparator(*o.separator);
    return std::nullopt;
}

std::optional<CliFailure> choosePrinter(const TCliOptions &o, TPrinter &printer, const TEnvelopeSettings &doc)
{
    if (o.printer) {
        if (!o.printer->isEmpty() && QPrinterInfo::printerInfo(*o.printer).isNull())
            return CliFailure{TExitCode::PrinterRefused,
                              TranslateText(QStringLiteral("Es gibt keinen Drucker „%1“.")).arg(*o.printer)};
        printer.selectPrinter(*o.printer);
    }
    // Also reads the printer's own set-up (calibration) for the chosen printer.
    ApplyPaperFormat(printer, doc.paperFormat, doc.portrait);
    return std::nullopt;
}

TExitCode fail(const CliFailure &f)
{
    tell(f.text);
    return f.code;
}

std::unique_ptr<TPrintTarget>
makeTarget(const TCliOptions &o, TPrinter &printer, const TEnvelopeSettings &doc)
{
    const TRunDestination destination = o.output == TOutputKind::OneJob    ? TRunDestination::OneJob
                                        : o.output == TOutputKind::PdfFile ? TRunDestination::PdfFile
                                                                           : TRunDestination::JobPerEnvelope;
    return MakeRunTarget(destination, printer, MessageText(9), doc, o.pdfFile);
}

// What a run tells at its end about where its envelopes went.
void tellOutput(const TCliOptions &o, TPrinter &printer, int printed)
{
    if (printed == 0)
        return;
    // One file: the PDF file asked for, or the built-in printer's file of the one job.
    const QString file = o.output == TOutputKind::PdfFile ? QFileInfo(o.pdfFile).absoluteFilePath()
                         : printer.isBuiltInPdfPrinter() && o.output == TOutputKind::OneJob
                                 ? printer.lastOutputFile()
                                 : QString();
    if (!file.isEmpty())
        tell(TranslateText(QStringLiteral("Gedruckt in die PDF-Datei \"%1\"."))
                     .arg(QDir::toNativeSeparators(file)));
    else if (printer.isBuiltInPdfPrinter() && o.output == TOutputKind::PrinterJobs)
        tell(TranslateText(QStringLiteral("%1 Umschläge gedruckt in PDF-Dateien im Ordner \"%2\"."))
                     .arg(printed)
                     .arg(QDir::toNativeSeparators(TPrinter::pdfOutputFolder())));
}

// Standard error carries the run's own messages: Qt's warnings about the session (no runtime folder,
// no display) mean nothing to a script. Critical and fatal messages still pass.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        tell(message);
}

void installQtTranslation(int language)
{
    static const char *const codes[] = {"de", "en", "fr", "nl"};
    if (language < 0 || language >= int(std::size(codes)))
        return;
    auto *t = new QTranslator(QCoreApplication::instance());
    if (t->load(QStringLiteral("qtbase_") + QLatin1String(codes[language]),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(t);
}

} // namespace

int StoredInterfaceLanguage(const QString &settingsFolder)
{
    QFile file(settingsFolder + QStringLiteral("options0.dat"));
    if (!file.open(QIODevice::ReadOnly))
        return English;
    const QByteArray bytes = file.read(5);
    // Read as the window reads it; a file too short to hold a language stores none.
    return bytes.size() < 4 ? English : ParseLanguageOptions(bytes).language;
}

TExitCode RunPrint(const TCliOptions &o)
{
    TEnvelopeSettings doc;
    if (const auto f = readDocument(o.document, doc))
        return fail(*f);
    // A document holds the envelope as the model has it: no mapping.
    const EnvelopeValue &envelope = doc;

    std::unique_ptr<sources::RecordSource> source;
    if (!o.addresses.isEmpty())
        if (const auto f = openAddresses(o, source))
            return fail(*f);

    TPrinter &printer = Printer();
    if (const auto f = choosePrinter(o, printer, doc))
        return fail(*f);

    // The resume points live in the per-user store, one per address file.
    const std::unique_ptr<QSettings> store = OpenSettingsStore();
    TResumeStore resumeStore(*store);
    TCsvFileIdentity identity;
    TRunOptions run = o.run;
    int printedBefore = 0;
    int total = o.copies;
    std::unique_ptr<TRecordSource> records;
    if (source) {
        identity = TCsvFileIdentity::of(QFileInfo(o.addresses));
        std::optional<TResumePlace> place;
        qsizetype resumeFrom = 0;
        if (o.resume) {
            place = resumeStore.find(identity);
            // Places are kept as file lines, as the window keeps them.
            resumeFrom = place ? RecordNumberAtLine(*source, run.firstLineIsHeader, place->nextLine) : 0;
            const int recordLine = resumeFrom > 0 ? int(source->recordLine(
                                           SourceIndexOf(*source, run.firstLineIsHeader, resumeFrom)))
                                                  : 0;
            if (place && !ResumePlaceFits(*place, recordLine)) {
                resumeStore.forget(identity);
                place.reset();
            }
            if (place)
                tell(TranslateText(QStringLiteral("Fortsetzung bei Datensatz %1, „%2“ (%3 von %4 Umschlägen "
                                                  "waren gedruckt)."))
                             .arg(resumeFrom)
                             .arg(place->firstAddressLine)
                             .arg(place->printed)
                             .arg(place->total));
            else
                tell(TranslateText(QStringLiteral("Für „%1“ ist kein unterbrochener Druck gespeichert; der "
                                                  "Druck beginnt bei "
                                                  "Datensatz %2."))
                             .arg(QFileInfo(o.addresses).fileName())
                             .arg(run.from));
        }
        if (place) {
            run.from = resumeFrom;
            printedBefore = place->printed;
        }
        const qsizetype count = CountRunRecords(*source, run);
        total = place ? place->total : int(count);
        if (count == 0) {
            tell(TranslateText(
                    QStringLiteral("Im gewählten Bereich ist keine Adresse; es wurde nichts gedruckt.")));
            return TExitCode::Printed;
        }
        records = std::make_unique<TSourceRecords>(*source, run);
    } else {
        records = std::make_unique<CopiesRecords>(envelope.recipient, o.copies);
    }

    const std::unique_ptr<TPrintTarget> target = makeTarget(o, printer, doc);
    CliWaiter waiter;
    StopPlace stopped;
    TMergeResult result;
    {
        CliProgress progress(printedBefore, total);
        result = RunMerge(*records, envelope, *target, total, {&waiter, &progress, &stopped});
    }
    tellOutput(o, printer, result.printed);

    if (result.end == TMergeEnd::Completed) {
        if (source)
            resumeStore.forget(identity);
        return TExitCode::Printed;
    }
    // Everything was read before the run: what fails now is the printer or the output file.
    const CliFailure failure
            = result.end == TMergeEnd::Failed
                      ? CliFailure{TExitCode::PrinterRefused, result.failureText}
                      : CliFailure{TExitCode::Interrupted,
                                   TranslateText(QStringLiteral("Der Druck wurde abgebrochen."))};
    QString text = failure.text;
    if (!source) {
        text += QLatin1Char('\n')
                + TranslateText(QStringLiteral("Der Druck wurde nach %1 von %2 Umschlägen beendet."))
                          .arg(result.printed)
                          .arg(total);
        tell(text);
        return failure.code;
    }
    text += QLatin1Char('\n')
            + TranslateText(QStringLiteral("Der Seriendruck wurde nach %1 von %2 Umschlägen beendet."))
                      .arg(printedBefore + result.printed)
                      .arg(total);
    if (printedBefore + result.printed == 0) {
        // Nothing printed yet: a new run starts where this one did.
        resumeStore.forget(identity);
    } else if (stopped.next()) {
        const TMergeRecord &next = *stopped.next();
        text += QLatin1Char('\n')
                + TranslateText(QStringLiteral("Nächster Datensatz: Zeile %1, „%2“."))
                          .arg(next.line)
                          .arg(next.firstLine);
        const QString notKept = resumeStore.save(
                identity, TResumePlace{next.line, printedBefore + result.printed, total, next.firstLine});
        text += QLatin1Char('\n')
                + (notKept.isEmpty()
                           ? TranslateText(QStringLiteral("Mit --resume geht der Druck dort weiter."))
                           : notKept);
    }
    tell(text);
    return failure.code;
}

int RunCommandLineProgram(int argc, char *argv[])
{
    // No window is opened: the run needs no display, and one that is there is not used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KUVERTINO_VERSION));

    QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.endsWith(QLatin1Char('/')))
        programFolder += QLatin1Char('/');
    const int language = StoredInterfaceLanguage(SettingsFolderFrom(UserDataLocation(), programFolder));
    SetTranslationHost([language] { return language; }, [programFolder] { return programFolder; });
    BuildTranslationIndex();
    RegisterMessages();
    installQtTranslation(language);

    const TCliParse parsed = ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.options) {
        const QByteArray bytes = parsed.text.toLocal8Bit();
        std::fwrite(bytes.constData(),
                    1,
                    size_t(bytes.size()),
                    parsed.exit == TExitCode::Printed ? stdout : stderr);
        if (parsed.exit != TExitCode::Printed)
            std::fputc('\n', stderr);
        return int(parsed.exit);
    }
    installInterruptHandlers();
    try {
        return int(RunPrint(*parsed.options));
    } catch (const EKuvertinoError &) {
        return int(fail(failureOf(std::current_exception())));
    }
}
