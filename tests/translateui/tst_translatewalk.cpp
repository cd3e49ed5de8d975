#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "TranslateTestSupport.h"

#include "app/AboutBoxUnit.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "app/TranslateFUnit.h"
#include "app/TranslateWalk.h"
#include "core/translateunit.h"
#include "print/Printer.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDirIterator>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

extern IsolatedEnvironment *TestEnv;

namespace {

// A window of the test's own: owns one component of every kind the walk knows, plus some it leaves.
class TTestForm : public QDialog, public TComponentList
{
public:
    explicit TTestForm(const QString &caption) { setWindowTitle(caption); }
};

const QString English = QStringLiteral("EN:");

} // namespace

class TestTranslateWalk : public QObject
{
    Q_OBJECT

    int m_language = 1;
    QString m_folder;
    std::unique_ptr<TApplicationObject> m_root;
    TTestForm *m_form = nullptr;
    QMenu *m_menu = nullptr;
    int m_rowsBefore = 0;

    QString tablePath() const { return TestEnv->programFolder() + QStringLiteral("translate.dat"); }
    static bool writeOptions(const QByteArray &bytes)
    {
        return writeBytes(TestEnv->settingsFolder() + QStringLiteral("options0.dat"), bytes);
    }

    // German texts of the test window, each with "EN:" + text in column 1.
    static QStringList knownTexts()
    {
        return {QStringLiteral("Fenster"),
                QStringLiteral("Beschriftung"),
                QStringLiteral("Kästchen"),
                QStringLiteral("Kästchenhilfe"),
                QStringLiteral("Knopf"),
                QStringLiteral("Knopfhilfe"),
                QStringLiteral("Werkzeug"),
                QStringLiteral("Gruppe"),
                QStringLiteral("Gruppenhilfe"),
                QStringLiteral("Menü"),
                QStringLiteral("Öffnen..."),
                QStringLiteral("Eintrag"),
                QStringLiteral("Eintragshilfe"),
                QStringLiteral("-"),
                QStringLiteral("Zahlhilfe"),
                QStringLiteral("Eins"),
                QStringLiteral("Zwei"),
                QStringLiteral("Drei"),
                QStringLiteral("Kopf A"),
                QStringLiteral("Kopf B"),
                QStringLiteral("Spalte A"),
                QStringLiteral("Spalte B"),
                QStringLiteral("Dokumente (*.kvt)|*.kvt"),
                QStringLiteral("Tabellen (*.csv)|*.csv"),
                QStringLiteral("Bilder (*.png)|*.png"),
                QStringLiteral("Herrn"),
                QStringLiteral("Eingabe"),
                QStringLiteral("Eingabehilfe")};
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
        if (MainForm)
            DestroyApplicationWindows();
        m_form = nullptr;
        m_root.reset();
        FreeTranslationTable();
        m_dialogs.reset();
    }

    // ---- the rules, on a window of every kind ----

