#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/ChooseAddressFUnit.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/translateunit.h"
#include "print/Printer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTreeWidget>
#include <QtTest>

#include <poppler-qt6.h>

Q_DECLARE_METATYPE(TRunAnswer)

extern IsolatedEnvironment *TestEnv;

namespace {

QString optionsFile()
{
    return TestEnv->settingsFolder() + QStringLiteral("options.dat");
}

QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How often a text occurs in a file as the UTF-16LE code units of a wide-string record.
int occurrences(const QByteArray &bytes, const QString &text)
{
    const QByteArray needle(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    int n = 0;
    for (qsizetype p = bytes.indexOf(needle); p >= 0; p = bytes.indexOf(needle, p + 1))
        ++n;
    return n;
}

QStringList printedFiles()
{
    QDir dir(TestEnv->pdfFolder());
    QStringList files = dir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    // Job numbers in the order the jobs were made.
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        const auto num = [](const QString &s) { return s.section(u'-', -1).section(u'.', 0, 0).toInt(); };
        return num(a) < num(b);
    });
    for (QString &f : files)
        f = dir.filePath(f);
    return files;
}

QString pdfText(const QString &file)
{
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    if (!doc || doc->numPages() != 1)
        return QStringLiteral("<no one-page PDF>");
    return doc->page(0)->text(QRectF());
}

QTreeWidget *list()
{
    return ChooseAddressForm->ListView1;
}

void mark(const QList<int> &rows)
{
    list()->clearSelection();
    for (int r : rows)
        list()->topLevelItem(r)->setSelected(true);
}

} // namespace

