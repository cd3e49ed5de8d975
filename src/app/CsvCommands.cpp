#include "app/Preview.h"
#include "app/PrintCommands.h"
#include "app/PrintRun.h"
#include "core/CsvFileCheck.h"
#include "core/CsvReader.h"
#include "core/CsvSurvey.h"
#include "core/EnvelopeDocument.h"
#include "core/LineBreaks.h"
#include "core/RunResume.h"
#include "core/sources/RecordSource.h"
#include "print/Printer.h"
#include "print/RunTarget.h"
#include "print/SourceRecords.h"

#include "app/Dialogs.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/FastStateWrites.h"
#include "core/translateunit.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSettings>

#include <optional>
#include <tuple>
#include <utility>

namespace {

enum class CsvRun { Print, List };

void fillRecipient(TMainForm &form, const QStringList &fields)
{
    form.Memo1->setText(CsvRecipientText(fields));
}

// The menu item's caption as a heading: without its mnemonic and its closing dots.
QString runHeading(const QAction *item)
{
    QString t = item->text();
    t.remove(QLatin1Char('&'));
    while (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    return t.trimmed();
}

// The print run's window side: Cancel in the progress window, the record in the recipient field (so
// the preview follows), and a few updates a second of how many envelopes are done.
class CsvRunProgress final : public RunCounter
{
public:
    CsvRunProgress(TMainForm &form,
                   TPrintRun &run,
                   QProgressDialog &progress,
                   QString heading,
                   int records,
                   QElapsedTimer &sinceUpdate)
        : RunCounter(run)
        , m_form(form)
        , m_progress(progress)
        , m_heading(std::move(heading))
        , m_records(records)
        , m_sinceUpdate(sinceUpdate)
    {}
    bool cancelRequested() override { return m_progress.wasCanceled(); }
    void recordStarting(const TMergeRecord &record, const EnvelopeValue &) override
    {
        m_form.Memo1->setText(record.recipient);
    }
    void envelopePrinted() override
    {
        RunCounter::envelopePrinted();
        ++m_done;
        // Each update repaints the dialog and whatever else changed: a few a second are enough.
        if (m_sinceUpdate.elapsed() >= 250) {
            m_sinceUpdate.restart();
            m_progress.setLabelText(m_heading + QLatin1Char('\n') + m_run.printedText());
            m_progress.setValue(qMin(m_done, m_records));
        }
    }

private:
    TMainForm &m_form;
    QProgressDialog &m_progress;
    QString m_heading;
    int m_records;
    QElapsedTimer &m_sinceUpdate;
    int m_done = 0;
};

// Where a print run stands: the envelopes before this run (a resumed run counts on), and the place
// to name when it stops.
struct PrintProgress
{
    int printedBefore = 0;
    int total = 0;
    int nextLine = 0;
    int nextRecord = 0;
    QString nextFirstLine;
};

// The merge reports where it stopped; the run keeps it in the resume store and names it.
class StopPlace final : public TResumePoint
{
public:
    explicit StopPlace(PrintProgress &place)
        : m_place(place)
    {}
    void runCompleted() override {}
    void runStopped(const TMergeRecord &next, int) override
    {
        m_place.nextLine = next.line;
        m_place.nextRecord = next.number;
        m_place.nextFirstLine = next.firstLine;
    }

private:
    PrintProgress &m_place;
};

QString stopText(const PrintProgress &p, int printedNow)
{
    return TranslateText(QStringLiteral("Der Seriendruck wurde nach %1 von %2 Umschlägen beendet."))
                   .arg(p.printedBefore + printedNow)
                   .arg(p.total)
           + QLatin1Char('\n')
           + TranslateText(QStringLiteral("Nächster Datensatz: Zeile %1, „%2“."))
                     .arg(p.nextLine)
                     .arg(p.nextFirstLine)
           + QLatin1Char('\n')
           + TranslateText(QStringLiteral("Um dort fortzufahren, geben Sie bei „Von Datensatz“ %1 ein."))
                     .arg(p.nextRecord);
}

// Asks whether a print run stopped earlier over this very file goes on where it stopped; returns the
// record to start at ("Von") and the place. A place that does not fit the file is forgotten without a
// question.
std::pair<qsizetype, std::optional<TResumePlace>> askResume(TMainForm &form,
                                                            TResumeStore &store,
                                                            const TCsvFileIdentity &file,
                                                            const sources::RecordSource &source)
{
    const std::optional<TResumePlace> place = store.find(file);
    if (!place)
        return {1, std::nullopt};
    const qsizetype number = RecordNumberAtLine(source, false, place->nextLine);
    if (!ResumePlaceFits(*place, number > 0 ? int(source.recordLine(number - 1)) : 0)) {
        store.forget(file);
        return {1, std::nullopt};
    }
    const QString question
            = TranslateText(
                      QStringLiteral(
                              "Der letzte Seriendruck dieser Datei wurde nach %1 von %2 Umschlägen beendet."))
                      .arg(place->printed)
                      .arg(place->total)
              + QLatin1Char('\n')
              + TranslateText(QStringLiteral("Beim nächsten Datensatz fortfahren (Zeile %1, „%2“)? Mit Nein "
                                             "beginnt der Druck bei der ersten Zeile."))
                        .arg(place->nextLine)
                        .arg(place->firstAddressLine);
    if (Dialogs().messageBox(&form, question, MessageText(7), TMsgIcon::Question, TMsgButtons::YesNo)
        != TMsgResult::Yes)
        return {1, std::nullopt};
    return {number, place};
}

// The name offered for a run's PDF file: the address file's, as a PDF beside it.
QString pdfNameFor(const QString &addressFile)
{
    const QFileInfo info(addressFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
}

void runCsvFile(TMainForm &form, CsvRun run)
{
    const std::optional<QString> name = Dialogs().openFile(
            &form, form.OpenDialog2->Filter, form.OpenDialog2->DefaultExt, form.OpenDialog2->FileName);
    if (!name)
        return;
    form.OpenDialog2->FileName = *name;
    const QString shownName = QFileInfo(*name).fileName();

    QFile file(*name);
    if (!file.open(QIODevice::ReadOnly)) {
        Dialogs().messageBox(&form, MessageText(8), QString(), TMsgIcon::Error, TMsgButtons::Ok);
        return;
    }
    // A PDF, a picture or a binary file would give thousands of garbage envelopes or entries; a zip
    // container may be a spreadsheet and is looked into below.
    const NonTextKind kind = DetectNonText(file);
    if (kind != NonTextKind::None && kind != NonTextKind::ZipContainer) {
        Dialogs().messageBox(
                &form, NonTextMessage(kind, shownName), QString(), TMsgIcon::Error, TMsgButtons::Ok);
        return;
    }
    const TCsvFileIdentity identity = TCsvFileIdentity::of(QFileInfo(file));
    file.close();
    const sources::SourceOpenResult opened = sources::OpenRecordSourceFile(*name);
    if (opened.error) {
        Dialogs().messageBox(&form,
                             TranslateText(sources::SourceErrorText(opened.error.kind))
                                     .arg(shownName, opened.error.detail),
                             QString(),
                             TMsgIcon::Error,
                             TMsgButtons::Ok);
        return;
    }
    sources::RecordSource &source = *opened.source;

    const std::unique_ptr<QSettings> settings = TFormStorage::openStore();
    TResumeStore resumeStore(*settings);
    qsizetype from = 1;
    std::optional<TResumePlace> resumed;
    if (run == CsvRun::Print)
        std::tie(from, resumed) = askResume(form, resumeStore, identity, source);

    const QString heading
            = runHeading(run == CsvRun::Print ? form.CSVImportieren1 : form.CSVDateiinAdresslisteladen1);
    TRunQuestion question;
    if (run == CsvRun::Print) {
        question.caption = MessageText(7);
        question.text = MessageText(6);
        question.countText = TranslateText(QStringLiteral("Umschläge: %1"));
        question.kind = TRunKind::CsvPrint;
    } else {
        question.caption = heading;
        question.text = TranslateText(QStringLiteral(
                "Die Adressen werden an die Adressliste angehängt. Um zu beginnen, klicken Sie auf Ok."));
        question.countText = TranslateText(QStringLiteral("Adressen: %1"));
        question.kind = TRunKind::CsvList;
    }
    question.source = &source;
    question.fileName = shownName;
    question.envelope = form.envelope();
    question.presetFrom = from;
    // What the box shows first: the records from the first one to print, with and without the header.
    const TRunOptions plain{false, false, from, 0};
    question.records = int(CountRunRecords(source, plain));
    question.firstRecord = RecordLines(source.record(from - 1), false);
    const TRunOptions header{true, false, qMax<qsizetype>(1, from - 1), 0};
    question.recordsAfterHeader = resumed ? question.records : int(CountRunRecords(source, header));
    question.firstRecordAfterHeader = resumed ? question.firstRecord : RecordLines(source.record(1), false);
    const TRunAnswer answer = Dialogs().confirmRun(&form, question);
    if (!answer.accepted)
        return;
    TRunOptions options = answer.options;
    // A resumed run starts after the header line anyway: its records keep their numbers.
    if (resumed && options.firstLineIsHeader && options.from == from)
        options.firstLineIsHeader = false;
    const int records = int(CountRunRecords(source, options));

    QString pdfFile;
    if (run == CsvRun::Print && answer.destination == TRunDestination::PdfFile) {
        const std::optional<QString> chosen
                = Dialogs().saveFile(&form,
                                     TranslateText(QStringLiteral("PDF-Dateien (*.pdf)|*.pdf")),
                                     QStringLiteral(".pdf"),
                                     pdfNameFor(*name));
        if (!chosen || chosen->isEmpty())
            return;
        pdfFile = *chosen;
    }

    // Appears only when the run takes longer than a second; cancelling stops before the next record.
    QProgressDialog progress(heading, TranslateText(QStringLiteral("Abbrechen")), 0, qMax(1, records), &form);
    progress.setWindowTitle(run == CsvRun::Print ? MessageText(7) : heading);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(1000);
    progress.setValue(0);
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();

    TSourceRecords recordsToRun(source, options);
    if (run == CsvRun::List) {
        // Each record's write of the last state is fast; the run's end writes it once more, synced.
        FastStateWrites stateWrites([&form] { form.SaveOptions(); });
        int done = 0;
        TMergeRecord record;
        while (recordsToRun.next(record)) {
            if (progress.wasCanceled())
                break;
            // The recipient field shows the record, the document's recipient with it; that recipient
            // is appended to the document's list, and the last state written with both.
            form.Memo1->setText(record.recipient);
            form.Document->appendAddress(form.Document->envelope().recipient);
            form.SaveOptions();
            ++done;
            // Each update repaints the dialog and whatever else changed: a few a second are enough.
            if (sinceUpdate.elapsed() >= 250) {
                sinceUpdate.restart();
                progress.setLabelText(heading + QLatin1Char('\n') + QString::number(done));
                progress.setValue(qMin(done, records));
            }
        }
        progress.reset();
        progress.hide();
        stateWrites.finish();
        return;
    }

    PrintProgress place;
    place.printedBefore = resumed ? resumed->printed : 0;
    place.total = resumed ? resumed->total : records;
    TPrintRun printRun(&form, place.total, place.printedBefore);
    printRun.useProgress(&progress);
    CsvRunProgress shown(form, printRun, progress, heading, records, sinceUpdate);
    StopPlace stopped(place);
    const EnvelopeValue design = form.envelope();
    const std::unique_ptr<TPrintTarget> target
            = MakeRunTarget(answer.destination, Printer(), MessageText(9), design, pdfFile);
    const TMergeResult result
            = RunMerge(recordsToRun, design, *target, place.total, {&printRun, &shown, &stopped});
    const int done = result.printed;
    enum class Stop { None, Cancelled, Error } stop = Stop::None;
    QString error;
    if (result.end == TMergeEnd::Cancelled) {
        stop = Stop::Cancelled;
    } else if (result.end == TMergeEnd::Failed) {
        // A printer's or the PDF file's error ends the run with its place kept; any other error is
        // reported as such.
        try {
            std::rethrow_exception(result.failure);
        } catch (const EPrinterError &e) {
            stop = Stop::Error;
            error = e.message();
        } catch (const EInOutError &e) {
            stop = Stop::Error;
            error = e.message();
        }
    }
    progress.reset();
    progress.hide();

    if (stop == Stop::None) {
        resumeStore.forget(identity);
        return;
    }
    // Stopped early: the next run of this file may go on here.
    const QString notKept = resumeStore.save(
            identity,
            TResumePlace{place.nextLine, place.printedBefore + done, place.total, place.nextFirstLine});
    QString where = stopText(place, done);
    // The next run cannot offer to go on then: the message still says where it stopped.
    if (!notKept.isEmpty())
        where += QStringLiteral("\n\n") + notKept;
    if (stop == Stop::Cancelled)
        Dialogs().messageBox(&form, where, MessageText(7), TMsgIcon::Information, TMsgButtons::Ok);
    else
        ShowErrorReport(error + QStringLiteral("\n\n") + where);
}

} // namespace

void TMainForm::FillRecipientFromCsvLine(const QString &line)
{
    const QStringList fields = SplitCsvLine(line);
    if (!fields.isEmpty())
        fillRecipient(*this, fields);
}

void TMainForm::CSVImportieren1Click()
{
    runCsvFile(*this, CsvRun::Print);
}

void TMainForm::CSVDateiinAdresslisteladen1Click()
{
    runCsvFile(*this, CsvRun::List);
}
