// Mass printing through a print service that fills up: a scheduler of the test's own with a job limit
// of 10, its queue held for a while so the limit is reached at once. Each job's document is kept by
// the queue's backend, so the envelopes are checked as they arrived.

#include "CopiesAnswer.h"
#include "PrivateScheduler.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"
#include "app/Components.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "print/Printer.h"

#include <QApplication>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <poppler-qt6.h>

namespace {

PrivateScheduler *Scheduler = nullptr;

QByteArray numberedLines(int n)
{
    QByteArray b;
    for (int i = 1; i <= n; ++i)
        b += "#" + QByteArray::number(i) + "#;Weg " + QByteArray::number(i) + "\n";
    return b;
}

// The recipient ("#n#") of each job's document, in job order.
QStringList arrived()
{
    QDir dir(Scheduler->outDir());
    QStringList files = dir.entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
    const auto num = [](const QString &s) { return s.section(u'-', 1).section(u'.', 0, 0).toInt(); };
    std::sort(
            files.begin(), files.end(), [&](const QString &a, const QString &b) { return num(a) < num(b); });
    static const QRegularExpression tag(QStringLiteral("#\\d+#"));
    QStringList out;
    for (const QString &f : files) {
        std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(dir.filePath(f));
        const QString text = doc && doc->numPages() == 1 ? doc->page(0)->text(QRectF()) : QString();
        out << tag.match(text).captured();
    }
    return out;
}

// Waits until the queue has printed everything it holds.
bool queueEmpty()
{
    for (int i = 0; i < 600; ++i) {
        if (Scheduler
                    ->tool(QStringLiteral("lpstat"),
                           {QStringLiteral("-o"), QLatin1String(PrivateScheduler::Queue)})
                    .trimmed()
                    .isEmpty())
            return true;
        QTest::qWait(100);
    }
    return false;
}

QStringList expected(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral("#%1#").arg(i);
    return out;
}

// Watches for the progress window saying that the run waits; optionally cancels it then.
class WaitWatcher : public QObject
{
public:
    explicit WaitWatcher(bool cancel)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, cancel] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *p = qobject_cast<QProgressDialog *>(w);
                if (!p || !p->isVisible()
                    || !p->labelText().startsWith(QStringLiteral("Warte auf den Drucker")))
                    continue;
                if (firstLabel.isEmpty())
                    firstLabel = p->labelText();
                if (cancel && !p->wasCanceled())
                    p->cancel();
            }
        });
        m_timer.start(50);
    }
    QString firstLabel;

private:
    QTimer m_timer;
};

} // namespace

