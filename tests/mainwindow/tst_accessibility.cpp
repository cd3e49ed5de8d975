// The main window for keyboard and screen-reader users: what each control is called, where Tab goes.

#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

class TestAccessibility : public QObject
{
    Q_OBJECT

    // The controls Tab stops on from the first button on, once round the window, each by its name (an
    // inner part by its owner's name and its class).
    static QList<std::pair<QString, QWidget *>> tabStops()
    {
        QList<std::pair<QString, QWidget *>> stops;
        QWidget *w = MainForm->BitBtn3;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisibleTo(MainForm))
                stops.append({w->objectName().isEmpty()
                                      ? w->parentWidget()->objectName() + QLatin1Char('.')
                                                + QLatin1String(w->metaObject()->className())
                                      : w->objectName(),
                              w});
            w = w->nextInFocusChain();
        } while (w != MainForm->BitBtn3 && stops.size() < 100);
        return stops;
    }

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        // As with a screen reader running: widgets become interfaces as soon as their texts are set.
        QAccessible::setActive(true);
        CreateApplicationWindows();
        MainForm->show();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    // A list's label comes as its label relation: Qt on Linux gives the chosen entry as its name.
    void controlIsNamed_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        auto row = [](const char *control, const char *name, const char *description = "") {
            QTest::newRow(control) << control << QString::fromUtf8(name) << QString::fromUtf8(description);
        };
        row("Memo1", "Empfänger:");
        row("Memo2", "Absender:");
        row("ZoomEd", "Zoom in %:");
        row("ComboBox1", "Papierformat:");
        row("RandEd", "Rand in mm:");
        row("BildRandEd", "Rand um Bild in mm:");
        row("InfoEd", "Info Zeile:", "Z.B. \"Antwort\"");
        row("FilenameEdit1.QLineEdit", "Bilddatei:");
        row("FilenameEdit1.QToolButton", "Bilddatei wählen", "Bilddatei wählen");
        row("BildBreiteEd", "Bildbreite in mm:");
        row("ComboBox2", "Bildposition:");
        row("EmpfProEd", "Empfänger anzeigen bei:", "% der Blattbreite");
        row("EmpfPro2Ed", "Empfänger anzeigen bei:", "% der Blatthöhe");
        row("BitBtn1", "Neu", "Empfänger:");
        row("BitBtn2", "Neu", "Absender:");
        row("BitBtn3", "Neu", "Leert den Empfänger und die Bilddatei");
    }
    void controlIsNamed()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QWidget *w = nullptr;
        for (const auto &[stop, widget] : tabStops())
            w = stop == control ? widget : w;
        QVERIFY(w);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (qobject_cast<QComboBox *>(w)) {
            QCOMPARE(w->accessibleName(), name);
            const auto labels = iface->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels.first().first->text(QAccessible::Name), name);
        } else {
            QCOMPARE(iface->text(QAccessible::Name), name);
        }
        QCOMPARE(iface->text(QAccessible::Description), description);
    }

    // Tab goes round the controls in reading order, the browse button and the preview included, and
    // never stops on the hidden focus target; typing after start goes into the recipient.
    void tabOrderAndFocusAtStart()
    {
        QStringList stops;
        for (const auto &stop : tabStops())
            stops << stop.first;
        QCOMPARE(stops.join(QLatin1Char(' ')),
                 QStringLiteral(
                         "BitBtn3 BitBtn4 BitBtn5 BitBtn6 BitBtn7 BitBtn8 BitBtn1 ChooseBtn "
                         "SaveInListBtn Memo1 BitBtn2 Memo2 ZoomEd GanzesBlattBtn ComboBox1 Schrift1Btn "
                         "Schrift2Btn RandEd BildRandEd InfoEd FilenameEdit1.QLineEdit "
                         "FilenameEdit1.QToolButton BildBreiteEd ComboBox2 HochformatCheck EmpfProEd "
                         "EmpfPro2Ed ScrollBox1"));
        QCOMPARE(MainForm->focusWidget(), static_cast<QWidget *>(MainForm->Memo1));
    }

    // The hidden focus target still takes the focus from a press on the preview, so the wheel
    // scrolls it; a screen reader passes it and its label by. The preview reads as a named picture.
    void previewAndHiddenTarget()
    {
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QTest::mouseClick(MainForm->PaintBox1, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(MainForm->Edit1));
        QVERIFY(!MainForm->Edit1->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(QAccessible::queryAccessibleInterface(MainForm->Edit1)->state().invisible);
        QVERIFY(QAccessible::queryAccessibleInterface(MainForm->Label16)->state().invisible);
        QAccessibleInterface *preview = QAccessible::queryAccessibleInterface(MainForm->PaintBox1);
        QCOMPARE(preview->role(), QAccessible::Graphic);
        QCOMPARE(preview->text(QAccessible::Name), QStringLiteral("Vorschau: C6 - 114 x 162, Querformat"));
        MainForm->Memo1->setText(QStringLiteral("Max Muster\r\nGasse 1"));
        MainForm->HochformatCheck->setChecked(true);
        QCOMPARE(preview->text(QAccessible::Name),
                 QStringLiteral("Vorschau: C6 - 114 x 162, Hochformat, Max Muster"));
    }

    // The desktop's standard keys on the menu items, and F10 for the menu bar.
    void keys()
    {
        QCOMPARE(MainForm->Neu1->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(MainForm->ffnen1->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(MainForm->Speichernunter1->shortcut(), QKeySequence(QKeySequence::SaveAs));
        QCOMPARE(MainForm->Drucken1->shortcut(), QKeySequence(QKeySequence::Print));
        QCOMPARE(MainForm->Beenden1->shortcut(), QKeySequence(QKeySequence::Quit));
        auto *f10 = MainForm->findChild<QShortcut *>(QStringLiteral("MenuBarKey"));
        QCOMPARE(f10->key(), QKeySequence(Qt::Key_F10));
        emit f10->activated();
        QCOMPARE(MainForm->menuBar()->activeAction(), MainForm->Datei1);
        MainForm->Datei1Menu->close();
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
