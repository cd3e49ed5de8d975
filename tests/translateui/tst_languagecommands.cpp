#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "TranslateTestSupport.h"

#include "app/LanguageCommands.h"
#include "app/MainUnit.h"
#include "app/RxSpinEdit.h"
#include "app/TranslateFUnit.h"
#include "core/translateunit.h"

#include <QAction>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QTableWidget>

extern IsolatedEnvironment *TestEnv;

class TestLanguageCommands : public QObject
{
    Q_OBJECT

    using Rows = QList<QStringList>;
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
    ScriptedDialogs &d() { return **m_dialogs; }

    static QString tablePath() { return TestEnv->programFolder() + QStringLiteral("translate.dat"); }
    static QString optionsPath() { return TestEnv->settingsFolder() + QStringLiteral("options0.dat"); }
    static Rows noticeInEnglish()
    {
        return {{QStringLiteral("Bitte schließen Sie das Program und starten Sie es neu."),
                 QStringLiteral("Please close the program and start it again.")},
                {QStringLiteral("Übersetzen"), QStringLiteral("Translate")}};
    }
    static Rows noticeInAllLanguages()
    {
        return {{QStringLiteral("Bitte schließen Sie das Program und starten Sie es neu."),
                 QStringLiteral("Please close the program and start it again."),
                 QStringLiteral("Veuillez fermer le programme et le redémarrer."),
                 QStringLiteral("Sluit het programma en start het opnieuw.")},
                {QStringLiteral("Übersetzen"),
                 QStringLiteral("Translate"),
                 QStringLiteral("Traduction"),
                 QStringLiteral("Vertaling")}};
    }
    // The names of the ticked items of the language menu.
    static QStringList tickedItems()
    {
        QStringList ticked;
        for (QAction *a : MainForm->Sprache1Menu->actions())
            if (a->isChecked() && a != MainForm->Zollstattmm1)
                ticked << a->objectName();
        return ticked;
    }
    void start(const QByteArray &options, const Rows &table = {})
    {
        if (!options.isNull())
            QVERIFY(writeBytes(optionsPath(), options));
        if (!table.isEmpty())
            QVERIFY(writeBytes(tablePath(), tableBytes(table)));
        CreateApplicationWindows();
        MainForm->show();
    }
    QByteArray closeAndRead()
    {
        MainForm->close();
        return readBytes(optionsPath());
    }

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        QFile::remove(tablePath());
        QFile::remove(TestEnv->programFolder() + QStringLiteral("options0.dat"));
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("millimetres");
        QTest::newRow("German, unticked") << hexBytes("00 00 00 00 00") << 0 << false;
        QTest::newRow("English, ticked") << hexBytes("01 00 00 00 01") << 1 << true;
        QTest::newRow("any non-zero byte ticks") << hexBytes("01 00 00 00 80") << 1 << true;
        QTest::newRow("column 19") << hexBytes("13 00 00 00 00") << 19 << false;
        QTest::newRow("column 20 reads as German") << hexBytes("14 00 00 00 01") << 0 << true;
        QTest::newRow("negative reads as German") << hexBytes("ff ff ff ff 01") << 0 << true;
        QTest::newRow("high byte set") << hexBytes("01 00 00 01 00") << 0 << false;
        QTest::newRow("four bytes: unticked") << hexBytes("02 00 00 00") << 2 << false;
        QTest::newRow("three bytes: defaults") << hexBytes("01 00 00") << 0 << false;
        QTest::newRow("empty file") << QByteArray() << 0 << false;
        QTest::newRow("longer file: first five bytes") << hexBytes("01 00 00 00 00 01") << 1 << false;
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, language);
        QFETCH(bool, millimetres);
        const TLanguageOptions o = ParseLanguageOptions(bytes);
        QCOMPARE(o.language, language);
        QCOMPARE(o.millimetres, millimetres);
    }

    void serialize_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("millimetres");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("German") << 0 << false << hexBytes("00 00 00 00 00");
        QTest::newRow("English, mm") << 1 << true << hexBytes("01 00 00 00 01");
        QTest::newRow("column 258") << 258 << false << hexBytes("02 01 00 00 00");
    }
    void serialize()
    {
        QFETCH(int, language);
        QFETCH(bool, millimetres);
        QFETCH(QByteArray, bytes);
        QCOMPARE(SerializeLanguageOptions({language, millimetres}), bytes);
    }

    void firstStartIsGermanAndWritesZeros()
    {
        start(QByteArray());
        QCOMPARE(tickedItems(), QStringList{QStringLiteral("Deutsch1")});
        QVERIFY(!MainForm->Zollstattmm1->isChecked());
        QCOMPARE(MainForm->language, 0);
        QCOMPARE(MainForm->languagesetto, 0);
        QCOMPARE(closeAndRead(), hexBytes("00 00 00 00 00"));
    }

    void storedSettingsAreRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<bool>("millimetres");
        QTest::addColumn<int>("language");
        QTest::newRow("English, mm") << hexBytes("01 00 00 00 01") << "English1" << true << 1;
        QTest::newRow("English, inches") << hexBytes("01 00 00 00 00") << "English1" << false << 1;
        QTest::newRow("French") << hexBytes("02 00 00 00 00") << "Francais1" << false << 2;
        QTest::newRow("Dutch, mm") << hexBytes("03 00 00 00 01") << "Nederlands1" << true << 3;
        QTest::newRow("column 4: Deutsch stays ticked")
                << hexBytes("04 00 00 00 00") << "Deutsch1" << false << 4;
        QTest::newRow("column 19: Deutsch stays ticked")
                << hexBytes("13 00 00 00 00") << "Deutsch1" << false << 19;
        QTest::newRow("cut file") << hexBytes("01 00") << "Deutsch1" << false << 0;
    }
    void storedSettingsAreRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, ticked);
        QFETCH(bool, millimetres);
        QFETCH(int, language);
        start(bytes);
        QCOMPARE(tickedItems(), QStringList{ticked});
        QCOMPARE(MainForm->Zollstattmm1->isChecked(), millimetres);
        QCOMPARE(MainForm->languagesetto, language);
        QCOMPARE(MainForm->language, language);
        QVERIFY(d().messages.isEmpty());
    }

    // Each language item ticks itself alone, makes its column the active one, asks for the restart in
    // that language, and its column is what the next start reads.
    void languageItems_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("Deutsch") << hexBytes("03 00 00 00 00") << "Deutsch1" << 0
                                 << "Bitte schließen Sie das Program und starten Sie es neu."
                                 << "Übersetzen" << hexBytes("00 00 00 00 00");
        QTest::newRow("English") << hexBytes("00 00 00 00 01") << "English1" << 1
                                 << "Please close the program and start it again."
                                 << "Translate" << hexBytes("01 00 00 00 01");
        QTest::newRow("Français") << QByteArray() << "Francais1" << 2
                                  << "Veuillez fermer le programme et le redémarrer."
                                  << "Traduction" << hexBytes("02 00 00 00 00");
        QTest::newRow("Nederlands") << hexBytes("01 00 00 00 00") << "Nederlands1" << 3
                                    << "Sluit het programma en start het opnieuw."
                                    << "Vertaling" << hexBytes("03 00 00 00 00");
        QTest::newRow("Français from column 7") << hexBytes("07 00 00 00 00") << "Francais1" << 2
                                                << "Veuillez fermer le programme et le redémarrer."
                                                << "Traduction" << hexBytes("02 00 00 00 00");
    }
    void languageItems()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, item);
        QFETCH(int, column);
        QFETCH(QString, notice);
        QFETCH(QString, caption);
        QFETCH(QByteArray, written);
        start(stored, noticeInAllLanguages());
        const QString labelBefore = MainForm->Label1->text();
        MainForm->findChild<QAction *>(item)->trigger();
        QCOMPARE(tickedItems(), QStringList{item});
        QCOMPARE(MainForm->language, column);
        QCOMPARE(d().messages.size(), 1);
        const auto &m = d().messages.first();
        QCOMPARE(m.text, notice);
        QCOMPARE(m.caption, caption);
        QCOMPARE(m.icon, TMsgIcon::Information);
        QCOMPARE(m.buttons, TMsgButtons::Ok);
        // The windows keep their texts until the next start.
        QCOMPARE(MainForm->Label1->text(), labelBefore);
        QCOMPARE(closeAndRead(), written);
    }

    // Inches belong to English alone: leaving English for another language brings millimetres back,
    // and no other language switches to inches.
    void inchesStayEnglish_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<double>("afterFirst");
        QTest::addColumn<double>("afterSecond");
        QTest::newRow("English, then French") << "English1"
                                              << "Francais1" << 0.59 << 15.0;
        QTest::newRow("English, then Dutch") << "English1"
                                             << "Nederlands1" << 0.59 << 15.0;
        QTest::newRow("French, then Dutch") << "Francais1"
                                            << "Nederlands1" << 15.0 << 15.0;
        QTest::newRow("Dutch, then English") << "Nederlands1"
                                             << "English1" << 15.0 << 0.59;
    }
    void inchesStayEnglish()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(double, afterFirst);
        QFETCH(double, afterSecond);
        start(QByteArray());
        MainForm->findChild<QAction *>(first)->trigger();
        QCOMPARE(MainForm->RandEd->value(), afterFirst);
        MainForm->findChild<QAction *>(second)->trigger();
        QCOMPARE(MainForm->RandEd->value(), afterSecond);
        QCOMPARE(MainForm->isInchMode(), second == QLatin1String("English1"));
    }

    void choosingEnglishShowsTheNoticeInEnglish_data()
    {
        QTest::addColumn<bool>("tickMillimetres");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("inches") << false << hexBytes("01 00 00 00 00");
        QTest::newRow("millimetres") << true << hexBytes("01 00 00 00 01");
    }
    void choosingEnglishShowsTheNoticeInEnglish()
    {
        QFETCH(bool, tickMillimetres);
        QFETCH(QByteArray, written);
        start(QByteArray(), noticeInEnglish());
        if (tickMillimetres)
            MainForm->Zollstattmm1->trigger();
        MainForm->English1->trigger();
        QVERIFY(MainForm->English1->isChecked());
        QVERIFY(!MainForm->Deutsch1->isChecked());
        QCOMPARE(MainForm->language, 1);
        QCOMPARE(d().messages.size(), 1);
        const auto &m = d().messages.first();
        QCOMPARE(m.text, QStringLiteral("Please close the program and start it again."));
        QCOMPARE(m.caption, QStringLiteral("Translate"));
        QCOMPARE(m.icon, TMsgIcon::Information);
        QCOMPARE(m.buttons, TMsgButtons::Ok);
        // The windows keep their texts until the next start.
        QCOMPARE(MainForm->Label1->text(), QStringLiteral("Empfänger:"));
        QCOMPARE(closeAndRead(), written);
    }

    // The lengths keep their physical size when a language item switches inch mode.
    void languageItemsConvertTheLengths()
    {
        start(QByteArray());
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        MainForm->English1->trigger();
        QCOMPARE(MainForm->RandEd->value(), 0.59);
        QCOMPARE(MainForm->BildRandEd->value(), 0.2);
        QCOMPARE(MainForm->BildBreiteEd->value(), 0.79);
        QCOMPARE(MainForm->EmpfProEd->value(), 50.0);
        MainForm->Deutsch1->trigger();
        QCOMPARE(MainForm->language, 0);
        // Back in millimetres the lengths are the ones the user had, not their rounded inches again.
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        QCOMPARE(MainForm->BildRandEd->value(), 5.0);
        QCOMPARE(MainForm->BildBreiteEd->value(), 20.0);
        QCOMPARE(d().messages.size(), 2);
    }

    // A length changed while in inches is converted from what it shows.
    void lengthEditedInInchesIsConverted()
    {
        start(QByteArray());
        MainForm->English1->trigger();
        MainForm->RandEd->setValue(0.6);
        MainForm->Deutsch1->trigger();
        QCOMPARE(MainForm->RandEd->value(), 15.24);
        QCOMPARE(MainForm->BildRandEd->value(), 5.0);
        // The millimetre item computes as it always does.
        MainForm->English1->trigger();
        QCOMPARE(MainForm->BildBreiteEd->value(), 0.79);
        MainForm->Zollstattmm1->trigger();
        QCOMPARE(MainForm->BildBreiteEd->value(), 20.07);
    }

    void englishWithMillimetresConvertsNothing()
    {
        start(QByteArray());
        MainForm->Zollstattmm1->trigger();
        MainForm->English1->trigger();
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        MainForm->Deutsch1->trigger();
        QCOMPARE(MainForm->RandEd->value(), 15.0);
    }

    void millimetreItemConvertsInEnglish()
    {
        start(hexBytes("01 00 00 00 00"));
        MainForm->RandEd->setValue(0.5);
        MainForm->BildRandEd->setValue(1000);
        MainForm->Zollstattmm1->trigger();
        QVERIFY(MainForm->Zollstattmm1->isChecked());
        QCOMPARE(MainForm->RandEd->value(), 12.7);
        QCOMPARE(MainForm->RandEd->text(), QLocale().toString(12.7, 'f', 2));
        QCOMPARE(MainForm->BildRandEd->value(), 1000.0); // clamped by the field
        MainForm->Zollstattmm1->trigger();
        QVERIFY(!MainForm->Zollstattmm1->isChecked());
        QCOMPARE(MainForm->RandEd->value(), 0.5);
        QCOMPARE(MainForm->BildRandEd->value(), 39.37);
        QVERIFY(d().messages.isEmpty());
    }

    // With all three lengths at zero no field changes, yet the unit did: the size label follows it.
    void unitChangeWithZeroLengthsRelabelsTheSheet_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("inchesAfter");
        QTest::newRow("millimetre item") << hexBytes("01 00 00 00 00") << "Zollstattmm1" << false;
        QTest::newRow("Deutsch after English") << hexBytes("01 00 00 00 00") << "Deutsch1" << false;
        QTest::newRow("English after Deutsch") << hexBytes("00 00 00 00 00") << "English1" << true;
    }
    void unitChangeWithZeroLengthsRelabelsTheSheet()
    {
        QFETCH(QByteArray, options);
        QFETCH(QString, command);
        QFETCH(bool, inchesAfter);
        start(options);
        for (TRxSpinEdit *field : {MainForm->RandEd, MainForm->BildRandEd, MainForm->BildBreiteEd})
            field->setValue(0);
        QCOMPARE(MainForm->Label5->text().contains(MessageText(13)), !inchesAfter);
        MainForm->findChild<QAction *>(command)->trigger();
        QCOMPARE(MainForm->isInchMode(), inchesAfter);
        QCOMPARE(MainForm->Label5->text().contains(MessageText(13)), inchesAfter);
        QCOMPARE(MainForm->RandEd->value(), 0.0);
    }

    void millimetreItemInGermanOnlyTicks()
    {
        start(QByteArray());
        MainForm->Zollstattmm1->trigger();
        QVERIFY(MainForm->Zollstattmm1->isChecked());
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        QCOMPARE(closeAndRead(), hexBytes("00 00 00 00 01"));
    }

    void languageItemsDoNothingWhileTheProgramTicks()
    {
        start(QByteArray());
        MainForm->dontchlang = true;
        MainForm->English1Click();
        QCOMPARE(MainForm->language, 0);
        QVERIFY(MainForm->Deutsch1->isChecked());
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        QVERIFY(d().messages.isEmpty());
        MainForm->dontchlang = false;
    }

    void translateItemOpensTheEditorThenTheNotice()
    {
        start(QByteArray(), {{QStringLiteral("Haus"), QStringLiteral("House")}});
        int rowsWhileOpen = -1;
        bool modalWhileOpen = false;
        d().modalAnswers.enqueue([&](QDialog *d) {
            modalWhileOpen = d == TranslateForm && d->isModal() && d->isVisible();
            rowsWhileOpen = TranslateForm->StringGrid1->rowCount();
            return int(QDialog::Rejected);
        });
        MainForm->bersetzen1->trigger();
        QVERIFY(modalWhileOpen);
        QCOMPARE(rowsWhileOpen, TranslationRowCount());
        QCOMPARE(TranslateForm->StringGrid1->horizontalHeaderItem(2)->text(), QStringLiteral("Français"));
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(d().messages.first().icon, TMsgIcon::Information);
        QCOMPARE(d().messages.first().caption, QStringLiteral("Übersetzen"));
    }

    void qtOwnTextsFollowTheLanguage()
    {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        QVERIFY2(QFile::exists(folder + QStringLiteral("/qtbase_de.qm")), "qt6-translations-l10n is missing");
        QVERIFY(InstallQtTranslation(0));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
        QVERIFY(InstallQtTranslation(2));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
        // Column 7 has no Qt translation: Qt's own texts come back.
        QVERIFY(!InstallQtTranslation(7));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }
};

KUVERTINO_GUI_TEST_MAIN(TestLanguageCommands)
#include "tst_languagecommands.moc"
