#include "FileSizeLimit.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"
#include "app/FilenameEdit.h"
#include "app/FormStorage.h"
#include "app/LanguageCommands.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/PaperFormats.h"
#include "core/ProgramDir.h"
#include "core/SettingsFile.h"
#include "print/Printer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>

#include <bit>

extern IsolatedEnvironment *TestEnv;

namespace {

QByteArray golden(const char *name)
{
    QFile f(QStringLiteral(KUVERTINO_TEST_DATA "/persist/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing golden file %s", name);
    return f.readAll();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Where field 8 of full.kvt ends: three wide-string records, three doubles, two int32.
const int FullEndOfField8 = 12 + 2 * (43 + 19 + 26) + 32;

QString optionsDat()
{
    return TestEnv->settingsFolder() + QStringLiteral("options.dat");
}

QString languageDat()
{
    return TestEnv->settingsFolder() + QStringLiteral("options0.dat");
}

} // namespace

Q_DECLARE_METATYPE(TFileDurability)

class TestPersistCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(TestEnv->path(QStringLiteral("data"))).removeRecursively();
        QDir().mkpath(TestEnv->path(QStringLiteral("data")));
        QDir(TestEnv->path(QStringLiteral("work"))).removeRecursively();
        QDir().mkpath(TestEnv->path(QStringLiteral("work")));
        auto store = TFormStorage::openStore();
        store->clear();
        store->sync();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void defaultsSaveAs122Bytes()
    {
        const QString path = work("default.kvt");
        MainForm->SaveOptionsFile(path);
        QCOMPARE(fileBytes(path).toHex(' '), golden("default.kvt").toHex(' '));
    }

    void fullFileSetsEveryControl()
    {
        const QString path = work("full.kvt");
        writeBytes(path, golden("full.kvt"));
        MainForm->show();
        MainForm->LoadOptionsFile(path);
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln"));
        QCOMPARE(MainForm->Memo2->text(), QStringLiteral("Anna Schmidt\r\nWeg 2"));
        QCOMPARE(MainForm->FilenameEdit1->text(), QStringLiteral("/home/anna/Bilder/logo.png"));
        QCOMPARE(MainForm->RandEd->value(), 12.5);
        QCOMPARE(MainForm->BildRandEd->value(), 3.25);
        QCOMPARE(MainForm->BildBreiteEd->value(), 40.0);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 3);
        QCOMPARE(MainForm->ComboBox2->currentIndex(), 2);
        QCOMPARE(MainForm->FontDialog1->Font,
                 (TFontRec{1, 0x00336699, QStringLiteral("Liberation Serif"), 1, 120, 14, 0b1011}));
        QCOMPARE(MainForm->FontDialog2->Font,
                 (TFontRec{2, 0xFF00000E, QStringLiteral("DejaVu Sans"), 2, 96, 9, 0b0100}));
        QCOMPARE(MainForm->InfoEd->text(), QStringLiteral("Antwort"));
        QCOMPARE(MainForm->EmpfProEd->value(), 62.5);
        QCOMPARE(MainForm->EmpfPro2Ed->value(), 40.25);
        QCOMPARE(ChooseAddressForm->addresses(),
                 (QStringList{QStringLiteral("Erika Muster\r\nA-Str. 5"),
                              QString(),
                              QStringLiteral("Zweite \u2709 Adresse \U0001F4EE")}));
        QVERIFY(MainForm->Adresslisteimmeroffenhalten1->isChecked());
        QVERIFY(ChooseAddressForm->isVisible());
        QVERIFY(!ChooseAddressForm->isModal());
        QVERIFY(MainForm->HochformatCheck->isChecked());
        // The portrait box's handler ran, then the paper format was applied.
        QCOMPARE(Printer().settings().dmOrientation, TDevMode::DMORIENT_PORTRAIT);
        QCOMPARE(MainForm->Memo1->textCursor().selectedText().size(), MainForm->Memo1->toPlainText().size());
        QVERIFY((*m_dialogs)->messages.isEmpty());

        // Written back, the document is byte for byte the same.
        MainForm->SaveOptionsFile(work("again.kvt"));
        QCOMPARE(fileBytes(work("again.kvt")).toHex(' '), golden("full.kvt").toHex(' '));
    }

