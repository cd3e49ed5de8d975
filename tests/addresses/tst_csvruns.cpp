// The two CSV runs as a user meets them: files that are not text, the run box with its header line,
// and a print run that stops early and goes on where it stopped.

#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/RunResume.h"
#include "print/Printer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSettings>
#include <QtTest>

#include <poppler-qt6.h>

// Declared before the first data row that carries one.
Q_DECLARE_METATYPE(TRunAnswer)

namespace {

QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString optionsFile()
{
    return TestEnv->settingsFolder() + QStringLiteral("options.dat");
}

// The first text line of each printed envelope, in the order the jobs were made.
QStringList printedRecipients()
{
    QDir dir(TestEnv->pdfFolder());
    QStringList files = dir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    const auto num = [](const QString &s) { return s.section(u'-', -1).section(u'.', 0, 0).toInt(); };
    std::sort(
            files.begin(), files.end(), [&](const QString &a, const QString &b) { return num(a) < num(b); });
    QStringList out;
    for (const QString &f : files) {
        std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(dir.filePath(f));
        const QString text = doc && doc->numPages() == 1 ? doc->page(0)->text(QRectF()) : QStringLiteral("?");
        // The sender line is fixed; the recipient is the only text with a "#".
        const qsizetype at = text.indexOf(u'#');
        out << (at < 0 ? text : text.mid(at, text.indexOf(u'#', at + 1) - at + 1));
    }
    return out;
}

// Lines "#1#", "#2#"... so each envelope names its line.
QByteArray numberedLines(int n)
{
    QByteArray b;
    for (int i = 1; i <= n; ++i)
        b += "#" + QByteArray::number(i) + "#;Weg " + QByteArray::number(i) + "\n";
    return b;
}

// Cancels the run's progress window once the recipient field has been filled `fills` times.
void cancelAtFill(int fills)
{
    auto count = std::make_shared<int>(0);
    QObject::connect(MainForm->Memo1, &QPlainTextEdit::textChanged, MainForm, [count, fills] {
        if (++*count == fills) {
            if (auto *progress = MainForm->findChild<QProgressDialog *>())
                progress->cancel();
        }
    });
}

} // namespace

