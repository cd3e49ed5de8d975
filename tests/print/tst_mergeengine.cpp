// The merge engine through its interfaces: a fake print target, a fake waiter, scripted records.
#include "core/Errors.h"
#include "core/sources/RecordSource.h"
#include "print/MergeEngine.h"
#include "print/PrintRetry.h"
#include "print/PrintWaiter.h"
#include "print/SourceRecords.h"
#include "render/RecordEnvelope.h"

#include <QtTest>

#include <stdexcept>

Q_DECLARE_METATYPE(TRunOptions)

namespace {

class Records final : public TRecordSource
{
public:
    explicit Records(const QStringList &recipients)
        : m_recipients(recipients)
    {}
    bool next(TMergeRecord &record) override
    {
        if (m_index >= m_recipients.size())
            return false;
        record = TMergeRecord{m_recipients[m_index],
                              int(m_index) + 1,
                              int(m_index) + 1,
                              m_recipients[m_index].section('\r', 0, 0)};
        ++m_index;
        return true;
    }

private:
    QStringList m_recipients;
    qsizetype m_index = 0;
};

// Waits through whatever waiter the printer would use now, as TPrinter::endDoc does on a full queue.
class FakeTarget final : public TPrintTarget
{
public:
    QStringList log;
    QList<EnvelopeValue> printed;
    int waitBeforeEnvelope = -1; // the envelope (0-based) whose job finds the queue full
    int failAt = -1;
    bool failWithLogicError = false;
    bool handsOver = false;      // a whole-run job or file
    bool cancelledAtEnd = false; // while the whole run waits there

    void beginRun(int total) override { log << QStringLiteral("begin %1").arg(total); }
    void printEnvelope(const EnvelopeValue &envelope) override
    {
        const int index = int(printed.size());
        if (index == waitBeforeEnvelope && !CurrentPrintWaiter().waitForPrinter(500))
            throw EPrintCancelled();
        if (index == failAt) {
            if (failWithLogicError)
                throw std::logic_error("not ours");
            throw EPrinterError(QStringLiteral("refused"));
        }
        log << QStringLiteral("print ") + envelope.recipient;
        printed << envelope;
    }
    void endRun() override
    {
        log << QStringLiteral("end");
        if (cancelledAtEnd)
            throw EPrintCancelled();
    }
    bool handsOverAtEnd() const override { return handsOver; }
};

class FakeWaiter final : public TPrintWaiter
{
public:
    QList<int> pauses;
    bool answer = true;
    bool waitForPrinter(int pauseMs) override
    {
        pauses << pauseMs;
        return answer;
    }
};

class Progress final : public TMergeProgress
{
public:
    QStringList log;
    int cancelBefore = -1; // asked before this record (0-based)
    int asked = 0;
    bool cancelRequested() override { return asked++ == cancelBefore; }
    void recordStarting(const TMergeRecord &record, const EnvelopeValue &envelope) override
    {
        log << QStringLiteral("start %1 %2").arg(record.number).arg(envelope.recipient);
    }
    void envelopePrinted() override { log << QStringLiteral("printed"); }
};

class Resume final : public TResumePoint
{
public:
    QString said;
    void runCompleted() override { said = QStringLiteral("completed"); }
    void runStopped(const TMergeRecord &next, int printedInRun) override
    {
        said = QStringLiteral("stopped before %1 after %2").arg(next.number).arg(printedInRun);
    }
};

EnvelopeValue base()
{
    EnvelopeValue e;
    e.recipient = QStringLiteral("on screen");
    e.sender = QStringLiteral("Absender");
    e.margin = 12.5;
    e.portrait = true;
    e.pictureFile = QStringLiteral("logo.png");
    return e;
}

} // namespace

class TestMergeEngine : public QObject
{
    Q_OBJECT

private slots:
    void eachRecordBecomesTheBaseEnvelopeWithItsRecipient()
    {
        Records records({QStringLiteral("A\r\nWeg 1"), QStringLiteral("B"), QStringLiteral("C")});
        FakeTarget target;
        Progress progress;
        Resume resume;
        const TMergeResult result = RunMerge(records, base(), target, 7, {nullptr, &progress, &resume});
        QCOMPARE(result.end, TMergeEnd::Completed);
        QCOMPARE(result.printed, 3);
        QVERIFY(!result.next);
        QCOMPARE(target.log, QStringList({"begin 7", "print A\r\nWeg 1", "print B", "print C", "end"}));
        QCOMPARE(progress.log,
                 QStringList(
                         {"start 1 A\r\nWeg 1", "printed", "start 2 B", "printed", "start 3 C", "printed"}));
        for (const EnvelopeValue &e : target.printed) {
            QCOMPARE(e.sender, QStringLiteral("Absender"));
            QCOMPARE(e.margin, 12.5);
            QVERIFY(e.portrait);
            QCOMPARE(e.pictureFile, QStringLiteral("logo.png"));
        }
        QCOMPARE(resume.said, QStringLiteral("completed"));
    }

