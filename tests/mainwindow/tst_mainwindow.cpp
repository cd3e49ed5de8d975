#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/AboutBoxUnit.h"
#include "app/BitBtnXP.h"
#include "app/ChooseAddressFUnit.h"
#include "app/FilenameEdit.h"
#include "app/KopienFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/RxSpinEdit.h"
#include "app/TranslateFUnit.h"
#include "core/Errors.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

extern IsolatedEnvironment *TestEnv;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void windowsCreatedInOrder()
    {
        QVERIFY(MainForm && AboutBox && TranslateForm && ChooseAddressForm && KopienForm);
        const QList<QObject *> expected{MainForm, AboutBox, TranslateForm, ChooseAddressForm, KopienForm};
        QCOMPARE(Application->Components, expected);
        QCOMPARE(Application->Title, QStringLiteral("Kuvertino"));
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Velmora Kuvertino 1.0"));
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("Info"));
        QCOMPARE(TranslateForm->windowTitle(), QStringLiteral("Übersetzen"));
        QCOMPARE(ChooseAddressForm->windowTitle(), QStringLiteral("Adresse wählen"));
        QCOMPARE(KopienForm->windowTitle(), QStringLiteral("Anzahl der Kopien wählen"));
        QCOMPARE(MainForm->progpath, TestEnv->programFolder());
    }

    void firstStartDefaults()
    {
        MainForm->show();
        QCOMPARE(MainForm->ZoomEd->value(), 100.0);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 11);
        QCOMPARE(MainForm->ComboBox1->currentText(), QStringLiteral("C6 - 114 x 162"));
        QCOMPARE(MainForm->RandEd->value(), 15.0);
        QCOMPARE(MainForm->BildRandEd->value(), 5.0);
        QCOMPARE(MainForm->BildBreiteEd->value(), 20.0);
        QCOMPARE(MainForm->ComboBox2->currentIndex(), 1);
        QCOMPARE(MainForm->EmpfProEd->value(), 50.0);
        QCOMPARE(MainForm->EmpfPro2Ed->value(), 50.0);
        QCOMPARE(MainForm->FontDialog1->Font, TFontRec::defaultFont());
        QCOMPARE(MainForm->FontDialog2->Font, TFontRec::defaultFont());
        QCOMPARE(MainForm->FontDialog1->Font.name, QStringLiteral("Arial"));
        QCOMPARE(MainForm->FontDialog1->Font.size, 11);
        QVERIFY(!MainForm->HochformatCheck->isChecked());
        QVERIFY(MainForm->Memo1->text().isEmpty());
        QVERIFY(MainForm->Memo2->text().isEmpty());
        QVERIFY(MainForm->InfoEd->text().isEmpty());
        QVERIFY(MainForm->FilenameEdit1->text().isEmpty());
        QVERIFY(!ChooseAddressForm->isVisible());
        QVERIFY(MainForm->Deutsch1->isChecked());
        QVERIFY(!MainForm->Zollstattmm1->isChecked());
        QVERIFY(!MainForm->Timer1->isActive());
        QCOMPARE(MainForm->Timer1->interval(), 1000);
        QCOMPARE(MainForm->Label1->text(), QStringLiteral("Empfänger:"));
        QCOMPARE(MainForm->Schrift1Btn->text(), QStringLiteral("Empfäger Schriftart..."));
        QCOMPARE(MainForm->InfoEd->toolTip(), QStringLiteral("Z.B. \"Antwort\""));
        QCOMPARE(MainForm->OpenDialog1->Filter, QStringLiteral("Briefumschläge (*.KVT)|*.kvt"));
        QCOMPARE(MainForm->SaveDialog1->DefaultExt, QStringLiteral(".kvt"));
        QCOMPARE(MainForm->OpenDialog2->Filter,
                 QStringLiteral("Adressdateien (*.csv *.txt *.ods *.xlsx "
                                "*.vcf)|*.csv;*.txt;*.ods;*.xlsx;*.vcf|CSV Dateien (*.csv)|*.csv"));
        QCOMPARE(MainForm->FilenameEdit1->Filter, MainForm->OpenPictureDialog1->Filter);
        QCOMPARE(MainForm->ComboBox1->count(), 25);
        QCOMPARE(MainForm->ComboBox2->count(), 3);
        QCOMPARE(MainForm->ComboBox2->itemText(2), QStringLiteral("Bild als Briefmarke"));
        QVERIFY(MainForm->BitBtn8->isCancel());
        // The focus target is there, first in the tab order, covered by the preview area.
        QCOMPARE(MainForm->Edit1->text(), QStringLiteral("Edit1"));
        QVERIFY(MainForm->Edit1->isVisible());
        QVERIFY(MainForm->ScrollBox1->geometry().intersects(MainForm->Edit1->geometry()));
        QWidget *next = MainForm->Edit1->nextInFocusChain();
        while (next && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, static_cast<QWidget *>(MainForm->BitBtn3));
        QCOMPARE(MainForm->Label16->text(), QStringLiteral("Label16"));
    }

    void spinFieldRanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::newRow("ZoomEd") << "ZoomEd" << 10.0 << 1000.0 << 10.0 << 0;
        QTest::newRow("RandEd") << "RandEd" << 0.0 << 1000.0 << 1.0 << 2;
        QTest::newRow("BildRandEd") << "BildRandEd" << 0.0 << 1000.0 << 1.0 << 2;
        QTest::newRow("BildBreiteEd") << "BildBreiteEd" << 0.0 << 1000.0 << 1.0 << 2;
        QTest::newRow("EmpfProEd") << "EmpfProEd" << 0.0 << 1000.0 << 1.0 << 2;
        QTest::newRow("EmpfPro2Ed") << "EmpfPro2Ed" << 0.0 << 1000.0 << 1.0 << 2;
    }
    void spinFieldRanges()
    {
        QFETCH(QString, name);
        auto *s = MainForm->findChild<TRxSpinEdit *>(name);
        QVERIFY(s);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, step);
        QFETCH(int, decimals);
        QCOMPARE(s->minimum(), min);
        QCOMPARE(s->maximum(), max);
        QCOMPARE(s->singleStep(), step);
        QCOMPARE(s->decimals(), decimals);
    }

    void menuTree()
    {
        QStringList seen;
        const QList<QAction *> top = MainForm->menuBar()->actions();
        for (QAction *a : top) {
            seen << a->objectName() + QLatin1Char('=') + a->text();
            if (a->menu())
                for (QAction *sub : a->menu()->actions())
                    seen << QStringLiteral("  ") + sub->objectName() + QLatin1Char('=')
                                    + (sub->isSeparator() ? QStringLiteral("-") : sub->text());
        }
        const QStringList expected{
                "Datei1=Datei",
                "  Neu1=Neu",
                "  ffnen1=Öffnen...",
                "  Speichernunter1=Speichern unter...",
                "  N1=-",
                "  CSVImportieren1=Alle Datensätze einer CSV Datei drucken...",
                "  CSVDateiinAdresslisteladen1=CSV Datei in Adressliste laden...",
                "  N2=-",
                "  Druckereinrichten1=Drucker einrichten...",
                "  Druckerjustieren1=Drucker justieren...",
                "  Drucken1=Drucken...",
                "  MehrereKopiendrucken1=Mehrere Kopien drucken...",
                "  N3=-",
                "  Beenden1=Beenden",
                "Adressliste1=Adressliste",
                "  Adresslisteimmeroffenhalten1=Adressliste immer offen halten",
                "Sprache1=Sprache",
                "  Deutsch1=Deutsch",
                "  English1=English",
                "  Francais1=Français",
                "  Nederlands1=Nederlands",
                "  N4=-",
                "  bersetzen1=Übersetzen...",
                "  N5=-",
                "  Zollstattmm1=mm statt Zoll im Englischen",
                "ber1=Über..",
        };
        QCOMPARE(seen, expected);
        for (QAction *sep : {MainForm->N1, MainForm->N2, MainForm->N3, MainForm->N4, MainForm->N5}) {
            QVERIFY(sep->isSeparator());
            QVERIFY(sep->text().isEmpty()); // nothing drawn on the line
        }
        QVERIFY(!MainForm->ber1->menu());
        for (QAction *a : {MainForm->English1, MainForm->Francais1, MainForm->Nederlands1})
            QVERIFY(a->actionGroup() == MainForm->Deutsch1->actionGroup());
        QVERIFY(MainForm->LanguageGroup->isExclusive());
        // The millimetre item ticks itself on each click.
        MainForm->Zollstattmm1->trigger();
        QVERIFY(MainForm->Zollstattmm1->isChecked());
        MainForm->Zollstattmm1->trigger();
        QVERIFY(!MainForm->Zollstattmm1->isChecked());
    }

    void otherWindowsControls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("copies label") << "KopienForm"
                                      << "Label1"
                                      << "Anzahl der Kopien zum Drucken:";
        QTest::newRow("take address") << "ChooseAddressForm"
                                      << "BitBtn1"
                                      << "OK, Adresse übernehmen";
        QTest::newRow("cancel") << "ChooseAddressForm"
                                << "BitBtn2"
                                << "Abbrechen";
        QTest::newRow("delete address") << "ChooseAddressForm"
                                        << "BitBtn3"
                                        << "Löschen";
        QTest::newRow("print marked") << "ChooseAddressForm"
                                      << "BitBtn4"
                                      << "Markierte Adressen drucken...";
        QTest::newRow("back") << "TranslateForm"
                              << "BackBtn"
                              << "Zurück...";
        QTest::newRow("search") << "TranslateForm"
                                << "FilterBtn"
                                << "Suchen";
        QTest::newRow("delete row") << "TranslateForm"
                                    << "DeleteRowBtn"
                                    << "Zeile löchen";
        QTest::newRow("fixed column") << "TranslateForm"
                                      << "FixedColCheck"
                                      << "Erste Spalte fixieren";
    }
    void otherWindowsControls()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QWidget *form = nullptr;
        for (QObject *o : Application->Components)
            if (o->objectName() == window
                || QString::fromLatin1(o->metaObject()->className()) == "T" + window)
                form = qobject_cast<QWidget *>(o);
        QVERIFY(form);
        QWidget *w = form->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        QTEST(text, "text");
    }

    void copiesField()
    {
        auto *copies = KopienForm->findChild<TRxSpinEdit *>("CopiesEd");
        QVERIFY(copies);
        QCOMPARE(copies->minimum(), 1.0);
        QCOMPARE(copies->maximum(), 10000.0);
        QCOMPARE(copies->value(), 1.0);
    }

    void neuKeepsAllButRecipientAndPicture()
    {
        MainForm->Memo1->setText(QStringLiteral("Herrn\r\nMeier"));
        MainForm->Memo2->setText(QStringLiteral("Absender"));
        MainForm->FilenameEdit1->setText(QStringLiteral("/tmp/logo.png"));
        MainForm->InfoEd->setText(QStringLiteral("Antwort"));
        MainForm->RandEd->setValue(12.5);
        MainForm->ComboBox1->setCurrentIndex(3);
        MainForm->FontDialog2->Font.name = QStringLiteral("DejaVu Sans");
        MainForm->BitBtn3->click();
        QVERIFY(MainForm->Memo1->text().isEmpty());
        QVERIFY(MainForm->FilenameEdit1->text().isEmpty());
        QCOMPARE(MainForm->Memo2->text(), QStringLiteral("Absender"));
        QCOMPARE(MainForm->InfoEd->text(), QStringLiteral("Antwort"));
        QCOMPARE(MainForm->RandEd->value(), 12.5);
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 3);
        QCOMPARE(MainForm->FontDialog2->Font.name, QStringLiteral("DejaVu Sans"));
        MainForm->BitBtn2->click();
        QVERIFY(MainForm->Memo2->text().isEmpty());
    }

    void escapeOnFocusedButtonEndsProgramWithSaving()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        MainForm->activateWindow();
        MainForm->BitBtn7->setFocus();
        QTest::keyClick(MainForm->BitBtn7, Qt::Key_Escape);
        QVERIFY(!MainForm->isVisible());
        // The same exit path as "Beenden": the last state and the language settings are written.
        QVERIFY(QFile::exists(TestEnv->settingsFolder() + "options.dat"));
        QFile lang(TestEnv->settingsFolder() + "options0.dat");
        QVERIFY(lang.open(QIODevice::ReadOnly));
        QCOMPARE(lang.readAll(), QByteArray(5, '\0'));
    }

    void formShowRunsOnce()
    {
        MainForm->show();
        QVERIFY(MainForm->infirst);
        MainForm->RandEd->setValue(7);
        MainForm->hide();
        MainForm->show();
        // A second showing does not load the last state again.
        QCOMPARE(MainForm->RandEd->value(), 7.0);
        QVERIFY(MainForm->infirst);
    }

    void errorReportCarriesApplicationTitle()
    {
        Application->Title = QStringLiteral("Envelopes");
        MainForm->ber1->trigger(); // a handler that succeeds reports nothing
        Guarded([] { throw EInOutError(QStringLiteral("Disk write error")); });
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        QCOMPARE((*m_dialogs)->messages.first().text, QStringLiteral("Disk write error"));
        QCOMPARE((*m_dialogs)->messages.first().caption, QStringLiteral("Envelopes"));
        QCOMPARE((*m_dialogs)->messages.first().icon, TMsgIcon::Error);
    }

    void yearLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("placeholder") << "Copyright © XXXX Velmora"
                                     << "Copyright © 2031 Velmora";
        QTest::newRow("first only") << "XXXX-XXXX"
                                    << "2031-XXXX";
        QTest::newRow("none") << " Velmora"
                              << "2031 Velmora";
        QTest::newRow("empty") << ""
                               << "2031";
    }
    void yearLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ApplyYearLine(text, 2031), expected);
    }

    void aboutBoxShowsCurrentYear()
    {
        auto *label = AboutBox->findChild<QLabel *>("Copyright");
        QVERIFY(label->text().contains(QString::number(QDate::currentDate().year())));
        QVERIFY(!label->text().contains("XXXX"));
    }

    void aboutBoxHasFixedSize()
    {
        AboutBox->show();
        QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
        AboutBox->resize(900, 700);
        QCOMPARE(AboutBox->size(), QSize(664, 453));
        QCOMPARE(AboutBox->minimumSize(), AboutBox->maximumSize());
        AboutBox->hide();
    }

    void webAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << "https://www.velmora.example/kuvertino/" << true;
        QTest::newRow("http") << "http://velmora.example" << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("program") << "/usr/bin/xterm" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("empty") << "" << false;
    }
    void webAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, opens);
        QCOMPARE(IsOpenableWebAddress(address), opens);
    }

    void webButtonOpensMessage12()
    {
        AboutBox->findChild<QPushButton *>("BitBtnXP1")->click();
        QCOMPARE((*m_dialogs)->openedUrls.size(), 1);
        QCOMPARE((*m_dialogs)->openedUrls.first().scheme(), QStringLiteral("https"));
    }

    void aboutMenuShowsModalBox()
    {
        MainForm->ber1->trigger();
        QCOMPARE((*m_dialogs)->modalDialogs.size(), 1);
        QCOMPARE((*m_dialogs)->modalDialogs.first(), static_cast<QDialog *>(AboutBox));
    }

    void eachWheelStepScrollsOnce()
    {
        MainForm->ZoomEd->setValue(400);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        MainForm->Edit1->setFocus();
        QScrollBar *bar = MainForm->ScrollBox1->verticalScrollBar();
        MainForm->PaintBox1Paint(nullptr);
        QTRY_VERIFY(bar->maximum() > 200);
        bar->setValue(0);
        const int step = [&] {
            sendWheel(-120);
            return bar->value();
        }();
        QVERIFY(step > 0);
        // Every wheel event counts, though successive events may share one address.
        sendWheel(-120);
        QCOMPARE(bar->value(), 2 * step);
        sendWheel(-240);
        QCOMPARE(bar->value(), 4 * step);
        // Half steps add up to a whole one.
        sendWheel(60);
        QCOMPARE(bar->value(), 4 * step);
        sendWheel(60);
        QCOMPARE(bar->value(), 3 * step);
        // Over the preview's own scroll bar the wheel scrolls by the handlers' step only.
        sendWheel(-120, bar);
        QCOMPARE(bar->value(), 4 * step);
        // A text field passes the event on to its scroll bar: still one step.
        MainForm->Memo1->setText(QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9"));
        sendWheel(-120, MainForm->Memo1->viewport());
        QCOMPARE(bar->value(), 5 * step);
    }

private:
    static void sendWheel(int delta, QWidget *target = nullptr)
    {
        if (!target)
            target = MainForm->PaintBox1;
        const QPointF at(3, 3);
        QWheelEvent wheel(at,
                          target->mapToGlobal(at),
                          QPoint(),
                          QPoint(0, delta),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(target, &wheel);
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