    void shortFileKeepsTheRest()
    {
        // Fields 1 to 8 only: fonts, info line, percentages, list and flags stay.
        MainForm->InfoEd->setText(QStringLiteral("bleibt"));
        MainForm->EmpfProEd->setValue(33);
        MainForm->FontDialog1->Font.size = 20;
        ChooseAddressForm->setAddresses({QStringLiteral("alt")});
        MainForm->HochformatCheck->setChecked(true);
        writeBytes(work("short.kvt"), golden("full.kvt").left(FullEndOfField8));
        MainForm->LoadOptionsFile(work("short.kvt"));
        QCOMPARE(MainForm->Memo2->text(), QStringLiteral("Anna Schmidt\r\nWeg 2"));
        QCOMPARE(MainForm->ComboBox2->currentIndex(), 2);
        QCOMPARE(MainForm->InfoEd->text(), QStringLiteral("bleibt"));
        QCOMPARE(MainForm->EmpfProEd->value(), 33.0);
        QCOMPARE(MainForm->FontDialog1->Font.size, 20);
        QCOMPARE(ChooseAddressForm->addresses(), QStringList{QStringLiteral("alt")});
        QVERIFY(MainForm->HochformatCheck->isChecked());
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void fileCutInsideARecord()
    {
        // Cut inside the sender font: everything before it is applied, the error is raised, and the
        // printer follows the paper format now shown.
        const QByteArray full = golden("full.kvt");
        const int senderFontAt = FullEndOfField8 + 16 + 2 * 16;
        writeBytes(work("cut.kvt"), full.left(senderFontAt + 7));
        MainForm->InfoEd->setText(QStringLiteral("bleibt"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, MainForm->LoadOptionsFile(work("cut.kvt")));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln"));
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 3);
        QCOMPARE(MainForm->FontDialog1->Font.name, QStringLiteral("Liberation Serif"));
        QCOMPARE(MainForm->FontDialog2->Font, TFontRec::defaultFont());
        QCOMPARE(MainForm->InfoEd->text(), QStringLiteral("bleibt"));
        QCOMPARE(Printer().settings().dmPaperSize, PaperFormatCode(3));
    }

    void cutBeforeThePaperFormatKeepsThePrinter_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("empty") << 0;
        QTest::newRow("inside field 3") << 12 + 2 * (43 + 19);
        QTest::newRow("inside field 7") << FullEndOfField8 - 6;
    }
    void cutBeforeThePaperFormatKeepsThePrinter()
    {
        // The paper list was not touched, so the printer keeps what was set up for it.
        QFETCH(int, length);
        writeBytes(work("cut.kvt"), golden("full.kvt").left(length));
        Printer().qprinter().setCopyCount(3);
        QVERIFY_THROWS_EXCEPTION(EInOutError, MainForm->LoadOptionsFile(work("cut.kvt")));
        QCOMPARE(Printer().qprinter().copyCount(), 3);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), PaperFormatDefaultIndex);
    }

    void readOnlyDocumentOpens()
    {
        // A resource can be opened for reading only, whoever runs the test.
        QFile resource(QStringLiteral(":/readonly/full.kvt"));
        QVERIFY(!resource.open(QIODevice::ReadWrite));
        MainForm->LoadOptionsFile(resource.fileName());
        QCOMPARE(MainForm->Memo2->text(), QStringLiteral("Anna Schmidt\r\nWeg 2"));
    }

    void emptyAndMissingFiles()
    {
        MainForm->Memo1->setText(QStringLiteral("bleibt"));
        writeBytes(work("empty.kvt"), QByteArray());
        try {
            MainForm->LoadOptionsFile(work("empty.kvt"));
            QFAIL("an empty file must raise");
        } catch (const EInOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("Lesen über das Dateiende hinaus"));
        }
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("bleibt"));
        MainForm->LoadOptionsFile(work("nothing-here.kvt"));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("bleibt"));
        // A folder is no file to open either.
        MainForm->LoadOptionsFile(TestEnv->path(QStringLiteral("work")));
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("bleibt"));
    }

    void valuesBroughtIntoTheFields_data()
    {
        QTest::addColumn<double>("margin");
        QTest::addColumn<int>("paper");
        QTest::addColumn<double>("shownMargin");
        QTest::addColumn<int>("shownPaper");
        QTest::newRow("1500, 30") << 1500.0 << 30 << 1000.0 << -1;
        QTest::newRow("-3, -1") << -3.0 << -1 << 0.0 << -1;
        QTest::newRow("12.345, 24") << 12.345 << 24 << 12.35 << 24;
        QTest::newRow("NaN, 25") << std::numeric_limits<double>::quiet_NaN() << 25 << 0.0 << -1;
    }
    void valuesBroughtIntoTheFields()
    {
        QFETCH(double, margin);
        QFETCH(int, paper);
        QFETCH(double, shownMargin);
        QFETCH(int, shownPaper);
        TEnvelopeSettings s;
        s.margin = margin;
        s.paperFormat = paper;
        writeBytes(work("values.kvt"), SettingsFileBytes(s));
        QSignalSpy activated(MainForm->ComboBox1, &QComboBox::activated);
        QSignalSpy changed(MainForm->ComboBox1, &QComboBox::currentIndexChanged);
        MainForm->LoadOptionsFile(work("values.kvt"));
        QCOMPARE(MainForm->RandEd->value(), shownMargin);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), shownPaper);
        QCOMPARE(activated.size(), 0);
        QCOMPARE(changed.size(), 0);
    }

    void negativeCountGoesOnWithSectionF()
    {
        ChooseAddressForm->setAddresses({QStringLiteral("alt")});
        QByteArray bytes = golden("default.kvt").left(122 - 6) + QByteArray::fromHex("ffffffff 01 00");
        writeBytes(work("negative.kvt"), bytes);
        MainForm->LoadOptionsFile(work("negative.kvt"));
        QVERIFY(ChooseAddressForm->addresses().isEmpty());
        QVERIFY(MainForm->Adresslisteimmeroffenhalten1->isChecked());
        QVERIFY(ChooseAddressForm->isVisible());
    }

    void unTickedKeepOpenLeavesAShownListShown()
    {
        ChooseAddressForm->showNonModal();
        MainForm->Adresslisteimmeroffenhalten1->setChecked(true);
        writeBytes(work("default.kvt"), golden("default.kvt"));
        MainForm->LoadOptionsFile(work("default.kvt"));
        QVERIFY(!MainForm->Adresslisteimmeroffenhalten1->isChecked());
        QVERIFY(ChooseAddressForm->isVisible());
    }

    void inchModeConvertsLengths()
    {
        MainForm->language = 1;
        QVERIFY(MainForm->isInchMode());
        // No last state: the defaults appear in inches, the step stays.
        MainForm->LoadOptions();
        QCOMPARE(MainForm->RandEd->value(), 0.59);
        QCOMPARE(MainForm->BildRandEd->value(), 0.20);
        QCOMPARE(MainForm->BildBreiteEd->value(), 0.79);
        QCOMPARE(MainForm->RandEd->singleStep(), 1.0);

        // Written back as millimetres: 0.59 x 25.39995, rounded once to a double.
        MainForm->SaveOptions();
        const QByteArray bytes = fileBytes(optionsDat());
        QCOMPARE(bytes.size(), 122);
        QCOMPARE(bytes.mid(12, 8).toHex(' '), QByteArray("3b a4 18 20 d1 f8 2d 40"));
        double written;
        memcpy(&written, bytes.constData() + 12, 8);
        QVERIFY(qAbs(written - 14.9859705) < 1e-12);

        // Read in inch mode: divided, and the step becomes 0.1.
        MainForm->LoadOptionsFile(optionsDat());
        QCOMPARE(MainForm->RandEd->value(), 0.59);
        QCOMPARE(MainForm->RandEd->singleStep(), 0.1);
        QCOMPARE(MainForm->BildBreiteEd->singleStep(), 0.1);
        QCOMPARE(MainForm->EmpfProEd->singleStep(), 1.0);
        QCOMPARE(MainForm->EmpfProEd->value(), 50.0);
    }

    void saveAsThroughTheDialog()
    {
        // A name without extension gets ".kvt"; an existing file is replaced without a question.
        writeBytes(work("brief.kvt"), "old");
        (*m_dialogs)->fileAnswers.enqueue(work("brief"));
        MainForm->Memo1->setText(QStringLiteral("Neu"));
        Guarded([] { MainForm->Speichernunter1Click(); });
        QCOMPARE((*m_dialogs)->fileRequests.size(), 1);
        QCOMPARE((*m_dialogs)->fileRequests[0].kind, QStringLiteral("save"));
        QCOMPARE((*m_dialogs)->fileRequests[0].filter, QStringLiteral("Briefumschläge (*.KVT)|*.kvt"));
        QCOMPARE((*m_dialogs)->fileRequests[0].defaultExt, QStringLiteral(".kvt"));
        QVERIFY((*m_dialogs)->messages.isEmpty());
        QCOMPARE(fileBytes(work("brief.kvt")).mid(4, 6), QByteArray("N\0e\0u\0", 6));

        // Cancelled: nothing written.
        MainForm->Memo1->setText(QStringLiteral("Anders"));
        Guarded([] { MainForm->Speichernunter1Click(); });
        QCOMPARE(fileBytes(work("brief.kvt")).mid(4, 6), QByteArray("N\0e\0u\0", 6));
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void saveAsThatCannotCreateReports()
    {
        (*m_dialogs)->fileAnswers.enqueue(work("kein/Ordner/brief.kvt"));
        Guarded([] { MainForm->Speichernunter1Click(); });
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        QCOMPARE((*m_dialogs)->messages[0].icon, TMsgIcon::Error);
        QCOMPARE((*m_dialogs)->messages[0].text,
                 QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden: No such file or directory")
                         .arg(work("kein/Ordner/brief.kvt")));
        QVERIFY(!QFile::exists(work("kein/Ordner/brief.kvt")));
    }

    void eachWriteNamesItsDurability_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file"); // in the settings folder, or the work folder for a document
        QTest::addColumn<TFileDurability>("durability");
        // The last state outside a list run (whose per-record writes are fast) is a user's command.
        QTest::newRow("last state") << "SaveOptions"
                                    << "options.dat" << TFileDurability::Synced;
        QTest::newRow("document") << "SaveOptionsFile"
                                  << "brief.kvt" << TFileDurability::Synced;
        QTest::newRow("save as") << "Speichernunter1Click"
                                 << "brief.kvt" << TFileDurability::Synced;
        QTest::newRow("language") << "SaveOptionsLang"
                                  << "options0.dat" << TFileDurability::Synced;
    }
    void eachWriteNamesItsDurability()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(TFileDurability, durability);
        QList<QPair<QString, TFileDurability>> swapped;
        SetReplaceObserver([&swapped](const QString &fname, TFileDurability used, TReplaceStep step) {
            if (step == TReplaceStep::Swapped || step == TReplaceStep::WrittenInPlace)
                swapped.append({QFileInfo(fname).fileName(), used});
        });
        const auto unhook = qScopeGuard([] { SetReplaceObserver({}); });
        if (command == QLatin1String("SaveOptions"))
            MainForm->SaveOptions();
        else if (command == QLatin1String("SaveOptionsFile"))
            MainForm->SaveOptionsFile(work("brief.kvt"));
        else if (command == QLatin1String("Speichernunter1Click")) {
            (*m_dialogs)->fileAnswers.enqueue(work("brief.kvt"));
            MainForm->Speichernunter1Click();
        } else
            MainForm->SaveOptionsLang();
        QCOMPARE(swapped.size(), 1);
        QCOMPARE(swapped[0].first, file);
        QCOMPARE(swapped[0].second, durability);
    }

    void failedLanguageWriteIsReported()
    {
        // Reported like a failed options.dat, so closing the program keeps it open; the old file stays.
        QDir().mkpath(TestEnv->settingsFolder());
        const QByteArray old = SerializeLanguageOptions({1, true});
        writeBytes(languageDat(), old);
        {
            const FileSizeLimit limit(3);
            QVERIFY(limit.isSet());
            QVERIFY_THROWS_EXCEPTION(EInOutError, MainForm->SaveOptionsLang());
        }
        QCOMPARE(fileBytes(languageDat()), old);
        MainForm->SaveOptionsLang();
        QCOMPARE(fileBytes(languageDat()).toHex(' '), QByteArray("00 00 00 00 00"));
    }

    void openThroughTheDialog()
    {
        writeBytes(work("full.kvt"), golden("full.kvt"));
        (*m_dialogs)->fileAnswers.enqueue(std::nullopt);
        Guarded([] { MainForm->ffnen1Click(); });
        QVERIFY(MainForm->Memo2->text().isEmpty());
        (*m_dialogs)->fileAnswers.enqueue(work("full.kvt"));
        Guarded([] { MainForm->ffnen1Click(); });
        QCOMPARE((*m_dialogs)->fileRequests.size(), 2);
        QCOMPARE((*m_dialogs)->fileRequests[1].kind, QStringLiteral("open"));
        QCOMPARE((*m_dialogs)->fileRequests[1].filter, QStringLiteral("Briefumschläge (*.KVT)|*.kvt"));
        QCOMPARE((*m_dialogs)->fileRequests[1].defaultExt, QStringLiteral(".kvt"));
        QCOMPARE(MainForm->Memo2->text(), QStringLiteral("Anna Schmidt\r\nWeg 2"));
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void settingsFolder_data()
    {
        QTest::addColumn<QString>("dataLocation");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "/home/a/.local/share"
                               << "/home/a/.local/share/Velmora/Kuvertino/";
        QTest::newRow("trailing separator") << "/home/a/.local/share/"
                                            << "/home/a/.local/share/Velmora/Kuvertino/";
        QTest::newRow("root") << "/"
                              << "/Velmora/Kuvertino/";
        QTest::newRow("none") << ""
                              << "/opt/kuvertino/";
    }
    void settingsFolder()
    {
        QFETCH(QString, dataLocation);
        QFETCH(QString, folder);
        QCOMPARE(SettingsFolderFrom(dataLocation, QStringLiteral("/opt/kuvertino/")), folder);
    }

    void getProgramDirCreatesOnlyWhenAsked()
    {
        QCOMPARE(MainForm->GetProgramDir(false), TestEnv->settingsFolder());
        QVERIFY(!QDir(TestEnv->settingsFolder()).exists());
        QCOMPARE(MainForm->GetProgramDir(true), TestEnv->settingsFolder());
        QVERIFY(QDir(TestEnv->settingsFolder()).exists());
        // A data folder given with its separator gets no second one.
        const QByteArray old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", old + '/');
        QCOMPARE(MainForm->GetProgramDir(false), TestEnv->settingsFolder());
        qputenv("XDG_DATA_HOME", old);
    }

    void saveOptionsSilentWhenFolderCannotBeMade()
    {
        // A file where the folder should be: nothing is saved, nothing is shown.
        writeBytes(TestEnv->path(QStringLiteral("data/Velmora")), "x");
        MainForm->SaveOptions();
        QVERIFY(!QFile::exists(optionsDat()));
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void lastStateSurvivesARestart()
    {
        MainForm->show();
        MainForm->Memo1->setText(QStringLiteral("Erika\r\nMusterweg"));
        MainForm->RandEd->setValue(7.5);
        MainForm->ComboBox1->setCurrentIndex(5);
        ChooseAddressForm->setAddresses({QStringLiteral("eins"), QStringLiteral("zwei")});
        MainForm->close();
        QVERIFY(QFile::exists(optionsDat()));
        DestroyApplicationWindows();
        CreateApplicationWindows();
        QCOMPARE(MainForm->Memo1->text(), QString());
        MainForm->show();
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Erika\r\nMusterweg"));
        QCOMPARE(MainForm->RandEd->value(), 7.5);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 5);
        QCOMPARE(ChooseAddressForm->addresses(),
                 (QStringList{QStringLiteral("eins"), QStringLiteral("zwei")}));
        QVERIFY(MainForm->infirst);
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void damagedLastStateReportedAtStartUp()
    {
        QDir().mkpath(TestEnv->settingsFolder());
        writeBytes(optionsDat(), golden("full.kvt").left(FullEndOfField8 + 5));
        MainForm->show();
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        // Our sentence first, then the reading error; the copy kept aside is named after them.
        QCOMPARE((*m_dialogs)->messages[0].text.section(QLatin1Char('\n'), 1, 1),
                 QStringLiteral("Lesen über das Dateiende hinaus"));
        QVERIFY(!MainForm->infirst);
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln"));
    }

    void mainWindowPlacementSurvivesARestart()
    {
        MainForm->show();
        MainForm->setGeometry(10, 20, 780, 570);
        MainForm->close();
        DestroyApplicationWindows();
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(MainForm->geometry(), QRect(10, 20, 780, 570));
    }

    void listWindowLeftOpenIsWrittenAtTheEnd()
    {
        MainForm->show();
        ChooseAddressForm->showNonModal();
        ChooseAddressForm->setGeometry(500, 80, 240, 420);
        DestroyApplicationWindows();
        CreateApplicationWindows();
        ChooseAddressForm->showNonModal();
        QCOMPARE(ChooseAddressForm->geometry(), QRect(500, 80, 240, 420));
    }

private:
    static QString work(const char *name)
    {
        return TestEnv->path(QStringLiteral("work/")) + QLatin1String(name);
    }
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TestPersistCommands)
#include "tst_persistcommands.moc"
