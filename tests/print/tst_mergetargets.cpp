// Whole runs as one PDF file and as one print job (to a scheduler of the test's own whose queue keeps
// each job's document): pages, order, text and paper, and nothing left of a run that does not complete.

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

Q_DECLARE_METATYPE(TRunOptions)

namespace {

PrivateScheduler *Scheduler = nullptr;

// Records 1 to 5 after the header; record 3 holds only blank fields.
const QByteArray Csv = "Name;Ort\n#1#;Weg 1\n#2#;Weg 2\n ; \n#4#;Weg 4\n#5#;\n";

// The recipient tag ("#n#", or "-" for none) of each page.
QString pageTags(const QString &file)
{
    static const QRegularExpression tag(QStringLiteral("#\\d+#"));
    QStringList tags;
    const std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    for (int i = 0; doc && i < doc->numPages(); ++i) {
        const QString found = tag.match(doc->page(i)->text(QRectF())).captured();
        tags << (found.isEmpty() ? QStringLiteral("-") : found);
    }
    return tags.join(u' ');
}

class Cancel final : public TMergeProgress
{
public:
    int before = -1;
    int asked = 0;
    bool cancelRequested() override { return asked++ == before; }
};

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
        QTest::addColumn<QString>("tags");
        QTest::addColumn<QSizeF>("pageMm");
        QTest::newRow("C6 lying") << TRunOptions{true, false, 1, 0} << 11 << false << "#1# #2# - #4# #5#"
                                  << QSizeF(162, 114);
        QTest::newRow("C6 upright, 2 to 5, no blank lines")
                << TRunOptions{true, true, 2, 5} << 11 << true << "#2# #4# #5#" << QSizeF(114, 162);
        QTest::newRow("B6 lying") << TRunOptions{true, true, 1, 2} << 23 << false << "#1# #2#"
                                  << QSizeF(176, 125);
        QTest::newRow("no paper: A4 of the built-in printer")
                << TRunOptions{false, true, 5, 0} << 24 << true << "#4# #5#" << QSizeF(210, 297);
    }
    void onePdfFile()
    {
        QFETCH(TRunOptions, options);
        QFETCH(int, entry);
        QFETCH(bool, portrait);
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
        QCOMPARE(RunMerge(records, EnvelopeValue(), target, 5).end, TMergeEnd::Completed);
        QTEST(pageTags(file), "tags");
        const PdfFacts facts = ReadPdf(file);
        QVERIFY2(SameMm(facts.firstPageMm, pageMm), qPrintable(MmText(facts.firstPageMm)));
        QCOMPARE(facts.title, QStringLiteral("Plikato"));
        QFile::remove(file);
    }

    // A cancelled or failed run leaves an earlier file as it was and nothing beside it.
    void pdfRunThatDoesNotComplete_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel before record 4") << "cancel";
        QTest::newRow("disk full") << "full";
        QTest::newRow("folder missing") << "folder";
    }
    void pdfRunThatDoesNotComplete()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const bool folder = how == QLatin1String("folder");
        const QString file = dir.filePath(folder ? "gone/run.pdf" : "run.pdf");
        QFile earlier(file);
        QVERIFY(folder || (earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7));
        earlier.close();
        TPdfFileTarget target(
                file, QStringLiteral("Plikato"), QPageSize(QPageSize::C5E), QPageLayout::Landscape, nullptr);
        TSourceRecords records(*m_source.source, TRunOptions{true, false, 1, 0});
        Cancel cancel;
        cancel.before = how == QLatin1String("cancel") ? 3 : -1;
        TMergeResult result;
        {
            const FileSizeLimit limit(how == QLatin1String("full") ? 2000 : RLIM_INFINITY);
            result = RunMerge(records, EnvelopeValue(), target, 5, {nullptr, &cancel, nullptr});
        }
        QCOMPARE(result.end, how == QLatin1String("cancel") ? TMergeEnd::Cancelled : TMergeEnd::Failed);
        QCOMPARE(result.printed, 0);
        QCOMPARE(result.next->number, 1);
        const QString named
                = QStringLiteral("Die PDF-Datei \"%1\" kann nicht geschrieben werden. ").arg(file);
        QCOMPARE(result.failureText.left(named.size()), result.end == TMergeEnd::Failed ? named : QString());
        QCOMPARE(earlier.open(QIODevice::ReadOnly) ? earlier.readAll() : QByteArray(),
                 folder ? "" : "earlier");
        QCOMPARE(filesIn(dir.path()), folder ? QStringList() : QStringList{"run.pdf"});
    }

    // One job: every envelope a page of it; a Cancel while it is built or a refusal at its end
    // submits nothing, and the refusal names the records to print again.
    void oneJob_data()
    {
        QTest::addColumn<TRunOptions>("options");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected"); // the pages' tags, or how the error ends
        QTest::newRow("to the queue") << TRunOptions{true, false, 1, 0} << ""
                                      << "#1# #2# - #4# #5#";
        QTest::newRow("cancel before the third") << TRunOptions{true, false, 1, 0} << "cancel"
                                                 << "";
        QTest::newRow("refused, 2 to 5") << TRunOptions{true, true, 2, 0} << "refuse"
                                         << "gedruckt. Drucken Sie die Datensätze 2 bis 5 erneut.";
        QTest::newRow("refused, 4") << TRunOptions{true, false, 4, 4} << "refuse"
                                    << "wurde nicht gedruckt. Drucken Sie den Datensatz 4 erneut.";
    }
    void oneJob()
    {
        QFETCH(TRunOptions, options);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        QVERIFY2(Scheduler->ok(), qPrintable(Scheduler->error()));
        TPrinter printer; // the scheduler's queue, the only one
        ApplyPaperFormat(printer, 11, false);
        const QStringList before = filesIn(Scheduler->outDir());
        TOneJobTarget target(printer, QStringLiteral("Plikato"), nullptr);
        TSourceRecords records(*m_source.source, options);
        Cancel cancel;
        cancel.before = how == QLatin1String("cancel") ? 2 : -1;
        if (how == QLatin1String("refuse"))
            Scheduler->reject();
        const TMergeResult result
                = RunMerge(records, EnvelopeValue(), target, 5, {nullptr, &cancel, nullptr});
        Scheduler->accept();
        if (how.isEmpty()) {
            QCOMPARE(result.end, TMergeEnd::Completed);
            const QString file = Scheduler->outDir() + QStringLiteral("/job-%1.pdf").arg(printer.lastJobId());
            for (int i = 0; i < 300 && !QFile::exists(file); ++i)
                QTest::qWait(50);
            QCOMPARE(filesIn(Scheduler->outDir()).size(), before.size() + 1);
            QCOMPARE(pageTags(file), expected);
            return;
        }
        QCOMPARE(result.end, how == QLatin1String("cancel") ? TMergeEnd::Cancelled : TMergeEnd::Failed);
        QCOMPARE(result.printed, 0);
        QCOMPARE(result.next->number, options.from);
        QCOMPARE(result.failureText.right(expected.size()), expected);
        QCOMPARE(printer.lastJobId(), 0);
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

#include "tst_mergetargets.moc"