class TestAddressList : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    ScriptedDialogs &dialogs() { return **m_dialogs; }

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        QDir(TestEnv->pdfFolder()).removeRecursively();
        QDir().mkpath(TestEnv->pdfFolder());
        TPrinter::setPdfOutputFolder(TestEnv->pdfFolder());
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void windowShape()
    {
        auto *f = ChooseAddressForm;
        QCOMPARE(f->windowTitle(), QStringLiteral("Adresse wählen"));
        QVERIFY(f->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(f->size(), QSize(219, 409));
        const QList<QObject *> order{
                f->Panel1, f->BitBtn1, f->BitBtn2, f->BitBtn3, f->BitBtn4, f->ListView1, f->FormStorage1};
        QCOMPARE(f->Components, order);
        QCOMPARE(f->BitBtn1->text(), QStringLiteral("OK, Adresse übernehmen"));
        QCOMPARE(f->BitBtn2->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(f->BitBtn3->text(), QStringLiteral("Löschen"));
        QCOMPARE(f->BitBtn4->text(), QStringLiteral("Markierte Adressen drucken..."));
        for (auto *b : {f->BitBtn1, f->BitBtn2, f->BitBtn3, f->BitBtn4})
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        QVERIFY(f->BitBtn1->isDefault());
        QVERIFY(f->BitBtn2->isCancel());
        QCOMPARE(f->BitBtn1->modalResult, int(QDialog::Accepted));
        QCOMPARE(f->BitBtn2->modalResult, int(QDialog::Rejected));
        QCOMPARE(f->BitBtn3->modalResult, 0);
        QCOMPARE(f->BitBtn4->modalResult, int(QDialog::Accepted));

        f->showNonModal();
        // The designed width 219 is the least: the window grows where a caption needs more.
        const int w = f->width();
        QVERIFY(w >= 219);
        QCOMPARE(w, qMax(219, f->minimumSizeHint().width()));
        QCOMPARE(f->Panel1->geometry(), QRect(0, 0, w, 113));
        QCOMPARE(f->ListView1->geometry(), QRect(0, 113, w, 409 - 113));
        QCOMPARE(f->BitBtn1->geometry().topLeft(), QPoint(8, 10));
        QCOMPARE(f->BitBtn1->width(), w - 21);
        QCOMPARE(f->BitBtn2->geometry().left(), 8);
        QCOMPARE(f->BitBtn2->width(), (w - 21 - 6) / 2);
        QCOMPARE(f->BitBtn3->geometry().left(), 8 + f->BitBtn2->width() + 6);
        QCOMPARE(f->BitBtn3->width(), w - 21 - 6 - f->BitBtn2->width());
        QCOMPARE(f->BitBtn3->y(), f->BitBtn2->y());
        QVERIFY(f->BitBtn2->y() > f->BitBtn1->geometry().bottom());
        QVERIFY(f->BitBtn4->y() > f->BitBtn2->geometry().bottom());
        QCOMPARE(f->BitBtn4->width(), w - 21);
        for (auto *b : {f->BitBtn1, f->BitBtn2, f->BitBtn3, f->BitBtn4})
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));

        QCOMPARE(list()->columnCount(), 1);
        QCOMPARE(list()->headerItem()->text(0), QStringLiteral("Adresse"));
        QCOMPARE(list()->header()->sectionSize(0), 400);
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list()->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(list()->editTriggers() & QAbstractItemView::EditKeyPressed);
        const QPalette pal = list()->palette();
        QCOMPARE(pal.color(QPalette::Inactive, QPalette::Highlight),
                 pal.color(QPalette::Active, QPalette::Highlight));
        QCOMPARE(pal.color(QPalette::Inactive, QPalette::HighlightedText),
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    }

    void displayText_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one line") << "Meier"
                                  << "Meier";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("three lines") << "A\r\nB\r\nC"
                                     << "A ⏎ B ⏎ C";
        QTest::newRow("final break left out") << "A\r\nB\r\n"
                                              << "A ⏎ B";
        QTest::newRow("empty line kept") << "A\r\n\r\nB"
                                         << "A ⏎  ⏎ B";
        QTest::newRow("lone LF and CR") << "A\nB\rC"
                                        << "A ⏎ B ⏎ C";
    }
    void displayText()
    {
        QFETCH(QString, address);
        QFETCH(QString, shown);
        QCOMPARE(AddressDisplayText(address), shown);
        ChooseAddressForm->appendAddress(address);
        QCOMPARE(list()->topLevelItem(0)->text(0), shown);
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{address});
    }

    void storeAppendsAndWrites_data()
    {
        QTest::addColumn<QStringList>("memos");
        QTest::newRow("one") << QStringList{"Meier\r\nWeg 1\r\nBerlin"};
        QTest::newRow("same twice") << QStringList{"Kuvertmann", "Kuvertmann"};
        QTest::newRow("empty recipient") << QStringList{"", "Zacharias"};
        QTest::newRow("final line break") << QStringList{"Zeile A\r\nZeile B\r\n", "Zacharias"};
    }
    void storeAppendsAndWrites()
    {
        QFETCH(QStringList, memos);
        QStringList stored;
        for (const QString &m : memos) {
            MainForm->Memo1->setText(m);
            MainForm->SaveInListBtn->click();
            stored << m;
            // Written at once: the recipient field and every list entry that holds the text.
            if (!m.isEmpty())
                QCOMPARE(occurrences(fileBytes(optionsFile()), m), 1 + int(stored.count(m)));
            else
                QVERIFY(QFile::exists(optionsFile()));
        }
        QCOMPARE(ChooseAddressForm->addresses(), memos);
        QVERIFY(!ChooseAddressForm->isVisible());
    }

    void takeThreeLineAddress()
    {
        const QString address = QStringLiteral("Herrn\r\nDr. Meier\r\n12345 Berlin");
        MainForm->Memo1->setText(address);
        MainForm->SaveInListBtnClick();
        MainForm->Memo1->setText(QStringLiteral("anders"));
        mark({0});
        ChooseAddressForm->BitBtn1Click();
        QCOMPARE(MainForm->Memo1->text(), address);
        QCOMPARE(MainForm->Memo1->lines(), (QStringList{"Herrn", "Dr. Meier", "12345 Berlin"}));
    }

    void takeFirstMarked()
    {
        ChooseAddressForm->setAddresses({"A", "B", "C"});
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        ChooseAddressForm->BitBtn1Click();
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("vorher"));
        // Marked in the order C, B: the lowest position wins.
        list()->topLevelItem(2)->setSelected(true);
        list()->topLevelItem(1)->setSelected(true);
        ChooseAddressForm->BitBtn1Click();
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("B"));
    }

    void deleteOnePerClick()
    {
        ChooseAddressForm->setAddresses({"A", "B", "C"});
        ChooseAddressForm->BitBtn3Click();
        QCOMPARE(ChooseAddressForm->addresses(), (QStringList{"A", "B", "C"}));
        list()->setCurrentItem(list()->topLevelItem(1));
        mark({1, 2});
        ChooseAddressForm->BitBtn3->click();
        QCOMPARE(ChooseAddressForm->addresses(), (QStringList{"A", "C"}));
        QVERIFY(list()->topLevelItem(1)->isSelected());
        QVERIFY(!list()->topLevelItem(0)->isSelected());
        ChooseAddressForm->BitBtn3->click();
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{"A"});
        ChooseAddressForm->BitBtn3->click();
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{"A"});
        QVERIFY(dialogs().messages.isEmpty());
    }

    void printMarkedInListOrder()
    {
        ChooseAddressForm->setAddresses({"Anton\r\nWeg 1", "Berta", "Cäsar\r\nPlatz 3"});
        list()->topLevelItem(2)->setSelected(true);
        list()->topLevelItem(0)->setSelected(true);
        ChooseAddressForm->BitBtn4Click();
        const QStringList files = printedFiles();
        QCOMPARE(files.size(), 2);
        QVERIFY2(pdfText(files[0]).contains(QStringLiteral("Anton")), qPrintable(pdfText(files[0])));
        QVERIFY(!pdfText(files[0]).contains(QStringLiteral("Cäsar")));
        QVERIFY2(pdfText(files[1]).contains(QStringLiteral("Cäsar")), qPrintable(pdfText(files[1])));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Cäsar\r\nPlatz 3"));
        QVERIFY(dialogs().messages.isEmpty());
    }

    void printNothingMarked()
    {
        ChooseAddressForm->setAddresses({"A", "B"});
        MainForm->Memo1->setText(QStringLiteral("bleibt"));
        ChooseAddressForm->BitBtn4Click();
        QVERIFY(printedFiles().isEmpty());
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("bleibt"));
    }

    // The run box sets up the marked run: each marked address is a record of its lines, in list order.
    void printMarkedAsSetUp_data()
    {
        QTest::addColumn<TRunAnswer>("answer");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("memo");
        QTest::newRow("1 to 2") << TRunAnswer{true, false, {false, false, 1, 2}} << 2 << "Carl\r\nCelle";
        QTest::newRow("one job, blank lines left out")
                << TRunAnswer{true, false, {false, true, 3, 0}, TRunDestination::OneJob} << 1
                << "Dora\r\nDüren";
        QTest::newRow("cancelled") << TRunAnswer{false, false} << 0 << "vorher";
    }
    void printMarkedAsSetUp()
    {
        QFETCH(TRunAnswer, answer);
        ChooseAddressForm->setAddresses({"Anna", "Xaver", "Bert\nBonn", "Carl\rCelle", "Dora\r\n \r\nDüren"});
        mark({0, 3, 4});
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        dialogs().runAnswers.enqueue(answer);
        ChooseAddressForm->BitBtn4Click();
        QCOMPARE(dialogs().runQuestions.size(), 1);
        QCOMPARE(dialogs().runQuestions[0].kind, TRunKind::MarkedPrint);
        QVERIFY(!dialogs().runQuestions[0].offerHeader);
        QTEST(int(printedFiles().size()), "files");
        QTEST(MainForm->Memo1->text(), "memo");
    }

    void printErrorEndsLoop()
    {
        const QString blocker = TestEnv->writeFile(QStringLiteral("blocker"), "x");
        TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/pdf"));
        ChooseAddressForm->setAddresses({"A", "B"});
        mark({0, 1});
        ChooseAddressForm->BitBtn4->click();
        TPrinter::setPdfOutputFolder(TestEnv->pdfFolder());
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Error);
        // The printer's words, then where the run stopped.
        QVERIFY2(dialogs().messages[0].text.endsWith(QStringLiteral(
                         "\n\nDer Druck der markierten Adressen wurde nach 0 von 2 Umschlägen beendet.\n"
                         "Nicht gedruckt ab: „A“.")),
                 qPrintable(dialogs().messages[0].text));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("A"));
    }

    void modalButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("items");
        QTest::newRow("OK") << "BitBtn1" << false << int(QDialog::Accepted) << "B" << 0 << 2;
        QTest::newRow("Abbrechen") << "BitBtn2" << false << int(QDialog::Rejected) << "vorher" << 0 << 2;
        QTest::newRow("Löschen") << "BitBtn3" << true << -1 << "vorher" << 0 << 1;
        QTest::newRow("drucken") << "BitBtn4" << false << int(QDialog::Accepted) << "B" << 1 << 2;
        QTest::newRow("Escape") << "Escape" << false << int(QDialog::Rejected) << "vorher" << 0 << 2;
        QTest::newRow("Enter") << "Enter" << false << int(QDialog::Accepted) << "B" << 0 << 2;
    }
    void modalButtons()
    {
        QFETCH(QString, button);
        QFETCH(bool, staysOpen);
        QFETCH(int, result);
        QFETCH(QString, memo);
        QFETCH(int, jobs);
        QFETCH(int, items);
        ChooseAddressForm->setAddresses({"A", "B"});
        mark({1});
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        bool visibleAfter = false, wasModal = false;
        int seenResult = -1;
        dialogs().modalAnswers.enqueue([&](QDialog *d) {
            wasModal = d->isModal() && d->isVisible();
            QSignalSpy finished(d, &QDialog::finished);
            if (button == QLatin1String("Escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else if (button == QLatin1String("Enter"))
                QTest::keyClick(d, Qt::Key_Return);
            else
                d->findChild<TBitBtnXP *>(button)->click();
            visibleAfter = d->isVisible();
            if (!finished.isEmpty())
                seenResult = finished.first().first().toInt();
            return seenResult;
        });
        MainForm->ChooseBtn->click();
        QCOMPARE(dialogs().modalDialogs.size(), 1);
        QVERIFY(wasModal);
        QCOMPARE(visibleAfter, staysOpen);
        QCOMPARE(seenResult, result);
        QCOMPARE(MainForm->Memo1->text(), memo);
        QCOMPARE(printedFiles().size(), jobs);
        QCOMPARE(ChooseAddressForm->addresses().size(), items);
    }

    void keptOpen()
    {
        ChooseAddressForm->setAddresses({"A", "B"});
        MainForm->Adresslisteimmeroffenhalten1->trigger();
        QVERIFY(MainForm->Adresslisteimmeroffenhalten1->isChecked());
        QVERIFY(ChooseAddressForm->isVisible());
        QVERIFY(!ChooseAddressForm->isModal());
        QCOMPARE(ChooseAddressForm->windowHandle()->transientParent(), MainForm->windowHandle());
        // The tick is in options.dat: the file ends with the two flags, keep-open set.
        QByteArray bytes = fileBytes(optionsFile());
        QVERIFY(bytes.size() >= 2);
        QCOMPARE(bytes.at(bytes.size() - 2), '\x01');

        MainForm->ChooseBtn->click();
        QVERIFY(dialogs().modalDialogs.isEmpty());

        mark({1});
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        ChooseAddressForm->BitBtn2->click();
        QTest::keyClick(ChooseAddressForm, Qt::Key_Escape);
        QVERIFY(ChooseAddressForm->isVisible());
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("vorher"));
        ChooseAddressForm->BitBtn1->click();
        QVERIFY(ChooseAddressForm->isVisible());
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("B"));
        ChooseAddressForm->BitBtn4->click();
        QVERIFY(ChooseAddressForm->isVisible());
        QCOMPARE(printedFiles().size(), 1);

        // The close box hides the window; the tick stays and "Wählen" opens the modal dialog again.
        ChooseAddressForm->close();
        QVERIFY(!ChooseAddressForm->isVisible());
        QVERIFY(MainForm->Adresslisteimmeroffenhalten1->isChecked());
        MainForm->ChooseBtn->click();
        QCOMPARE(dialogs().modalDialogs.size(), 1);
        QVERIFY(MainForm->Adresslisteimmeroffenhalten1->isChecked());

        MainForm->Adresslisteimmeroffenhalten1->trigger();
        QVERIFY(!MainForm->Adresslisteimmeroffenhalten1->isChecked());
        QVERIFY(!ChooseAddressForm->isVisible());
        MainForm->Adresslisteimmeroffenhalten1->trigger();
        QVERIFY(ChooseAddressForm->isVisible());
        MainForm->Adresslisteimmeroffenhalten1->trigger();
        bytes = fileBytes(optionsFile());
        QCOMPARE(bytes.at(bytes.size() - 2), '\x00');
        QVERIFY(!ChooseAddressForm->isVisible());
    }

    void editInPlace_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed"); // empty: left as it was
        QTest::addColumn<QString>("after");
        QTest::newRow("new lines") << "A\r\nB\r\n"
                                   << "X\nY\nZ"
                                   << "X\r\nY\r\nZ";
        QTest::newRow("untouched keeps the final break") << "A\r\nB\r\n"
                                                         << ""
                                                         << "A\r\nB\r\n";
        QTest::newRow("one line") << "A"
                                  << "Meier"
                                  << "Meier";
    }
    void editInPlace()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        ChooseAddressForm->setAddresses({QStringLiteral("davor"), before});
        ChooseAddressForm->showNonModal();
        QTreeWidgetItem *item = list()->topLevelItem(1);
        list()->setCurrentItem(item);
        list()->editItem(item);
        auto *editor = list()->findChild<QPlainTextEdit *>(QStringLiteral("AddressEditor"));
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(),
                 QString(before).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        if (!typed.isEmpty())
            editor->setPlainText(typed);
        QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
        QPointer<QPlainTextEdit> closing(editor);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closing.isNull());
        QCOMPARE(ChooseAddressForm->addresses(), (QStringList{"davor", after}));
        QCOMPARE(item->text(0), AddressDisplayText(after));
        mark({1});
        ChooseAddressForm->BitBtn1Click();
        QCOMPARE(MainForm->Memo1->text(), after);
    }

    void escapeWhileEditingKeepsDialog()
    {
        ChooseAddressForm->setAddresses({"A"});
        bool stillOpen = false;
        dialogs().modalAnswers.enqueue([&](QDialog *) {
            QTreeWidgetItem *item = list()->topLevelItem(0);
            list()->setCurrentItem(item);
            list()->editItem(item);
            auto *editor = list()->findChild<QPlainTextEdit *>(QStringLiteral("AddressEditor"));
            if (!editor)
                return -2;
            editor->setPlainText(QStringLiteral("verworfen"));
            QTest::keyClick(editor, Qt::Key_Escape);
            stillOpen = ChooseAddressForm->isVisible();
            return 0;
        });
        MainForm->ChooseBtnClick();
        QVERIFY(stillOpen);
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{"A"});
    }

    void deletedReachesFileAtNextSave()
    {
        MainForm->Memo1->setText(QStringLiteral("Weg damit"));
        MainForm->SaveInListBtnClick();
        mark({0});
        ChooseAddressForm->BitBtn3Click();
        QVERIFY(ChooseAddressForm->addresses().isEmpty());
        QCOMPARE(occurrences(fileBytes(optionsFile()), QStringLiteral("Weg damit")), 2);
        MainForm->Memo1->setText(QStringLiteral("Neu"));
        MainForm->SaveInListBtnClick();
        QCOMPARE(occurrences(fileBytes(optionsFile()), QStringLiteral("Weg damit")), 0);
    }

    // CSV runs

    void fillRecipient_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("memo");
        QTest::newRow("plain") << "Meier;Hauptstr. 5;12345 Berlin"
                               << "Meier\r\nHauptstr. 5\r\n12345 Berlin\r\n";
        QTest::newRow("leading ;") << ";Meier"
                                   << "\r\nMeier\r\n";
        QTest::newRow("escaped CR LF") << "Herrn\\r\\nDr. Meier;Weg 1"
                                       << "Herrn\r\nDr. Meier\r\nWeg 1\r\n";
        // A lone LF from an escape starts a line of its own in the field.
        QTest::newRow("escaped LF") << "a\\\\nb"
                                    << "a\r\nb\r\n";
        QTest::newRow("quote inside") << "\"Berlin\";\"\"Meier\" GmbH\""
                                      << "Berlin\r\n\"Meier\" GmbH\r\n";
        QTest::newRow("single mark") << "\"Meier"
                                     << "vorher";
        QTest::newRow("empty") << ""
                               << "vorher";
    }
    void fillRecipient()
    {
        QFETCH(QString, line);
        QFETCH(QString, memo);
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        MainForm->FillRecipientFromCsvLine(line);
        QCOMPARE(MainForm->Memo1->text(), memo);
    }

    void listRunAddsAndWritesPerRecord()
    {
        ChooseAddressForm->setAddresses({"Alt"});
        const QString csv
                = TestEnv->writeFile(QStringLiteral("drei.csv"),
                                     "Alpha;Weg 1\r\n\r\n\"Beta\";\"Platz 2\"\r\n\"nichts\nGamma;Ring 3");
        dialogs().fileAnswers.enqueue(csv);
        // Before each record is stored, the file holds the state after the record before it.
        QStringList seen;
        QObject::connect(list()->model(), &QAbstractItemModel::rowsInserted, list(), [&seen] {
            const QByteArray b = fileBytes(optionsFile());
            seen << QStringLiteral("%1%2%3")
                            .arg(occurrences(b, QStringLiteral("Alpha")))
                            .arg(occurrences(b, QStringLiteral("Beta")))
                            .arg(occurrences(b, QStringLiteral("Gamma")));
        });
        MainForm->CSVDateiinAdresslisteladen1->trigger();
        QCOMPARE(dialogs().fileRequests.size(), 1);
        QCOMPARE(dialogs().fileRequests[0].filter,
                 QStringLiteral("Adressdateien (*.csv *.txt *.ods *.xlsx "
                                "*.vcf)|*.csv;*.txt;*.ods;*.xlsx;*.vcf|CSV Dateien (*.csv)|*.csv"));
        QCOMPARE(dialogs().fileRequests[0].defaultExt, QStringLiteral(".csv"));
        QVERIFY(dialogs().messages.isEmpty());
        QCOMPARE(ChooseAddressForm->addresses(),
                 (QStringList{"Alt", "Alpha\r\nWeg 1\r\n", "Beta\r\nPlatz 2\r\n", "Gamma\r\nRing 3\r\n"}));
        // No write before the first record, then one after each (recipient and list hold it).
        QCOMPARE(seen, (QStringList{"000", "200", "120"}));
        const QByteArray final = fileBytes(optionsFile());
        QCOMPARE(occurrences(final, QStringLiteral("Gamma\r\nRing 3\r\n")), 2);
        QVERIFY(!ChooseAddressForm->isVisible());
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Gamma\r\nRing 3\r\n"));
    }

    void listRunWorkedExampleCaption()
    {
        dialogs().fileAnswers.enqueue(
                TestEnv->writeFile(QStringLiteral("eins.csv"), "Meier;Hauptstr. 5;12345 Berlin\n"));
        MainForm->CSVDateiinAdresslisteladen1Click();
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{"Meier\r\nHauptstr. 5\r\n12345 Berlin\r\n"});
    }

    void listRunDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("item");
        QTest::newRow("BOM, quoted") << QByteArray("\xEF\xBB\xBF\"M\xC3\xBCller\";\"Stra\xC3\x9F"
                                                   "e\"")
                                     << "Müller\r\nStraße\r\n";
        QTest::newRow("UTF-8") << QByteArray("M\xC3\xBCller;Stra\xC3\x9F"
                                             "e")
                               << "Müller\r\nStraße\r\n";
        QTest::newRow("1252") << QByteArray("M\xFCller;Stra\xDF"
                                            "e")
                              << "Müller\r\nStraße\r\n";
    }
    void listRunDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, item);
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("kodiert.csv"), bytes));
        MainForm->CSVDateiinAdresslisteladen1Click();
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{item});
    }

    void listRunCancelKeepsWhatItDid()
    {
        QByteArray bytes;
        for (int i = 1; i <= 5; ++i)
            bytes += "Name " + QByteArray::number(i) + "\n";
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("fuenf.csv"), bytes));
        int fills = 0;
        QObject::connect(MainForm->Memo1, &QPlainTextEdit::textChanged, MainForm, [&fills] {
            if (++fills == 2) {
                auto *progress = MainForm->findChild<QProgressDialog *>();
                if (progress)
                    progress->cancel();
            }
        });
        MainForm->CSVDateiinAdresslisteladen1Click();
        QCOMPARE(ChooseAddressForm->addresses(), (QStringList{"Name 1\r\n", "Name 2\r\n"}));
        QVERIFY(!MainForm->findChild<QProgressDialog *>());
    }

    void printRunAfterOneConfirmation()
    {
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(
                QStringLiteral("serie.csv"), "\"Anton\";\"Weg 1\"\n\nBerta;Weg 2\r\nCäsar;Weg 3\n"));
        MainForm->CSVImportieren1->trigger();
        QVERIFY(dialogs().messages.isEmpty());
        QCOMPARE(dialogs().runQuestions.size(), 1);
        const TRunQuestion &q = dialogs().runQuestions[0];
        QCOMPARE(q.text, MessageText(6));
        QCOMPARE(q.text, QStringLiteral("Um den Druck zu beginnen, klicken Sie auf Ok."));
        QCOMPARE(q.caption, QStringLiteral("Seriendruck"));
        QCOMPARE(q.countText, QStringLiteral("Umschläge: %1"));
        QCOMPARE(q.records, 3);
        QCOMPARE(q.firstRecord, (QStringList{"Anton", "Weg 1"}));
        QCOMPARE(q.recordsAfterHeader, 2);
        QCOMPARE(q.firstRecordAfterHeader, (QStringList{"Berta", "Weg 2"}));
        const QStringList files = printedFiles();
        QCOMPARE(files.size(), 3);
        QVERIFY(pdfText(files[0]).contains(QStringLiteral("Anton")));
        QVERIFY(pdfText(files[1]).contains(QStringLiteral("Berta")));
        QVERIFY(pdfText(files[2]).contains(QStringLiteral("Cäsar")));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Cäsar\r\nWeg 3\r\n"));
        QVERIFY(ChooseAddressForm->addresses().isEmpty());
    }

    void printRunCancelled()
    {
        dialogs().fileAnswers.enqueue(TestEnv->writeFile(QStringLiteral("serie.csv"), "A\nB\nC\n"));
        dialogs().runAnswers.enqueue(TRunAnswer{false, false});
        MainForm->Memo1->setText(QStringLiteral("vorher"));
        MainForm->CSVImportieren1Click();
        QCOMPARE(dialogs().runQuestions.size(), 1);
        QVERIFY(dialogs().messages.isEmpty());
        QVERIFY(printedFiles().isEmpty());
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("vorher"));
    }

    void openDialogCancelled()
    {
        MainForm->CSVImportieren1Click();
        MainForm->CSVDateiinAdresslisteladen1Click();
        QCOMPARE(dialogs().fileRequests.size(), 2);
        QVERIFY(dialogs().messages.isEmpty());
        QVERIFY(printedFiles().isEmpty());
    }

    void unreadableFile_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<QString>("name");
        QTest::newRow("print, missing") << true << "fehlt.csv";
        QTest::newRow("list, missing") << false << "fehlt.csv";
        QTest::newRow("print, folder") << true << "ordner.csv";
        QTest::newRow("list, folder") << false << "ordner.csv";
    }
    void unreadableFile()
    {
        QFETCH(bool, print);
        QFETCH(QString, name);
        QDir().mkpath(TestEnv->path(QStringLiteral("ordner.csv")));
        dialogs().fileAnswers.enqueue(TestEnv->path(name));
        if (print)
            MainForm->CSVImportieren1Click();
        else
            MainForm->CSVDateiinAdresslisteladen1Click();
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].text, QStringLiteral("Konnte die Datei nicht öffnen!"));
        QCOMPARE(dialogs().messages[0].caption, QString());
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Error);
        QCOMPARE(dialogs().messages[0].buttons, TMsgButtons::Ok);
        QVERIFY(printedFiles().isEmpty());
        QVERIFY(ChooseAddressForm->addresses().isEmpty());
    }

    void printErrorEndsRunAndClosesFile()
    {
        const QString csv = TestEnv->writeFile(QStringLiteral("fehler.csv"), "A\nB\nC\n");
        const auto openFds = [] {
            return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
        };
        const QString blocker = TestEnv->writeFile(QStringLiteral("blocker"), "x");
        TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/pdf"));
        const auto before = openFds();
        dialogs().fileAnswers.enqueue(csv);
        MainForm->CSVImportieren1->trigger();
        TPrinter::setPdfOutputFolder(TestEnv->pdfFolder());
        // After the confirmation one error report: the run stopped at the first line, and says so.
        QCOMPARE(dialogs().runQuestions.size(), 1);
        QCOMPARE(dialogs().messages.size(), 1);
        QCOMPARE(dialogs().messages[0].icon, TMsgIcon::Error);
        QVERIFY2(dialogs().messages[0].text.endsWith(
                         QStringLiteral("\n\nDer Seriendruck wurde nach 0 von 3 Umschlägen beendet.\n"
                                        "Nächster Datensatz: Zeile 1, „A“.\n"
                                        "Um dort fortzufahren, geben Sie bei „Von Datensatz“ 1 ein.")),
                 qPrintable(dialogs().messages[0].text));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("A\r\n"));
        QCOMPARE(openFds(), before);
        QVERIFY(!MainForm->findChild<QProgressDialog *>());
    }
};

KUVERTINO_GUI_TEST_MAIN(TestAddressList)
#include "tst_addresslist.moc"
