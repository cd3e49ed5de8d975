// Whole runs as one PDF file and as one print job: pages, order, text and paper of what was made,
// nothing left behind by a run that does not complete, and a refused job naming what to print again.
// The jobs go to a scheduler of the test's own, whose queue keeps each job's document.

#include "FileSizeLimit.h"
#include "PdfCheck.h"
#include "PrivateScheduler.h"
#include "TestEnvironment.h"

#include "core/sources/RecordSource.h"
#include "print/OneJobTarget.h"
#include "print/PaperSetup.h"
#include "print/PdfTarget.h"
#include "print/SourceRecords.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

PrivateScheduler *Scheduler = nullptr;

// Records 1 to 5 after the header; record 3 holds only blank fields.
const QByteArray Csv = "Name;Ort\n#1#;Weg 1\n#2#;Weg 2\n ; \n#4#;Weg 4\n#5#;\n";

// The recipient tag ("#n#", or "-" for none) of each page, and the pages' sizes in points.
QStringList pageTags(const QString &file, QList<QSizeF> *sizes = nullptr)
{
    static const QRegularExpression tag(QStringLiteral("#\\d+#"));
    QStringList tags;
    const std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    for (int i = 0; doc && i < doc->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = doc->page(i);
        const QString found = tag.match(page->text(QRectF())).captured();
        tags << (found.isEmpty() ? QStringLiteral("-") : found);
        if (sizes)
            *sizes << page->pageSizeF();
    }
    return tags;
}

class Cancel final : public TMergeProgress
{
public:
    int before = -1;
    int asked = 0;
    bool cancelRequested() override { return asked++ == before; }
};

class Resume final : public TResumePoint
{
public:
    QString said;
    void runCompleted() override { said = QStringLiteral("completed"); }
    void runStopped(const TMergeRecord &next, int printed) override
    {
        said = QStringLiteral("stopped before %1 after %2").arg(next.number).arg(printed);
    }
};

// The same recipient n times, without record numbers, as the copies run gives them.
class Copies final : public TRecordSource
{
public:
    int left = 3;
    bool next(TMergeRecord &r) override
    {
        r = TMergeRecord{QStringLiteral("#7#"), 0, QStringLiteral("#7#")};
        return left-- > 0;
    }
};