class TestCupsQueue : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    ScriptedDialogs &dialogs() { return **m_dialogs; }

    // Holds the queue until `ms` have passed (0 = until release()).
    void holdFor(int ms)
    {
        Scheduler->hold();
        if (ms > 0)
            QTimer::singleShot(ms, [] { Scheduler->release(); });
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(Scheduler->ok(), qPrintable(Scheduler->error()));
        CreateApplicationWindows();
        // The program starts on the scheduler's default queue.
        QCOMPARE(Printer().printerName(), QLatin1String(PrivateScheduler::Queue));
        MainForm->Memo2->setText(QStringLiteral("Absender"));
    }
    void cleanupTestCase() { DestroyApplicationWindows(); }

    void init()
    {
        Scheduler->accept();
        Scheduler->release();
        QVERIFY(queueEmpty());
        for (const QString &f : QDir(Scheduler->outDir()).entryList(QDir::Files))
            QFile::remove(Scheduler->outDir() + u'/' + f);
        m_dialogs.reset();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    }
    void cleanup()
    {
        Scheduler->accept();
        Scheduler->release();
        m_dialogs.reset();
    }

    void thirtyLinesThroughAFullQueue()
    {
        const WaitWatcher watcher(false);
        holdFor(3000);
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("dreissig.csv"), numberedLines(30)));
        MainForm->CSVImportieren1Click();
        QVERIFY2(dialogs().messages.isEmpty(), qPrintable(dialogs().messages.value(0).text));
        // The limit stopped the run after ten jobs, and the window said so.
        QCOMPARE(watcher.firstLabel,
                 QStringLiteral("Warte auf den Drucker …\n10 von 30 Umschlägen gedruckt"));
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), expected(1, 30));
    }

    void cancelWhileWaitingThenResume()
    {
        const QString csv = TestEnv->writeFile(QStringLiteral("abbruch.csv"), numberedLines(30));
        {
            const WaitWatcher watcher(true);
            holdFor(0);
            dialogs().fileAnswers.enqueue(csv);
            MainForm->CSVImportieren1Click();
        }
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Information);
        QCOMPARE(dialogs().messages[0].text,
                 QStringLiteral("Der Seriendruck wurde nach 10 von 30 Umschlägen beendet.\n"
                                "Nächster Datensatz: Zeile 11, „#11#“.\n"
                                "Um dort fortzufahren, geben Sie bei „Von Datensatz“ 11 ein."));
        Scheduler->release();
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), expected(1, 10));

        // The next run of the file goes on at line 11: each line once, in order.
        dialogs().fileAnswers.enqueue(csv);
        dialogs().messageAnswers.enqueue(TMsgResult::Yes);
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().messages.size(), 2);
        QCOMPARE(dialogs().messages[1].buttons, TMsgButtons::YesNo);
        QCOMPARE(dialogs().runQuestions.size(), 2);
        QCOMPARE(dialogs().runQuestions[1].records, 20);
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), expected(1, 30));
    }

    void headerLineSkipped()
    {
        dialogs().fileAnswers.enqueue(
                TestEnv->writeFile(QStringLiteral("kopf.csv"), "#0#;Kopf\n" + numberedLines(2)));
        dialogs().runAnswers.enqueue(TRunAnswer{true, true});
        MainForm->CSVImportieren1Click();
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), expected(1, 2));
    }

    void rejectingQueueEndsTheRun()
    {
        Scheduler->reject();
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("abgelehnt.csv"), numberedLines(5)));
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().messages.size(), 1);
        const QString text = dialogs().messages[0].text;
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Error);
        // A sentence of ours, the service's own words, then where the run stopped.
        QVERIFY2(text.startsWith(
                         QStringLiteral("Der Drucker \"Kuvertino-Test\" hat den Druckauftrag abgelehnt. ")),
                 qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("not accepting jobs")), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("\n\nDer Seriendruck wurde nach 0 von 5 Umschlägen beendet.\n"
                                              "Nächster Datensatz: Zeile 1, „#1#“.\n"
                                              "Um dort fortzufahren, geben Sie bei „Von Datensatz“ 1 ein.")),
                 qPrintable(text));
        QVERIFY(arrived().isEmpty());
    }

    void copiesWaitToo()
    {
        const WaitWatcher watcher(false);
        holdFor(2000);
        MainForm->Memo1->setText(QStringLiteral("#7#"));
        QueueCopiesAnswer(dialogs(), 12);
        MainForm->MehrereKopiendrucken1Click();
        QVERIFY(dialogs().messages.isEmpty());
        QCOMPARE(watcher.firstLabel,
                 QStringLiteral("Warte auf den Drucker …\n10 von 12 Umschlägen gedruckt"));
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), QStringList(12, QStringLiteral("#7#")));
    }

    void cancelWhileWaiting_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("Drucken") << "print"
                                 << "Der Druck wurde abgebrochen.";
        QTest::newRow("marked")
                << "marked"
                << "Der Druck der markierten Adressen wurde nach 0 von 2 Umschlägen beendet.\n"
                   "Nicht gedruckt ab: „#11#“.";
        QTest::newRow("copies") << "copies"
                                << "Der Druck wurde nach 0 von 3 Umschlägen beendet.";
    }
    void cancelWhileWaiting()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        // Ten jobs fill the held queue.
        holdFor(0);
        MainForm->Memo1->setText(QStringLiteral("#1#"));
        QueueCopiesAnswer(dialogs(), 10);
        MainForm->MehrereKopiendrucken1Click();
        QVERIFY(dialogs().messages.isEmpty());
        {
            const WaitWatcher watcher(true);
            MainForm->Memo1->setText(QStringLiteral("#11#"));
            if (command == QLatin1String("print")) {
                Guarded([] { MainForm->Drucken1Click(); });
            } else if (command == QLatin1String("marked")) {
                ChooseAddressForm->setAddresses({QStringLiteral("#11#\r\nWeg"), QStringLiteral("#12#")});
                ChooseAddressForm->ListView1->selectAll();
                ChooseAddressForm->BitBtn4Click();
            } else {
                QueueCopiesAnswer(dialogs(), 3);
                MainForm->MehrereKopiendrucken1Click();
            }
            QVERIFY(!watcher.firstLabel.isEmpty());
        }
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].text, message);
        QVERIFY(!Printer().printing());
        Scheduler->release();
        QVERIFY(queueEmpty());
        QCOMPARE(arrived(), QStringList(10, QStringLiteral("#1#")));
    }
};

int main(int argc, char *argv[])
{
    // Before anything in the process asks the print service, so libcups and Qt both go there.
    PrivateScheduler scheduler(10);
    Scheduler = &scheduler;
    qputenv("CUPS_SERVER", scheduler.socket().toLocal8Bit());
    return RunIsolatedGuiTest<TestCupsQueue>(argc, argv, TestPrinter::SystemDefault);
}

#include "tst_cupsqueue.moc"
