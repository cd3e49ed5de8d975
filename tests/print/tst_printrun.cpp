#include "app/PrintRun.h"
#include "core/translateunit.h"

#include <cups/ipp.h>

#include <QApplication>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(std::optional<bool>)

namespace {

QProgressDialog *visibleProgress()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *p = qobject_cast<QProgressDialog *>(w); p && p->isVisible())
            return p;
    }
    return nullptr;
}

} // namespace

class TestPrintRun : public QObject
{
    Q_OBJECT
    QTemporaryDir m_program;

private slots:
    void initTestCase()
    {
        QVERIFY(m_program.isValid());
        SetTranslationHost([] { return 0; }, [this] { return m_program.path() + QLatin1Char('/'); });
    }

    void classify_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<std::optional<bool>>("accepting");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<bool>("asks");
        const std::optional<bool> none;
        QTest::newRow("job limit, queue accepts")
                << int(IPP_STATUS_ERROR_NOT_POSSIBLE) << std::optional(true) << true << true;
        QTest::newRow("not possible, queue rejects")
                << int(IPP_STATUS_ERROR_NOT_POSSIBLE) << std::optional(false) << false << true;
        QTest::newRow("not possible, queue unknown")
                << int(IPP_STATUS_ERROR_NOT_POSSIBLE) << none << false << true;
        QTest::newRow("busy") << int(IPP_STATUS_ERROR_BUSY) << none << true << false;
        QTest::newRow("service unavailable")
                << int(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) << none << true << false;
        QTest::newRow("temporary") << int(IPP_STATUS_ERROR_TEMPORARY) << none << true << false;
        QTest::newRow("too many jobs") << int(IPP_STATUS_ERROR_TOO_MANY_JOBS) << none << true << false;
        QTest::newRow("too many documents")
                << int(IPP_STATUS_ERROR_TOO_MANY_DOCUMENTS) << none << true << false;
        QTest::newRow("not accepting")
                << int(IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) << std::optional(true) << false << false;
        QTest::newRow("not found") << int(IPP_STATUS_ERROR_NOT_FOUND) << std::optional(true) << false
                                   << false;
        QTest::newRow("bad document")
                << int(IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED) << none << false << false;
        QTest::newRow("forbidden") << int(IPP_STATUS_ERROR_FORBIDDEN) << none << false << false;
        QTest::newRow("internal (no scheduler)") << int(IPP_STATUS_ERROR_INTERNAL) << none << false << false;
    }
    void classify()
    {
        QFETCH(int, status);
        QFETCH(std::optional<bool>, accepting);
        QFETCH(bool, passes);
        QFETCH(bool, asks);
        int asked = 0;
        const TRefusal r = ClassifyRefusal(status, [&] {
            ++asked;
            return accepting;
        });
        QCOMPARE(r, passes ? TRefusal::Passing : TRefusal::Lasting);
        QCOMPARE(asked, asks ? 1 : 0);
    }

    void pauses_data()
    {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("ms");
        QTest::newRow("first") << 1 << 500;
        QTest::newRow("second") << 2 << 1000;
        QTest::newRow("third") << 3 << 2000;
        QTest::newRow("fourth") << 4 << 4000;
        QTest::newRow("fifth") << 5 << 5000;
        QTest::newRow("many") << 40 << 5000;
        QTest::newRow("int max") << std::numeric_limits<int>::max() << 5000;
    }
    void pauses()
    {
        QFETCH(int, refusals);
        QFETCH(int, ms);
        QCOMPARE(RetryPauseMs(refusals), ms);
    }

    // answers: "ok" (job taken), "full" (job limit, queue accepting), "busy", "reject" (queue rejects);
    // cancelAfter: the wait returns false from that many waits on (-1 = never).
    void retry_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("cancelAfter");
        QTest::addColumn<TSubmitEnd>("end");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<QList<int>>("waits");
        QTest::newRow("taken at once")
                << QStringList{"ok"} << -1 << TSubmitEnd::Submitted << 1 << QList<int>{};
        QTest::newRow("full twice") << QStringList{"full", "full", "ok"} << -1 << TSubmitEnd::Submitted << 3
                                    << QList<int>{500, 1000};
        QTest::newRow("full long") << QStringList{"full", "busy", "full", "full", "full", "full", "ok"} << -1
                                   << TSubmitEnd::Submitted << 7
                                   << QList<int>{500, 1000, 2000, 4000, 5000, 5000};
        QTest::newRow("rejecting") << QStringList{"reject"} << -1 << TSubmitEnd::Refused << 1 << QList<int>{};
        QTest::newRow("full, then rejecting")
                << QStringList{"full", "reject"} << -1 << TSubmitEnd::Refused << 2 << QList<int>{500};
        QTest::newRow("cancel in first wait")
                << QStringList{"full", "ok"} << 0 << TSubmitEnd::Cancelled << 1 << QList<int>{500};
        QTest::newRow("cancel in third wait") << QStringList{"busy", "busy", "busy", "ok"} << 2
                                              << TSubmitEnd::Cancelled << 3 << QList<int>{500, 1000, 2000};
    }
    void retry()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, cancelAfter);
        QFETCH(TSubmitEnd, end);
        QFETCH(int, attempts);
        QFETCH(QList<int>, waits);
        int next = 0;
        bool accepting = true;
        const auto submit = [&]() -> TSubmitAnswer {
            const QString a = answers.value(next++, QStringLiteral("none"));
            accepting = a != QLatin1String("reject");
            if (a == QLatin1String("ok"))
                return {41 + next, 0, QString()};
            if (a == QLatin1String("busy"))
                return {0, IPP_STATUS_ERROR_BUSY, QStringLiteral("busy")};
            if (a == QLatin1String("reject"))
                return {0, IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS, QStringLiteral("not accepting")};
            return {0, IPP_STATUS_ERROR_NOT_POSSIBLE, QStringLiteral("Too many active jobs.")};
        };
        QList<int> seen;
        const TRetryResult r = SubmitWithRetry(
                submit,
                [&] { return std::optional<bool>(accepting); },
                [&](int ms) {
                    seen.append(ms);
                    return cancelAfter < 0 || seen.size() <= cancelAfter;
                });
        QCOMPARE(r.end, end);
        QCOMPARE(r.attempts, attempts);
        QCOMPARE(next, attempts);
        QCOMPARE(seen, waits);
        if (end == TSubmitEnd::Submitted)
            QCOMPARE(r.answer.jobId, 41 + attempts);
        if (end == TSubmitEnd::Refused)
            QCOMPARE(r.answer.serviceText, QStringLiteral("not accepting"));
    }

    void runsNest()
    {
        QVERIFY(!TPrintRun::current());
        {
            TPrintRun outer(nullptr, 3);
            QCOMPARE(TPrintRun::current(), &outer);
            {
                TPrintRun inner(nullptr, 1);
                QCOMPARE(TPrintRun::current(), &inner);
            }
            QCOMPARE(TPrintRun::current(), &outer);
            outer.envelopePrinted();
            QCOMPARE(outer.printed(), 1);
            QCOMPARE(outer.printedText(), QStringLiteral("1 von 3 Umschlägen gedruckt"));
        }
        QVERIFY(!TPrintRun::current());
        TPrintRun resumed(nullptr, 30, 12);
        resumed.envelopePrinted();
        QCOMPARE(resumed.printedText(), QStringLiteral("13 von 30 Umschlägen gedruckt"));
    }

    void waitShowsProgressAndEnds()
    {
        TPrintRun run(nullptr, 5);
        run.envelopePrinted();
        run.envelopePrinted();
        QString shown;
        QTimer::singleShot(20, [&shown] {
            if (QProgressDialog *p = visibleProgress())
                shown = p->labelText();
        });
        QVERIFY(run.waitForPrinter(150));
        QCOMPARE(shown, QStringLiteral("Warte auf den Drucker …\n2 von 5 Umschlägen gedruckt"));
        QVERIFY(!run.cancelled());
        // Between waits the window says what is done.
        QProgressDialog *p = visibleProgress();
        QVERIFY(p);
        QCOMPARE(p->labelText(), QStringLiteral("2 von 5 Umschlägen gedruckt"));
        run.envelopePrinted();
        QCOMPARE(p->labelText(), QStringLiteral("3 von 5 Umschlägen gedruckt"));
        QCOMPARE(p->value(), 3);
    }

    void cancelEndsTheWait_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("cancel button") << true;
        QTest::newRow("cancel()") << false;
    }
    void cancelEndsTheWait()
    {
        QFETCH(bool, byButton);
        TPrintRun run(nullptr, 2);
        QTimer::singleShot(50, [byButton] {
            QProgressDialog *p = visibleProgress();
            QVERIFY(p);
            if (byButton)
                emit p->canceled();
            else
                p->cancel();
        });
        // A pause far longer than the test may take: only the cancel can end it.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!run.waitForPrinter(600000));
        QVERIFY(clock.elapsed() < 60000);
        QVERIFY(run.cancelled());
        // Once cancelled, the run waits no more.
        QVERIFY(!run.waitForPrinter(600000));
    }

    void runOwnProgressWindowIsUsed()
    {
        QProgressDialog own(QStringLiteral("Seriendruck\n0"), QStringLiteral("Abbrechen"), 0, 10);
        TPrintRun run(nullptr, 10);
        run.useProgress(&own);
        QVERIFY(run.waitForPrinter(30));
        QVERIFY(own.isVisible());
        // The run's own text comes back after the wait.
        QCOMPARE(own.labelText(), QStringLiteral("Seriendruck\n0"));
        QCOMPARE(visibleProgress(), &own);
    }

    void waitWithoutRun()
    {
        QVERIFY(!TPrintRun::current());
        QTimer::singleShot(30, [] {
            if (QProgressDialog *p = visibleProgress())
                p->cancel();
        });
        QVERIFY(!WaitForPrinter(600000));
        QVERIFY(!TPrintRun::current());
        QVERIFY(!visibleProgress());
    }

    void cancelledIsNoPrinterError()
    {
        const EPrintCancelled e;
        QCOMPARE(e.message(), QStringLiteral("Der Druck wurde abgebrochen."));
        QVERIFY(!dynamic_cast<const EPrinterError *>(static_cast<const EKuvertinoError *>(&e)));
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