EnvelopeValue envelope()
{
    EnvelopeValue e;
    e.sender = QStringLiteral("Velmora GmbH, Postfach 1");
    return e;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestMergeTargets : public QObject
{
    Q_OBJECT
    const sources::SourceOpenResult m_source = sources::OpenRecordSource(Csv);

private slots:
    void onePdfFile_data()
    {
        QTest::addColumn<TRunOptions>("options");
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QSizeF>("pageMm");
        const QStringList all{"#1#", "#2#", "-", "#4#", "#5#"};
        QTest::newRow("C6 lying, every record")
                << TRunOptions{true, false, 1, 0} << 11 << false << all << QSizeF(162, 114);
        QTest::newRow("C6 upright, 2 to 5 without blank lines")
                << TRunOptions{true, true, 2, 5} << 11 << true << QStringList{"#2#", "#4#", "#5#"}
                << QSizeF(114, 162);
        QTest::newRow("custom B6 lying") << TRunOptions{true, true, 1, 2} << 23 << false
                                         << QStringList{"#1#", "#2#"} << QSizeF(176, 125);
        QTest::newRow("no paper: the built-in printer's A4") << TRunOptions{false, true, 5, 0} << 24 << true
                                                             << QStringList{"#4#", "#5#"} << QSizeF(210, 297);
    }
    void onePdfFile()
    {
        QFETCH(TRunOptions, options);
        QFETCH(int, entry);
        QFETCH(bool, portrait);
        QFETCH(QStringList, tags);
        QFETCH(QSizeF, pageMm);
        TPrinter builtIn;
        builtIn.useBuiltInPdfPrinter();
        const QString file = TestEnv->path(QStringLiteral("run.pdf"));
        TPdfFileTarget target(file,
                              QStringLiteral("Plikato"),
                              PageSizeForPaperEntry(entry, builtIn),
                              portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                              nullptr);
        TSourceRecords records(*m_source.source, options);
        const TMergeResult result = RunMerge(records, envelope(), target, int(tags.size()));
        QCOMPARE(result.end, TMergeEnd::Completed);
        QCOMPARE(result.printed, tags.size());
        QList<QSizeF> sizes;
        QCOMPARE(pageTags(file, &sizes), tags);
        const QSizeF points = pageMm * (72 / 25.4);
        for (const QSizeF &size : sizes)
            QVERIFY2(SameMm(size, points, 0.5), qPrintable(MmText(size)));
        QCOMPARE(ReadPdf(file).title, QStringLiteral("Plikato"));
        QFile::remove(file);
    }

    // A cancelled or failed run leaves an earlier file as it was and nothing beside it.
    void pdfRunThatDoesNotComplete_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<TMergeEnd>("end");
        QTest::newRow("cancel before record 4") << "cancel" << TMergeEnd::Cancelled;
        QTest::newRow("disk full") << "full" << TMergeEnd::Failed;
        QTest::newRow("folder missing") << "folder" << TMergeEnd::Failed;
    }
    void pdfRunThatDoesNotComplete()
    {
        QFETCH(QString, how);
        QFETCH(TMergeEnd, end);
        QTemporaryDir dir;
        const QString file = dir.filePath(how == QLatin1String("folder") ? "gone/run.pdf" : "run.pdf");
        const QByteArray before = "an earlier run";
        QFile earlier(file);
        QVERIFY(how == QLatin1String("folder")
                || (earlier.open(QIODevice::WriteOnly) && earlier.write(before) > 0));
        earlier.close();
        TPdfFileTarget target(
                file, QStringLiteral("Plikato"), QPageSize(QPageSize::C5E), QPageLayout::Landscape, nullptr);
        TSourceRecords records(*m_source.source, TRunOptions{true, false, 1, 0});
        Cancel cancel;
        cancel.before = how == QLatin1String("cancel") ? 3 : -1;
        Resume resume;
        TMergeResult result;
        {
            const FileSizeLimit limit(how == QLatin1String("full") ? 2000 : RLIM_INFINITY);
            result = RunMerge(records, envelope(), target, 5, {nullptr, &cancel, &resume});
        }
        QCOMPARE(result.end, end);
        QCOMPARE(resume.said, QStringLiteral("stopped before 1 after 0"));
        if (end == TMergeEnd::Failed)
            QVERIFY2(
                    result.failureText.startsWith(
                            QStringLiteral("Die PDF-Datei \"%1\" kann nicht geschrieben werden. ").arg(file)),
                    qPrintable(result.failureText));
        QFile kept(file);
        QCOMPARE(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray("(none)"),
                 how == QLatin1String("folder") ? QByteArray("(none)") : before);
        QCOMPARE(filesIn(dir.path()),
                 how == QLatin1String("folder") ? QStringList() : QStringList{"run.pdf"});
    }

    void oneJob_data()
    {
        QTest::addColumn<bool>("copies");
        QTest::addColumn<bool>("builtIn");
        QTest::addColumn<QStringList>("tags");
        QTest::newRow("CSV run to the queue")
                << false << false << QStringList{"#1#", "#2#", "-", "#4#", "#5#"};
        QTest::newRow("copies to the queue") << true << false << QStringList(3, "#7#");
        QTest::newRow("CSV run to the built-in PDF printer")
                << false << true << QStringList{"#1#", "#2#", "-", "#4#", "#5#"};
    }
    void oneJob()
    {
        QFETCH(bool, copies);
        QFETCH(bool, builtIn);
        QFETCH(QStringList, tags);
        QVERIFY2(Scheduler->ok(), qPrintable(Scheduler->error()));
        TPrinter printer;
        if (builtIn)
            printer.useBuiltInPdfPrinter();
        QCOMPARE(printer.printerName(), builtIn ? QString() : QLatin1String(PrivateScheduler::Queue));
        ApplyPaperFormat(printer, 11, false);
        const QStringList before = filesIn(Scheduler->outDir());
        TOneJobTarget target(printer, QStringLiteral("Plikato"), nullptr);
        TSourceRecords csv(*m_source.source, TRunOptions{true, false, 1, 0});
        Copies same;
        const TMergeResult result
                = RunMerge(copies ? static_cast<TRecordSource &>(same) : csv, envelope(), target, 5);
        QCOMPARE(result.end, TMergeEnd::Completed);
        QCOMPARE(result.printed, tags.size());
        QString file = printer.lastOutputFile();
        if (!builtIn) {
            file = Scheduler->outDir() + QStringLiteral("/job-%1.pdf").arg(printer.lastJobId());
            for (int i = 0; i < 300 && !QFile::exists(file); ++i)
                QTest::qWait(50);
            QCOMPARE(filesIn(Scheduler->outDir()).size(), before.size() + 1);
        }
        QCOMPARE(pageTags(file), tags);
    }

    // Cancel while the job is built, or the queue refusing it: nothing reaches the queue, and a refusal
    // names the records to print again.
    void oneJobNotHandedOver_data()
    {
        QTest::addColumn<TRunOptions>("options");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("textEnd");
        QTest::newRow("cancel before the third")
                << TRunOptions{true, false, 1, 0} << false << false << "stopped before 1 after 0"
                << "";
        QTest::newRow("refused, records 2 to 5")
                << TRunOptions{true, true, 2, 0} << false << true << "stopped before 2 after 0"
                << "Keiner der Umschläge dieses Druckauftrags wurde gedruckt. Drucken Sie die Datensätze 2 "
                   "bis 5 erneut.";
        QTest::newRow("refused, record 4")
                << TRunOptions{true, false, 4, 4} << false << true << "stopped before 4 after 0"
                << "Der Umschlag dieses Druckauftrags wurde nicht gedruckt. Drucken "
                   "Sie den Datensatz 4 erneut.";
        QTest::newRow("refused copies") << TRunOptions{} << true << true << "stopped before 0 after 0"
                                        << "Keiner der 3 Umschläge dieses Druckauftrags wurde gedruckt.";
    }
    void oneJobNotHandedOver()
    {
        QFETCH(TRunOptions, options);
        QFETCH(bool, copies);
        QFETCH(bool, refuse);
        QFETCH(QString, textEnd);
        QVERIFY2(Scheduler->ok(), qPrintable(Scheduler->error()));
        TPrinter printer;
        const int lastJob = printer.lastJobId();
        const QStringList before = filesIn(Scheduler->outDir());
        TOneJobTarget target(printer, QStringLiteral("Plikato"), nullptr);
        TSourceRecords csv(*m_source.source, options);
        Copies same;
        Cancel cancel;
        cancel.before = refuse ? -1 : 2;
        Resume resume;
        if (refuse)
            Scheduler->reject();
        const TMergeResult result = RunMerge(copies ? static_cast<TRecordSource &>(same) : csv,
                                             envelope(),
                                             target,
                                             5,
                                             {nullptr, &cancel, &resume});
        Scheduler->accept();
        QCOMPARE(result.end, refuse ? TMergeEnd::Failed : TMergeEnd::Cancelled);
        QCOMPARE(result.printed, 0);
        QTEST(resume.said, "said");
        QCOMPARE(result.failureText.right(textEnd.size()), textEnd);
        QVERIFY(!printer.printing());
        QCOMPARE(printer.lastJobId(), lastJob);
        QCOMPARE(Scheduler->tool(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed(), QString());
        QTest::qWait(200);
        QCOMPARE(filesIn(Scheduler->outDir()), before);
    }
};

int main(int argc, char *argv[])
{
    // Before anything in the process asks the print service, so libcups and Qt both go there.
    PrivateScheduler scheduler(0);
    Scheduler = &scheduler;
    qputenv("CUPS_SERVER", scheduler.socket().toLocal8Bit());
    return RunIsolatedGuiTest<TestMergeTargets>(argc, argv, TestPrinter::SystemDefault);
}

Q_DECLARE_METATYPE(TRunOptions)
Q_DECLARE_METATYPE(TMergeEnd)
#include "tst_mergetargets.moc"