class TestCsvRuns : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    ScriptedDialogs &dialogs() { return **m_dialogs; }

    void restart()
    {
        DestroyApplicationWindows();
        // The old guard puts back what it found before the new one is installed.
        m_dialogs.reset();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
        MainForm->Memo2->setText(QStringLiteral("Absender"));
    }

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        QDir(TestEnv->pdfFolder()).removeRecursively();
        QDir().mkpath(TestEnv->pdfFolder());
        TFormStorage::openStore()->remove(QStringLiteral("CsvPrintRuns"));
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
        MainForm->Memo2->setText(QStringLiteral("Absender"));
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void notTextIsRefused_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("what");
        const QByteArray zip = QByteArray("PK\x03\x04\x14\0\x06\0", 8) + "[Content_Types].xml;Weg 1\n";
        const QByteArray pdf("%PDF-1.4\n1 0 obj;Weg 1\n");
        const QByteArray png = QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
        const QByteArray nul = QByteArray("Meier;Weg 1\nSchulz\0;Weg 2\n", 26);
        for (bool print : {true, false}) {
            const char *run = print ? "print" : "list";
            QTest::addRow("%s, xlsx", run) << print << zip << "ZIP-Format";
            QTest::addRow("%s, pdf", run) << print << pdf << "ein PDF-Dokument";
            QTest::addRow("%s, png", run) << print << png << "ein Bild (PNG)";
            QTest::addRow("%s, NUL", run) << print << nul << "Nullbytes";
        }
    }
    void notTextIsRefused()
    {
        QFETCH(bool, print);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, what);
        MainForm->SaveInListBtnClick();
        const QByteArray optionsBefore = fileBytes(optionsFile());
        QVERIFY(!optionsBefore.isEmpty());
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("adressen.xlsx"), bytes));
        if (print)
            MainForm->CSVImportieren1->trigger();
        else
            MainForm->CSVDateiinAdresslisteladen1->trigger();
        QCOMPARE(dialogs().messages.size(), 1);
        const ScriptedDialogs::Message &m = dialogs().messages[0];
        QCOMPARE(m.icon, TMsgIcon::Error);
        // A zip container is read as a spreadsheet: this one is no workbook a reader can open.
        const QString start = what == QLatin1String("ZIP-Format")
                                      ? QStringLiteral("„adressen.xlsx“ ist beschädigt oder unvollständig")
                                      : QStringLiteral("„adressen.xlsx“ ist keine CSV-Datei, sondern ");
        QVERIFY2(m.text.startsWith(start), qPrintable(m.text));
        QVERIFY2(m.text.contains(what) || what == QLatin1String("ZIP-Format"), qPrintable(m.text));
        // Refused before anything was asked, printed or stored.
        QVERIFY(dialogs().runQuestions.isEmpty());
        QVERIFY(printedRecipients().isEmpty());
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{QString()});
        QCOMPARE(fileBytes(optionsFile()), optionsBefore);
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("vorher"));
    }

    void listRunAsks_data()
    {
        QTest::addColumn<TRunAnswer>("answer");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("cancel") << TRunAnswer{false, true} << QStringList{"Alt"};
        QTest::newRow("OK") << TRunAnswer{true, false}
                            << QStringList{
                                       "Alt", "Name\r\nOrt\r\n", "Meier\r\nBerlin\r\n", "Schulz\r\nBonn\r\n"};
        QTest::newRow("OK, header") << TRunAnswer{true, true}
                                    << QStringList{"Alt", "Meier\r\nBerlin\r\n", "Schulz\r\nBonn\r\n"};
    }
    void listRunAsks()
    {
        QFETCH(TRunAnswer, answer);
        QFETCH(QStringList, items);
        ChooseAddressForm->setAddresses({"Alt"});
        MainForm->SaveOptions();
        const QByteArray optionsBefore = fileBytes(optionsFile());
        dialogs().fileAnswers.enqueue(
                TestEnv->writeFile(QStringLiteral("liste.csv"), "Name;Ort\n\nMeier;Berlin\nSchulz;Bonn"));
        dialogs().runAnswers.enqueue(answer);
        MainForm->CSVDateiinAdresslisteladen1->trigger();
        QCOMPARE(dialogs().runQuestions.size(), 1);
        const TRunQuestion &q = dialogs().runQuestions[0];
        QCOMPARE(q.caption, QStringLiteral("CSV Datei in Adressliste laden"));
        QCOMPARE(q.countText, QStringLiteral("Adressen: %1"));
        QCOMPARE(q.records, 3);
        QCOMPARE(q.firstRecord, (QStringList{"Name", "Ort"}));
        QCOMPARE(q.recordsAfterHeader, 2);
        QCOMPARE(q.firstRecordAfterHeader, (QStringList{"Meier", "Berlin"}));
        QVERIFY(dialogs().messages.isEmpty());
        QCOMPARE(ChooseAddressForm->addresses(), items);
        if (!answer.accepted)
            QCOMPARE(fileBytes(optionsFile()), optionsBefore);
    }

    void printRunHeaderSkipsLineOne()
    {
        dialogs().fileAnswers.enqueue(
                TestEnv->writeFile(QStringLiteral("kopf.csv"), "#Name#;Ort\n" + numberedLines(2)));
        dialogs().runAnswers.enqueue(TRunAnswer{true, true});
        MainForm->CSVImportieren1Click();
        QCOMPARE(printedRecipients(), (QStringList{"#1#", "#2#"}));
        QVERIFY(dialogs().messages.isEmpty());
    }

    void cancelledRunSaysWhereAndResumes()
    {
        const QString csv = TestEnv->writeFile(QStringLiteral("serie.csv"), "\n" + numberedLines(5));
        dialogs().fileAnswers.enqueue(csv);
        cancelAtFill(2);
        MainForm->CSVImportieren1Click();
        QCOMPARE(printedRecipients(), (QStringList{"#1#", "#2#"}));
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Information);
        QCOMPARE(dialogs().messages[0].caption, QStringLiteral("Seriendruck"));
        QCOMPARE(dialogs().messages[0].text,
                 QStringLiteral("Der Seriendruck wurde nach 2 von 5 Umschlägen beendet.\n"
                                "Nächster Datensatz: Zeile 4, „#3#“.\n"
                                "Um dort fortzufahren, geben Sie bei „Von Datensatz“ 3 ein."));

        // The place is in the per-user store on disk, so a new start finds it.
        QSettings onDisk(TestEnv->path(QStringLiteral("config/Velmora/Kuvertino.conf")),
                         QSettings::IniFormat);
        QVERIFY2(onDisk.allKeys().join(u' ').contains(QLatin1String("CsvPrintRuns/")),
                 qPrintable(onDisk.allKeys().join(u' ')));
        restart();

        dialogs().fileAnswers.enqueue(csv);
        dialogs().messageAnswers.enqueue(TMsgResult::Yes);
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().messages.size(), 1);
        const ScriptedDialogs::Message &ask = dialogs().messages[0];
        QCOMPARE(ask.buttons, TMsgButtons::YesNo);
        QCOMPARE(ask.icon, TMsgIcon::Question);
        QCOMPARE(ask.caption, QStringLiteral("Seriendruck"));
        QCOMPARE(ask.text,
                 QStringLiteral(
                         "Der letzte Seriendruck dieser Datei wurde nach 2 von 5 Umschlägen beendet.\n"
                         "Beim nächsten Datensatz fortfahren (Zeile 4, „#3#“)? Mit Nein beginnt der Druck "
                         "bei der ersten Zeile."));
        QCOMPARE(dialogs().runQuestions.size(), 1);
        QCOMPARE(dialogs().runQuestions[0].records, 3);
        QCOMPARE(dialogs().runQuestions[0].firstRecord, (QStringList{"#3#", "Weg 3"}));
        // Only the rest, each line once.
        QCOMPARE(printedRecipients(), (QStringList{"#1#", "#2#", "#3#", "#4#", "#5#"}));

        // Done: the next run starts at the top without asking.
        dialogs().fileAnswers.enqueue(csv);
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(printedRecipients().size(), 10);
    }

    void resumeDeclinedOrFileChanged_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("asked");
        QTest::newRow("No") << false << 1;
        QTest::newRow("file changed") << true << 0;
    }
    void resumeDeclinedOrFileChanged()
    {
        QFETCH(bool, change);
        QFETCH(int, asked);
        const QString csv = TestEnv->writeFile(QStringLiteral("nein.csv"), numberedLines(3));
        dialogs().fileAnswers.enqueue(csv);
        cancelAtFill(1);
        MainForm->CSVImportieren1Click();
        QCOMPARE(printedRecipients(), QStringList{"#1#"});
        dialogs().messages.clear();
        if (change)
            TestEnv->writeFile(QStringLiteral("nein.csv"), numberedLines(4));
        dialogs().fileAnswers.enqueue(csv);
        dialogs().messageAnswers.enqueue(TMsgResult::No);
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().messages.size(), asked);
        const QStringList again = change ? QStringList{"#1#", "#1#", "#2#", "#3#", "#4#"}
                                         : QStringList{"#1#", "#1#", "#2#", "#3#"};
        QCOMPARE(printedRecipients(), again);
    }

    // A stored place that no run over this file can have left is dropped without a question.
    void placeThatDoesNotFitIsForgotten_data()
    {
        QTest::addColumn<int>("nextLine");
        QTest::addColumn<int>("printed");
        QTest::addColumn<int>("total");
        QTest::newRow("damaged") << 2147483647 << -5 << 999999999;
        QTest::newRow("past the end") << 4 << 2 << 3;
        QTest::newRow("line 1") << 1 << 0 << 3;
    }
    void placeThatDoesNotFitIsForgotten()
    {
        QFETCH(int, nextLine);
        QFETCH(int, printed);
        QFETCH(int, total);
        const QString csv = TestEnv->writeFile(QStringLiteral("kaputt.csv"), numberedLines(3));
        const TCsvFileIdentity identity = TCsvFileIdentity::of(QFileInfo(csv));
        {
            const auto store = TFormStorage::openStore();
            QCOMPARE(TResumeStore(*store).save(identity, TResumePlace{nextLine, printed, total, "#x#"}),
                     QString());
        }
        dialogs().fileAnswers.enqueue(csv);
        MainForm->CSVImportieren1Click();
        QVERIFY(dialogs().messages.isEmpty());
        QCOMPARE(printedRecipients(), (QStringList{"#1#", "#2#", "#3#"}));
        const auto store = TFormStorage::openStore();
        QVERIFY(!TResumeStore(*store).find(identity));
    }

    void printErrorStopsAndResumesAtTheFailedRecord()
    {
        const QString csv = TestEnv->writeFile(QStringLiteral("fehler.csv"), numberedLines(3));
        dialogs().fileAnswers.enqueue(csv);
        // The second envelope finds no folder to write to.
        const QString blocker = TestEnv->writeFile(QStringLiteral("blocker"), "x");
        QObject::connect(MainForm->Memo1, &QPlainTextEdit::textChanged, MainForm, [blocker] {
            if (MainForm->Memo1->text().startsWith(QLatin1String("#2#")))
                TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/pdf"));
        });
        MainForm->CSVImportieren1Click();
        TPrinter::setPdfOutputFolder(TestEnv->pdfFolder());
        QCOMPARE(printedRecipients(), QStringList{"#1#"});
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Error);
        QVERIFY2(
                dialogs().messages[0].text.endsWith(QStringLiteral("\n\nDer Seriendruck wurde nach 1 von 3 "
                                                                   "Umschlägen beendet.\nNächster Datensatz: "
                                                                   "Zeile 2, „#2#“.\nUm dort fortzufahren, "
                                                                   "geben Sie bei „Von Datensatz“ 2 ein.")),
                qPrintable(dialogs().messages[0].text));
        restart();
        dialogs().fileAnswers.enqueue(csv);
        MainForm->CSVImportieren1Click();
        QCOMPARE(printedRecipients(), (QStringList{"#1#", "#2#", "#3#"}));
    }
};

KUVERTINO_GUI_TEST_MAIN(TestCsvRuns)
#include "tst_csvruns.moc"
