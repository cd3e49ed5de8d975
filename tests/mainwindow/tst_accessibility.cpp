// The main window for keyboard and screen-reader users: what each field is called, where Tab goes.

#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "controls/BitBtnXP.h"
#include "controls/FilenameEdit.h"
#include "controls/Memo.h"
#include "controls/RxSpinEdit.h"
#include "render/PaintBox.h"
#include "shell/MainUnit.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>

extern IsolatedEnvironment *TestEnv;

class TestAccessibility : public QObject
{
    Q_OBJECT

    // The widgets Tab stops on, from the first button on, once round the window.
    static QList<QWidget *> tabStops()
    {
        QList<QWidget *> stops;
        QWidget *w = MainForm->BitBtn3;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisibleTo(MainForm)
                && w->isEnabled())
                stops << w;
            w = w->nextInFocusChain();
        } while (w && w != MainForm->BitBtn3 && stops.size() < 200);
        return stops;
    }

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
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

    void fieldIsNamedByItsLabel_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("Memo1") << "Memo1"
                               << "Empfänger:"
                               << "";
        QTest::newRow("Memo2") << "Memo2"
                               << "Absender:"
                               << "";
        QTest::newRow("ZoomEd") << "ZoomEd"
                                << "Zoom in %:"
                                << "";
        QTest::newRow("RandEd") << "RandEd"
                                << "Rand in mm:"
                                << "";
        QTest::newRow("BildRandEd") << "BildRandEd"
                                    << "Rand um Bild in mm:"
                                    << "";
        QTest::newRow("InfoEd") << "InfoEd"
                                << "Info Zeile:"
                                << "Z.B. \"Antwort\"";
        QTest::newRow("BildBreiteEd") << "BildBreiteEd"
                                      << "Bildbreite in mm:"
                                      << "";
        QTest::newRow("EmpfProEd") << "EmpfProEd"
                                   << "Empfänger anzeigen bei:"
                                   << "% der Blattbreite";
        QTest::newRow("EmpfPro2Ed") << "EmpfPro2Ed"
                                    << "Empfänger anzeigen bei:"
                                    << "% der Blatthöhe";
        QTest::newRow("recipient Neu") << "BitBtn1"
                                       << "Neu"
                                       << "Empfänger:";
        QTest::newRow("sender Neu") << "BitBtn2"
                                    << "Neu"
                                    << "Absender:";
    }
    void fieldIsNamedByItsLabel()
    {
        QFETCH(QString, field);
        QFETCH(QString, name);
        QFETCH(QString, description);
        auto *w = MainForm->findChild<QWidget *>(field);
        QVERIFY(w);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(iface->text(QAccessible::Description), description);
    }

    // The file name's own line is what takes the focus; it carries the label's name, and its browse
    // button has a name of its own.
    void fileNameLineAndBrowseButtonAreNamed()
    {
        QLineEdit *line = MainForm->FilenameEdit1->lineEdit();
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name),
                 QStringLiteral("Bilddatei:"));
        QToolButton *browse = MainForm->FilenameEdit1->browseButton();
        QCOMPARE(QAccessible::queryAccessibleInterface(browse)->text(QAccessible::Name),
                 QStringLiteral("Bilddatei wählen"));
        QCOMPARE(MainForm->Label7->buddy(), static_cast<QWidget *>(MainForm->FilenameEdit1));
    }

    // A list's label reaches a screen reader as the list's label relation (Qt on Linux reports the
    // chosen entry as the list's name) and as the list's name elsewhere.
    void listsAreLabelled_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("label");
        QTest::newRow("paper format") << "ComboBox1"
                                      << "Label4";
        QTest::newRow("picture position") << "ComboBox2"
                                          << "Label9";
    }
    void listsAreLabelled()
    {
        QFETCH(QString, list);
        QFETCH(QString, label);
        auto *combo = MainForm->findChild<QComboBox *>(list);
        auto *caption = MainForm->findChild<QLabel *>(label);
        QCOMPARE(combo->accessibleName(), caption->text());
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
        QStringList labels;
        for (const auto &[other, relation] : iface->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        QCOMPARE(labels, QStringList{caption->text()});
    }

    // Tab goes round the controls in reading order, the browse button and the preview included, and
    // never stops on the hidden focus target; typing after start goes into the recipient.
    void tabOrderAndFocusAtStart()
    {
        QStringList stops;
        for (QWidget *w : tabStops())
            stops << (w->objectName().isEmpty() ? w->parentWidget()->objectName() + QStringLiteral(".")
                                                          + QString::fromLatin1(w->metaObject()->className())
                                                : w->objectName());
        const QStringList expected{"BitBtn3",
                                   "BitBtn4",
                                   "BitBtn5",
                                   "BitBtn6",
                                   "BitBtn7",
                                   "BitBtn8",
                                   "BitBtn1",
                                   "ChooseBtn",
                                   "SaveInListBtn",
                                   "Memo1",
                                   "BitBtn2",
                                   "Memo2",
                                   "ZoomEd",
                                   "GanzesBlattBtn",
                                   "ComboBox1",
                                   "Schrift1Btn",
                                   "Schrift2Btn",
                                   "RandEd",
                                   "BildRandEd",
                                   "InfoEd",
                                   "FilenameEdit1.QLineEdit",
                                   "FilenameEdit1.QToolButton",
                                   "BildBreiteEd",
                                   "ComboBox2",
                                   "HochformatCheck",
                                   "EmpfProEd",
                                   "EmpfPro2Ed",
                                   "ScrollBox1"};
        QCOMPARE(stops.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
        QCOMPARE(MainForm->focusWidget(), static_cast<QWidget *>(MainForm->Memo1));
    }

    // The hidden focus target still takes the focus from a press on the preview, so the wheel
    // scrolls it; a screen reader passes it and its label by. The preview reads as a named picture.
    void previewAndHiddenTarget()
    {
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        MainForm->InfoEd->setFocus();
        QTest::mouseClick(MainForm->PaintBox1, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(MainForm->Edit1));
        QCOMPARE(MainForm->Edit1->text(), QStringLiteral("Edit1"));
        for (QWidget *hidden :
             {static_cast<QWidget *>(MainForm->Edit1), static_cast<QWidget *>(MainForm->Label16)})
            QVERIFY(QAccessible::queryAccessibleInterface(hidden)->state().invisible);
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
        QVERIFY(f10);
        QCOMPARE(f10->key(), QKeySequence(Qt::Key_F10));
        emit f10->activated();
        QCOMPARE(MainForm->menuBar()->activeAction(), MainForm->Datei1);
        MainForm->Datei1Menu->close();
    }

    // With the browse button focused, the keyboard opens the picture dialog.
    void browseButtonWorksFromTheKeyboard()
    {
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        (*m_dialogs)->fileAnswers.enqueue(TestEnv->path(QStringLiteral("logo.png")));
        QToolButton *browse = MainForm->FilenameEdit1->browseButton();
        browse->setFocus(Qt::TabFocusReason);
        QTest::keyClick(browse, Qt::Key_Space);
        QCOMPARE(MainForm->FilenameEdit1->text(), TestEnv->path(QStringLiteral("logo.png")));
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