    void rules_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *what, const QString &expected) { QTest::newRow(what) << what << expected; };
        row("window caption", English + "Fenster");
        row("label", English + "Beschriftung");
        row("check box caption", English + "Kästchen");
        row("check box hint", English + "Kästchenhilfe");
        row("push button caption", English + "Knopf");
        row("push button hint", English + "Knopfhilfe");
        row("tool button caption", English + "Werkzeug");
        row("group box title", English + "Gruppe");
        row("group box hint", English + "Gruppenhilfe");
        row("menu title", English + "Menü");
        row("menu item", English + "Eintrag");
        row("menu item hint", English + "Eintragshilfe");
        row("menu item without hint", English + "Öffnen...");
        row("separator", QString()); // looked up as "-" (counted below), nothing drawn on the line
        row("spin hint", English + "Zahlhilfe");
        row("spin value", QStringLiteral("12.34"));
        row("combo items", English + "Eins|" + English + "Zwei|" + English + "Drei");
        row("combo selection", QStringLiteral("2"));
        row("grid row 0", English + "Kopf A|" + English + "Kopf B");
        row("list columns", English + "Spalte A|" + English + "Spalte B");
        row("open dialog filter", English + "Dokumente (*.kvt)|*.kvt");
        row("save dialog filter", English + "Tabellen (*.csv)|*.csv");
        row("picture dialog filter", English + "Bilder (*.png)|*.png");
        row("memo lines", English + "Herrn\r\nMax Muster");
        row("empty memo", QString());
        row("memo line translated into two lines", QStringLiteral("Dear\r\nSir\r\nDear\r\nSir"));
        row("label with a picture keeps it", QStringLiteral("picture"));
        row("line edit", English + "Eingabe");
        row("line edit hint", English + "Eingabehilfe");
        row("file name edit text", QStringLiteral("/tmp/Bild.png"));
        row("file name edit filter", English + "Bilder (*.png)|*.png");
    }
    void rules()
    {
        QFETCH(QString, what);
        QFETCH(QString, expected);
        buildTestWindow(1);
        TranslateComponentTree(m_root.get());

        auto f = [this](const char *name) { return m_form->findChild<QObject *>(QLatin1String(name)); };
        auto joined = [](const QStringList &l) { return l.join(QLatin1Char('|')); };
        QString actual;
        if (what == "window caption")
            actual = m_form->windowTitle();
        else if (what == "label")
            actual = qobject_cast<QLabel *>(f("Label1"))->text();
        else if (what == "check box caption")
            actual = qobject_cast<QCheckBox *>(f("Check1"))->text();
        else if (what == "check box hint")
            actual = qobject_cast<QCheckBox *>(f("Check1"))->toolTip();
        else if (what == "push button caption")
            actual = qobject_cast<QPushButton *>(f("Button1"))->text();
        else if (what == "push button hint")
            actual = qobject_cast<QPushButton *>(f("Button1"))->toolTip();
        else if (what == "tool button caption")
            actual = qobject_cast<QToolButton *>(f("Speed1"))->text();
        else if (what == "group box title")
            actual = qobject_cast<QGroupBox *>(f("Group1"))->title();
        else if (what == "group box hint")
            actual = qobject_cast<QGroupBox *>(f("Group1"))->toolTip();
        else if (what == "menu title")
            actual = m_menu->title();
        else if (what == "menu item")
            actual = qobject_cast<QAction *>(f("Item1"))->text();
        else if (what == "menu item hint")
            actual = qobject_cast<QAction *>(f("Item1"))->toolTip();
        else if (what == "menu item without hint")
            actual = qobject_cast<QAction *>(f("Item2"))->text();
        else if (what == "separator")
            actual = qobject_cast<QAction *>(f("N1"))->text();
        else if (what == "spin hint")
            actual = qobject_cast<TRxSpinEdit *>(f("Spin1"))->toolTip();
        else if (what == "spin value")
            actual = QString::number(qobject_cast<TRxSpinEdit *>(f("Spin1"))->value());
        else if (what == "combo items" || what == "combo selection") {
            auto *c = qobject_cast<QComboBox *>(f("Combo1"));
            QStringList items;
            for (int i = 0; i < c->count(); ++i)
                items << c->itemText(i);
            actual = what == "combo items" ? joined(items) : QString::number(c->currentIndex());
        } else if (what == "grid row 0") {
            auto *g = qobject_cast<QTableWidget *>(f("Grid1"));
            actual = joined({g->horizontalHeaderItem(0)->text(), g->horizontalHeaderItem(1)->text()});
        } else if (what == "list columns") {
            auto *t = qobject_cast<QTreeWidget *>(f("List1"));
            actual = joined({t->headerItem()->text(0), t->headerItem()->text(1)});
        } else if (what == "open dialog filter")
            actual = qobject_cast<TOpenDialog *>(f("OpenDialog1"))->Filter;
        else if (what == "save dialog filter")
            actual = qobject_cast<TSaveDialog *>(f("SaveDialog1"))->Filter;
        else if (what == "picture dialog filter")
            actual = qobject_cast<TOpenPictureDialog *>(f("OpenPictureDialog1"))->Filter;
        else if (what == "memo lines")
            actual = qobject_cast<TMemo *>(f("Memo1"))->text();
        else if (what == "empty memo") {
            auto *m = qobject_cast<TMemo *>(f("Memo2"));
            QCOMPARE(m->lineCount(), 0);
            actual = m->text();
        } else if (what == "memo line translated into two lines")
            actual = qobject_cast<TMemo *>(f("Memo3"))->text();
        else if (what == "label with a picture keeps it") {
            auto *l = qobject_cast<QLabel *>(f("Image1"));
            actual = l->pixmap().isNull() ? QStringLiteral("none") : QStringLiteral("picture");
        } else if (what == "line edit")
            actual = qobject_cast<QLineEdit *>(f("Edit1"))->text();
        else if (what == "line edit hint")
            actual = qobject_cast<QLineEdit *>(f("Edit1"))->toolTip();
        else if (what == "file name edit text")
            actual = qobject_cast<TFilenameEdit *>(f("FilenameEdit1"))->text();
        else if (what == "file name edit filter")
            actual = qobject_cast<TFilenameEdit *>(f("FilenameEdit1"))->Filter;
        else
            QFAIL("unknown row");
        QCOMPARE(actual, expected);
    }

    // Exactly one text of the window is new to the table (the memo's second line): nothing that is
    // no text of its own (an action's automatic hint, the status bar, empty hints) was looked up.
    void walkLooksUpNothingElse()
    {
        buildTestWindow(1);
        TranslateComponentTree(m_root.get());
        QCOMPARE(TranslationRowCount(), m_rowsBefore + 1);
        QCOMPARE(TranslationCell(m_rowsBefore, 0), QStringLiteral("Max Muster"));
        const QList<QStringList> onDisk = readTable(tablePath());
        QCOMPARE(onDisk.size(), m_rowsBefore + 1);
        QCOMPARE(onDisk.last().value(0), QStringLiteral("Max Muster"));
    }

    // Windows first, last created first; then each window's components, last owned first.
    void walkOrderIsBreadthFirstLastOwnedFirst()
    {
        SetTranslationHost([] { return 1; }, [] { return TestEnv->programFolder(); });
        BuildTranslationIndex();
        m_root = std::make_unique<TApplicationObject>();
        auto *a = new TTestForm(QStringLiteral("Fenster A"));
        a->own(new QLabel(QStringLiteral("A1"), a), QStringLiteral("A1"));
        a->own(new QLabel(QStringLiteral("A2"), a), QStringLiteral("A2"));
        auto *b = new TTestForm(QStringLiteral("Fenster B"));
        b->own(new QLabel(QStringLiteral("B1"), b), QStringLiteral("B1"));
        b->own(new QPushButton(QStringLiteral("B2"), b), QStringLiteral("B2"));
        m_root->Components << a << b;
        TranslateComponentTree(m_root.get());
        const QStringList expected{QStringLiteral("Fenster B"),
                                   QStringLiteral("Fenster A"),
                                   QStringLiteral("B2"),
                                   QStringLiteral("B1"),
                                   QStringLiteral("A2"),
                                   QStringLiteral("A1")};
        QCOMPARE(germanColumn(readTable(tablePath())), expected);
        delete a;
        delete b;
    }

    // ---- the program's own windows ----

    void germanStartHasNoWalk()
    {
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(MainForm->language, 0);
        // Only the messages were looked up (the title "Kuvertino" is message 11).
        QCOMPARE(TranslationRowCount(), 13);
        QCOMPARE(MainForm->Label1->text(), QStringLiteral("Empfänger:"));
        QCOMPARE(Application->Title, QStringLiteral("Kuvertino"));
    }

    // The walk over an empty table adds every interface text; the delivered table holds exactly
    // those (and the messages), so a text missing on either side fails here.
    void emptyTableCollectsEveryInterfaceText()
    {
        QVERIFY(writeOptions(hexBytes("01 00 00 00 00")));
        CreateApplicationWindows();
        MainForm->Label5->setText(QStringLiteral("Blattgröße"));
        MainForm->show();
        QCOMPARE(MainForm->language, 1);

        const QStringList added = germanColumn(readTable(tablePath()));
        QCOMPARE(added.size(), TranslationRowCount());
        QVERIFY(added.contains(QStringLiteral("-")));
        QCOMPARE(added.count(QStringLiteral("-")), 1);
        QVERIFY(!added.contains(QStringLiteral("Blattgröße")));
        // (the preview writes the sheet size into it afterwards; that text is not looked up either)
        QVERIFY(!added.contains(MainForm->Label5->text()));
        // The main window is the first created, so it comes last; its last component (the menu bar
        // item "Über..") comes before its first ones.
        QVERIFY(added.indexOf(QStringLiteral("Velmora Kuvertino 1.0"))
                > added.indexOf(QStringLiteral("Info")));
        QVERIFY(added.indexOf(QStringLiteral("Über..")) < added.indexOf(QStringLiteral("Empfänger:")));
        QVERIFY(added.indexOf(QStringLiteral("Empfänger:")) < added.indexOf(QStringLiteral("Edit1")));

        QSet<QString> delivered;
        for (const QStringList &row : deliveredTable())
            delivered.insert(row.value(0));
        // The editor's header texts are written when it opens, after the walk; the other two are the
        // names of language items too.
        delivered.remove(QStringLiteral("German"));
        // Texts of messages and boxes that commands show are looked up when they are shown.
        delivered -= runTimeTexts();
        QSet<QString> collected(added.begin(), added.end());
        collected.remove(yearLine());
        const QSet<QString> missingInTable = collected - delivered;
        QSet<QString> notOnScreen = delivered - collected;
        // Texts of messages, questions and errors appear when a command needs them: their rows are
        // kept as long as the program's source still holds them.
        const QString sources = programSources();
        for (auto it = notOnScreen.begin(); it != notOnScreen.end();) {
            QString literal = *it;
            literal.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                    .replace(QLatin1Char('"'), QStringLiteral("\\\""));
            if (sources.contains(QLatin1Char('"') + literal + QLatin1Char('"')))
                it = notOnScreen.erase(it);
            else
                ++it;
        }
        QVERIFY2(missingInTable.isEmpty(),
                 qPrintable(QStringLiteral("not in translate.tsv: ")
                            + QStringList(missingInTable.begin(), missingInTable.end()).join(" | ")));
        QVERIFY2(notOnScreen.isEmpty(),
                 qPrintable(QStringLiteral("in translate.tsv but never shown: ")
                            + QStringList(notOnScreen.begin(), notOnScreen.end()).join(" | ")));
    }

    void comboSelectionsSurviveTheWalk()
    {
        QVERIFY(writeOptions(hexBytes("01 00 00 00 00")));
        QVERIFY(writeBytes(
                tablePath(),
                tableBytes({{QStringLiteral("C6 - 114 x 162"), QStringLiteral("C6 (114 × 162 mm)")},
                            {QStringLiteral("Unter dem Absender"), QStringLiteral("Below the sender")}})));
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 11);
        QCOMPARE(MainForm->ComboBox1->currentText(), QStringLiteral("C6 (114 × 162 mm)"));
        QCOMPARE(MainForm->ComboBox2->currentIndex(), 1);
        QCOMPARE(MainForm->ComboBox2->currentText(), QStringLiteral("Below the sender"));
        QCOMPARE(MainForm->ComboBox2->itemText(0), QStringLiteral("Links neben dem Absender"));
    }

    // Addresses in the memos are texts of the window too: lines with a translation are replaced.
    void memoLinesWithTranslationAreReplaced()
    {
        QVERIFY(writeBytes(tablePath(), tableBytes({{QStringLiteral("Herrn"), QStringLiteral("Mr")}})));
        CreateApplicationWindows();
        MainForm->language = 1;
        MainForm->Memo1->setText(QStringLiteral("Herrn\r\nMax Muster\r\nHauptstraße 1"));
        MainForm->Memo2->setText(QString());
        TranslateComponentTree(Application);
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Mr\r\nMax Muster\r\nHauptstraße 1"));
        QCOMPARE(MainForm->Memo2->text(), QString());
        QCOMPARE(MainForm->Memo2->lineCount(), 0);
        const QStringList rows = germanColumn(readTable(tablePath()));
        QVERIFY(rows.contains(QStringLiteral("Max Muster")));
        QVERIFY(rows.contains(QStringLiteral("Hauptstraße 1")));
    }

    // The stored column is the one the windows show; a column without an item of its own (one filled
    // by hand in the editor) works too, with "Deutsch" ticked.
    void storedColumnTranslatesIntoThatColumn_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("French") << hexBytes("02 00 00 00 00") << 2 << "Francais1";
        QTest::newRow("Dutch") << hexBytes("03 00 00 00 00") << 3 << "Nederlands1";
        QTest::newRow("column 5") << hexBytes("05 00 00 00 00") << 5 << "Deutsch1";
    }
    void storedColumnTranslatesIntoThatColumn()
    {
        QFETCH(QByteArray, options);
        QFETCH(int, column);
        QFETCH(QString, ticked);
        QVERIFY(writeOptions(options));
        QStringList row{QStringLiteral("Empfänger:")};
        for (int c = 1; c <= 5; ++c)
            row << QStringLiteral("column %1:").arg(c);
        QVERIFY(writeBytes(tablePath(), tableBytes({row})));
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(MainForm->language, column);
        QCOMPARE(MainForm->Label1->text(), QStringLiteral("column %1:").arg(column));
        for (QAction *a : MainForm->LanguageGroup->actions())
            QCOMPARE(a->isChecked(), a->objectName() == ticked);
    }

    // In every shipped language, with the table delivered beside the program, no window shows a
    // German text: every visible text is one of that language's column. Nothing new reaches the
    // table but the year line of the information dialog (a name and a year).
    void walkLeavesNoGerman_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << hexBytes("01 00 00 00 01") << 1 << "Recipient:"
                                 << "File";
        QTest::newRow("French") << hexBytes("02 00 00 00 00") << 2 << "Destinataire\u00A0:"
                                << "Fichier";
        QTest::newRow("Dutch") << hexBytes("03 00 00 00 00") << 3 << "Ontvanger:"
                               << "Bestand";
    }
    void walkLeavesNoGerman()
    {
        QFETCH(QByteArray, options);
        QFETCH(int, column);
        QFETCH(QString, recipient);
        QFETCH(QString, file);
        const QList<QStringList> delivered = deliveredTable();
        QVERIFY(!delivered.isEmpty());
        QVERIFY(writeBytes(tablePath(), tableBytes(delivered)));
        QVERIFY(writeOptions(options));
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(MainForm->language, column);

        QStringList untranslated;
        for (const QStringList &row : delivered) {
            if (row.value(column).isEmpty())
                untranslated << row.value(0);
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(" | ")));
        // A printer error's sentence is in the table too (a missing one would be added below).
        QStringList printerTexts;
        for (const char *sentence : PrinterText::All)
            printerTexts << TranslateText(QString::fromUtf8(sentence));
        QStringList added = germanColumn(readTable(tablePath())).mid(delivered.size());
        added.removeAll(yearLine());
        QVERIFY2(added.isEmpty(), qPrintable(QStringLiteral("new German texts: ") + added.join(" | ")));

        QSet<QString> translated;
        for (const QStringList &row : delivered)
            translated.insert(row.value(column));
        QStringList stayedGerman;
        auto check = [&](const QString &where, const QString &text) {
            if (!text.isEmpty() && text != yearLine() && !translated.contains(text))
                stayedGerman << where + QStringLiteral(": ") + text;
        };
        for (QObject *window : Application->Components) {
            auto *w = qobject_cast<QWidget *>(window);
            check(w->objectName(), w->windowTitle());
            for (QObject *o : dynamic_cast<TComponentList *>(window)->Components)
                collectTexts(o, check);
        }
        check(QStringLiteral("title"), Application->Title);
        for (const QString &text : printerTexts)
            check(QStringLiteral("printer"), text);
        for (int n : {1, 2, 6, 7, 8, 9, 10, 11, 12, 13, 29, 30, 31})
            check(QStringLiteral("message %1").arg(n), MessageText(n));
        QVERIFY2(stayedGerman.isEmpty(), qPrintable(stayedGerman.join(QLatin1Char('\n'))));
        QCOMPARE(MainForm->Label1->text(), recipient);
        QCOMPARE(MainForm->Memo1->accessibleName(), recipient);
        QCOMPARE(MainForm->Datei1Menu->title(), file);
        QVERIFY(!AboutBox->ProgramIcon->pixmap().isNull());
    }

    // Translations are longer than the German texts they replace: a field or button of a designed
    // least width must not be squeezed below what its new text needs, in any window.
    void translatedTextsAreNotCut_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::newRow("German") << hexBytes("00 00 00 00 00");
        QTest::newRow("English") << hexBytes("01 00 00 00 00");
        QTest::newRow("French") << hexBytes("02 00 00 00 00");
        QTest::newRow("Dutch") << hexBytes("03 00 00 00 00");
    }
    void translatedTextsAreNotCut()
    {
        QFETCH(QByteArray, options);
        QVERIFY(writeBytes(tablePath(), tableBytes(deliveredTable())));
        QVERIFY(writeOptions(options));
        CreateApplicationWindows();
        MainForm->show();

        QStringList cut;
        for (QObject *window : Application->Components) {
            auto *shown = qobject_cast<QWidget *>(window);
            shown->show();
            QCoreApplication::processEvents();
            for (QObject *o : dynamic_cast<TComponentList *>(window)->Components) {
                auto *w = qobject_cast<QWidget *>(o);
                if (!w || !w->isVisible()
                    || !(qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractButton *>(w)))
                    continue;
                if (w->width() < w->sizeHint().width())
                    cut << QStringLiteral("%1.%2 width %3 < %4")
                                    .arg(window->objectName(), w->objectName())
                                    .arg(w->width())
                                    .arg(w->sizeHint().width());
            }
            shown->hide();
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    // The delivered table from its source, so running the program from the build folder (which adds
    // to the table beside it) cannot change what is checked here.
    static QList<QStringList> deliveredTable()
    {
        QFile tsv(QStringLiteral(KUVERTINO_SOURCE_TSV));
        TTsvTable table;
        QString error;
        if (!tsv.open(QIODevice::ReadOnly) || !ParseTsvTable(tsv.readAll(), table, error))
            return {};
        return table.rows;
    }
    // The German texts of the table's sections marked "(shown while a command runs)".
    static QSet<QString> runTimeTexts()
    {
        QFile tsv(QStringLiteral(KUVERTINO_SOURCE_TSV));
        QSet<QString> texts;
        if (!tsv.open(QIODevice::ReadOnly))
            return texts;
        bool runTime = false;
        for (const QByteArray &raw : tsv.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            if (line.startsWith(u'#'))
                runTime = line.contains(QLatin1String("(shown while a command runs)"));
            else if (runTime && !line.isEmpty())
                texts.insert(line.section(u'\t', 0, 0));
        }
        return texts;
    }
    // Every source file of the program, one after the other.
    static QString programSources()
    {
        QString all;
        QDirIterator it(QFileInfo(QStringLiteral(KUVERTINO_SOURCE_TSV)).absolutePath()
                                + QStringLiteral("/../../src"),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                all += QString::fromUtf8(f.readAll());
        }
        return all;
    }
    static QString yearLine() { return AboutBox ? AboutBox->Copyright->text() : QString(); }

    template<class F>
    static void collectTexts(QObject *o, F &check)
    {
        const QString n = o->objectName();
        if (MainForm && o == MainForm->Label5)
            return;
        if (auto *l = qobject_cast<QLabel *>(o))
            check(n, l->text());
        if (auto *w = qobject_cast<QWidget *>(o)) {
            check(n + QStringLiteral(" hint"), w->toolTip());
            check(n + QStringLiteral(" name"), w->accessibleName());
            check(n + QStringLiteral(" description"), w->accessibleDescription());
        }
        if (auto *b = qobject_cast<QAbstractButton *>(o))
            check(n, b->text());
        if (auto *a = qobject_cast<QAction *>(o)) {
            check(n, a->text());
            // An action without a hint of its own shows its text, stripped of "..." and '&'.
            QString automatic = a->text();
            automatic.remove(QStringLiteral("...")).remove(QLatin1Char('&'));
            if (a->toolTip() != automatic.trimmed())
                check(n + QStringLiteral(" hint"), a->toolTip());
        }
        if (auto *c = qobject_cast<QComboBox *>(o)) {
            for (int i = 0; i < c->count(); ++i)
                check(n, c->itemText(i));
        }
        if (auto *g = qobject_cast<QTableWidget *>(o)) {
            for (int i = 0; i < g->columnCount(); ++i)
                check(n, g->horizontalHeaderItem(i) ? g->horizontalHeaderItem(i)->text() : QString());
        }
        if (auto *t = qobject_cast<QTreeWidget *>(o)) {
            for (int i = 0; i < t->columnCount(); ++i)
                check(n, t->headerItem()->text(i));
        }
        if (auto *d = qobject_cast<TOpenDialog *>(o))
            check(n, d->Filter);
        if (auto *f = qobject_cast<TFilenameEdit *>(o)) {
            check(n + QStringLiteral(" filter"), f->Filter);
            check(n + QStringLiteral(" line name"), f->lineEdit()->accessibleName());
            check(n + QStringLiteral(" browse name"), f->browseButton()->accessibleName());
            check(n + QStringLiteral(" browse hint"), f->browseButton()->toolTip());
        }
        if (auto *e = qobject_cast<QLineEdit *>(o))
            check(n, e->text());
    }

    void buildTestWindow(int language)
    {
        m_language = language;
        QList<QStringList> rows;
        for (const QString &t : knownTexts())
            rows << QStringList{t, English + t};
        rows << QStringList{QStringLiteral("Anrede"), QStringLiteral("Dear\nSir")};
        QVERIFY(writeBytes(tablePath(), tableBytes(rows)));
        SetTranslationHost([this] { return m_language; }, [] { return TestEnv->programFolder(); });
        BuildTranslationIndex();
        m_rowsBefore = TranslationRowCount();

        m_root = std::make_unique<TApplicationObject>();
        m_form = new TTestForm(QStringLiteral("Fenster"));
        m_form->setParent(nullptr);
        m_root->Components << m_form;
        TTestForm *f = m_form;
        f->own(new QLabel(QStringLiteral("Beschriftung"), f), QStringLiteral("Label1"));
        auto *check = f->own(new QCheckBox(QStringLiteral("Kästchen"), f), QStringLiteral("Check1"));
        check->setToolTip(QStringLiteral("Kästchenhilfe"));
        auto *button = f->own(new QPushButton(QStringLiteral("Knopf"), f), QStringLiteral("Button1"));
        button->setToolTip(QStringLiteral("Knopfhilfe"));
        auto *speed = f->own(new QToolButton(f), QStringLiteral("Speed1"));
        speed->setText(QStringLiteral("Werkzeug"));
        auto *group = f->own(new QGroupBox(QStringLiteral("Gruppe"), f), QStringLiteral("Group1"));
        group->setToolTip(QStringLiteral("Gruppenhilfe"));
        m_menu = new QMenu(QStringLiteral("Menü"), f);
        f->own(m_menu, QStringLiteral("MenuObject"));
        f->own(m_menu->menuAction(), QStringLiteral("Menu1"));
        auto *item = f->own(m_menu->addAction(QStringLiteral("Eintrag")), QStringLiteral("Item1"));
        item->setToolTip(QStringLiteral("Eintragshilfe"));
        f->own(m_menu->addAction(QStringLiteral("Öffnen...")), QStringLiteral("Item2"));
        f->own(m_menu->addSeparator(), QStringLiteral("N1"));
        auto *spin = f->own(new TRxSpinEdit(true, 0, 1000, 1, 12.34, f), QStringLiteral("Spin1"));
        spin->setToolTip(QStringLiteral("Zahlhilfe"));
        auto *combo = f->own(new QComboBox(f), QStringLiteral("Combo1"));
        combo->addItems({QStringLiteral("Eins"), QStringLiteral("Zwei"), QStringLiteral("Drei")});
        combo->setCurrentIndex(2);
        auto *grid = f->own(new QTableWidget(3, 2, f), QStringLiteral("Grid1"));
        grid->setHorizontalHeaderLabels({QStringLiteral("Kopf A"), QStringLiteral("Kopf B")});
        grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("Zelle")));
        auto *list = f->own(new QTreeWidget(f), QStringLiteral("List1"));
        list->setHeaderLabels({QStringLiteral("Spalte A"), QStringLiteral("Spalte B")});
        f->own(new TOpenDialog(f), QStringLiteral("OpenDialog1"))->Filter
                = QStringLiteral("Dokumente (*.kvt)|*.kvt");
        f->own(new TSaveDialog(f), QStringLiteral("SaveDialog1"))->Filter
                = QStringLiteral("Tabellen (*.csv)|*.csv");
        f->own(new TOpenPictureDialog(f), QStringLiteral("OpenPictureDialog1"))->Filter
                = QStringLiteral("Bilder (*.png)|*.png");
        f->own(new TMemo(f), QStringLiteral("Memo1"))->setText(QStringLiteral("Herrn\r\nMax Muster"));
        f->own(new TMemo(f), QStringLiteral("Memo2"));
        f->own(new TMemo(f), QStringLiteral("Memo3"))->setText(QStringLiteral("Anrede\r\nAnrede"));
        QPixmap picture(16, 16);
        picture.fill(Qt::red);
        f->own(new QLabel(f), QStringLiteral("Image1"))->setPixmap(picture);
        auto *edit = f->own(new QLineEdit(QStringLiteral("Eingabe"), f), QStringLiteral("Edit1"));
        edit->setToolTip(QStringLiteral("Eingabehilfe"));
        auto *fileName = f->own(new TFilenameEdit(f), QStringLiteral("FilenameEdit1"));
        fileName->setText(QStringLiteral("/tmp/Bild.png"));
        fileName->Filter = QStringLiteral("Bilder (*.png)|*.png");
        auto *panel = f->own(new QFrame(f), QStringLiteral("Panel1"));
        panel->setToolTip(QString());
        f->own(new QTimer(f), QStringLiteral("Timer1"));
        f->own(new TFontDialog(f), QStringLiteral("FontDialog1"));
    }
};

KUVERTINO_GUI_TEST_MAIN(TestTranslateWalk)
#include "tst_translatewalk.moc"