    void cancelBeforeARecordStopsThere()
    {
        Records records({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        FakeTarget target;
        Progress progress;
        progress.cancelBefore = 1;
        Resume resume;
        const TMergeResult result = RunMerge(records, base(), target, 3, {nullptr, &progress, &resume});
        QCOMPARE(result.end, TMergeEnd::Cancelled);
        QCOMPARE(result.printed, 1);
        QCOMPARE(result.next->recipient, QStringLiteral("B"));
        QCOMPARE(target.log, QStringList({"begin 3", "print A", "end"}));
        QCOMPARE(resume.said, QStringLiteral("stopped before 2 after 1"));
    }

    void theGivenWaiterIsWaitedThroughAndPutBackAfterwards()
    {
        FakeWaiter outer;
        SetPrintWaiter(&outer);
        Records records({QStringLiteral("A"), QStringLiteral("B")});
        FakeTarget target;
        target.waitBeforeEnvelope = 1;
        FakeWaiter waiter;
        const TMergeResult result = RunMerge(records, base(), target, 2, {&waiter, nullptr, nullptr});
        QCOMPARE(result.end, TMergeEnd::Completed);
        QCOMPARE(waiter.pauses, QList<int>{500});
        QVERIFY(outer.pauses.isEmpty());
        QCOMPARE(&CurrentPrintWaiter(), &outer);
        SetPrintWaiter(nullptr);
    }

    void cancelWhileWaitingEndsTheRunAtThatRecord()
    {
        Records records({QStringLiteral("A"), QStringLiteral("B\r\nWeg"), QStringLiteral("C")});
        FakeTarget target;
        target.waitBeforeEnvelope = 1;
        FakeWaiter waiter;
        waiter.answer = false;
        Resume resume;
        const TMergeResult result = RunMerge(records, base(), target, 3, {&waiter, nullptr, &resume});
        QCOMPARE(result.end, TMergeEnd::Cancelled);
        QCOMPARE(result.printed, 1);
        QCOMPARE(result.next->firstLine, QStringLiteral("B"));
        QCOMPARE(target.log, QStringList({"begin 3", "print A", "end"}));
        QCOMPARE(resume.said, QStringLiteral("stopped before 2 after 1"));
    }

    void aPrinterErrorFailsTheRunAndIsKept()
    {
        Records records({QStringLiteral("A"), QStringLiteral("B")});
        FakeTarget target;
        target.failAt = 0;
        Resume resume;
        const TMergeResult result = RunMerge(records, base(), target, 2, {nullptr, nullptr, &resume});
        QCOMPARE(result.end, TMergeEnd::Failed);
        QCOMPARE(result.printed, 0);
        QCOMPARE(result.failureText, QStringLiteral("refused"));
        QVERIFY_THROWS_EXCEPTION(EPrinterError, std::rethrow_exception(result.failure));
        QCOMPARE(target.log, QStringList({"begin 2", "end"}));
        QCOMPARE(resume.said, QStringLiteral("stopped before 1 after 0"));
    }

    void otherErrorsPassThroughAfterTheRunIsClosed()
    {
        Records records({QStringLiteral("A"), QStringLiteral("B")});
        FakeTarget target;
        target.failAt = 1;
        target.failWithLogicError = true;
        Resume resume;
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 RunMerge(records, base(), target, 2, {nullptr, nullptr, &resume}));
        QCOMPARE(target.log, QStringList({"begin 2", "print A", "end"}));
        QVERIFY(resume.said.isEmpty());
    }

    // A whole-run target cancelled while its job waits at the end has printed nothing; the run stops
    // at its first record.
    void cancelWhileTheWholeRunWaitsAtItsEnd()
    {
        Records records({QStringLiteral("A"), QStringLiteral("B")});
        FakeTarget target;
        target.handsOver = true;
        target.cancelledAtEnd = true;
        Resume resume;
        const TMergeResult result = RunMerge(records, base(), target, 2, {nullptr, nullptr, &resume});
        QCOMPARE(result.end, TMergeEnd::Cancelled);
        QCOMPARE(result.printed, 0);
        QCOMPARE(resume.said, QStringLiteral("stopped before 1 after 0"));
        QCOMPARE(target.log, QStringList({"begin 2", "print A", "print B", "end"}));
    }

    // A run over a source: numbers after the header, the range, and blank fields with and without
    // "Leere Zeilen auslassen" (a line with only blank fields gives no envelope then).
    void sourceRecordsTakeRangeHeaderAndBlankLines_data()
    {
        QTest::addColumn<TRunOptions>("options");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<qsizetype>("counted");
        const auto opts = [](bool header, bool skip, qsizetype from, qsizetype to) {
            return TRunOptions{header, skip, from, to};
        };
        QTest::newRow("whole file") << opts(false, false, 1, 0)
                                    << QStringList{"1 Name|Straße|Ort|",
                                                   "2 Firma Meier||Hauptstr. 5|",
                                                   "3  | |",
                                                   "4 Kurz|"}
                                    << qsizetype(4);
        QTest::newRow("header, 2 to 3")
                << opts(true, false, 2, 3) << QStringList{"2  | |", "3 Kurz|"} << qsizetype(2);
        QTest::newRow("skip blank fields")
                << opts(false, true, 1, 0)
                << QStringList{"1 Name|Straße|Ort|", "2 Firma Meier|Hauptstr. 5|", "4 Kurz|"} << qsizetype(3);
        QTest::newRow("to beyond the end, header")
                << opts(true, true, 3, 99) << QStringList{"3 Kurz|"} << qsizetype(1);
        QTest::newRow("from after to") << opts(false, false, 4, 2) << QStringList{} << qsizetype(0);
    }
    void sourceRecordsTakeRangeHeaderAndBlankLines()
    {
        QFETCH(TRunOptions, options);
        QFETCH(QStringList, printed);
        QFETCH(qsizetype, counted);
        const sources::SourceOpenResult opened = sources::OpenRecordSource(
                QByteArrayLiteral("Name;Straße;Ort\nFirma Meier;;Hauptstr. 5\n ; \nKurz\n"));
        QVERIFY(opened.source);
        TSourceRecords records(*opened.source, options);
        QStringList got;
        TMergeRecord r;
        while (records.next(r))
            got << QString::number(r.number) + QLatin1Char(' ') + QString(r.recipient).replace("\r\n", "|");
        QCOMPARE(got, printed);
        QCOMPARE(CountRunRecords(*opened.source, options), counted);
    }

    // The run box's preview of record k draws RecordEnvelope of it: the run hands the target that very
    // envelope for the record.
    void previewOfRecordIsWhatTheRunPrints_data()
    {
        QTest::addColumn<TRunOptions>("options");
        QTest::newRow("plain") << TRunOptions{false, false, 1, 0};
        QTest::newRow("header, blank lines left out") << TRunOptions{true, true, 1, 0};
        QTest::newRow("blank lines kept, from 2") << TRunOptions{false, false, 2, 0};
    }
    void previewOfRecordIsWhatTheRunPrints()
    {
        QFETCH(TRunOptions, options);
        const sources::SourceOpenResult opened
                = sources::OpenRecordSource(QByteArrayLiteral("Name;Ort\nMeier;;Weg 5\n ; \nKurz\n"));
        TSourceRecords records(*opened.source, options);
        FakeTarget target;
        Progress progress;
        RunMerge(records, base(), target, 0, {nullptr, &progress, nullptr});
        QCOMPARE(target.printed.size(), CountRunRecords(*opened.source, options));
        for (int i = 0; i < target.printed.size(); ++i) {
            const int k = progress.log[2 * i].section(QLatin1Char(' '), 1, 1).toInt();
            const QStringList fields
                    = opened.source->record(SourceIndexOf(*opened.source, options.firstLineIsHeader, k));
            QCOMPARE(RecordEnvelope(base(), fields, options.skipEmptyLines), target.printed[i]);
        }
    }
};

QTEST_GUILESS_MAIN(TestMergeEngine)
#include "tst_mergeengine.moc"
