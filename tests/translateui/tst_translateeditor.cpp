#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "TranslateTestSupport.h"

#include "app/BitBtnXP.h"
#include "app/MainUnit.h"
#include "app/TranslateFUnit.h"
#include "core/translateunit.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>

extern IsolatedEnvironment *TestEnv;

namespace {

// Looks at the editor while each question is on screen.
class RecordingDialogs : public ScriptedDialogs
{
public:
    std::function<void()> onMessage;
    TMsgResult messageBox(QWidget *parent,
                          const QString &text,
                          const QString &caption,
                          TMsgIcon icon,
                          TMsgButtons buttons) override
    {
        if (onMessage)
            onMessage();
        return ScriptedDialogs::messageBox(parent, text, caption, icon, buttons);
    }
};

using Rows = QList<QStringList>;

Rows abc()
{
    return {{QStringLiteral("Anfang"), QStringLiteral("start")},
            {QStringLiteral("Brief"), QStringLiteral("letter")},
            {QStringLiteral("Couvert"), QStringLiteral("envelope")}};
}

} // namespace

class TestTranslateEditor : public QObject
{
    Q_OBJECT

    RecordingDialogs *m_dialogs = nullptr;
    std::unique_ptr<TDialogs> m_previous;
    RecordingDialogs &d() { return *m_dialogs; }

    QString tablePath() const { return TestEnv->programFolder() + QStringLiteral("translate.dat"); }

    // With the messages registered as at start-up (they follow the given rows), or without.
    void openEditor(const Rows &rows, bool withMessages = true)
    {
        QVERIFY(writeBytes(tablePath(), tableBytes(rows)));
        CreateApplicationWindows();
        if (withMessages)
            RegisterMessages();
        TranslateForm->FillStringGrid();
        TranslateForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(TranslateForm));
    }
    TStringGrid *grid() const { return TranslateForm->StringGrid1; }
    QStringList column(int c) const
    {
        QStringList out;
        for (const QStringList &r : readTable(tablePath()))
            out << r.value(c);
        return out;
    }

private slots:
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        QFile::remove(tablePath());
        auto d = std::make_unique<RecordingDialogs>();
        m_dialogs = d.get();
        m_previous = SetDialogs(std::move(d));
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        SetDialogs(std::move(m_previous));
        m_dialogs = nullptr;
    }

    void windowAsDesigned()
    {
        CreateApplicationWindows();
        const QList<QObject *> expected{TranslateForm->Panel1,
                                        TranslateForm->BackBtn,
                                        TranslateForm->Panel2,
                                        TranslateForm->FilterEdit,
                                        TranslateForm->FilterBtn,
                                        TranslateForm->DeleteRowBtn,
                                        TranslateForm->FixedColCheck,
                                        TranslateForm->StringGrid1,
                                        TranslateForm->StatusBar1};
        QCOMPARE(TranslateForm->Components, expected);
        QCOMPARE(TranslateForm->windowTitle(), QStringLiteral("Übersetzen"));
        QCOMPARE(TranslateForm->BackBtn->text(), QStringLiteral("Zurück..."));
        QCOMPARE(TranslateForm->FilterBtn->text(), QStringLiteral("Suchen"));
        QCOMPARE(TranslateForm->DeleteRowBtn->text(), QStringLiteral("Zeile löchen"));
        QVERIFY(TranslateForm->DeleteRowBtn->isCancel());
        QCOMPARE(TranslateForm->FixedColCheck->text(), QStringLiteral("Erste Spalte fixieren"));
        QVERIFY(!TranslateForm->FixedColCheck->isChecked());
        QVERIFY(TranslateForm->FilterEdit->text().isEmpty());
        QCOMPARE(grid()->columnCount(), 20);
        QCOMPARE(grid()->columnWidth(7), 250);
        QCOMPARE(grid()->rowCount(), 0);
        // Before the editor is filled its header row holds no texts (the walk adds nothing there).
        QVERIFY(!grid()->horizontalHeaderItem(0));
    }

    void fillShowsHeaderAndRows()
    {
        openEditor(abc(), false);
        QCOMPARE(grid()->rowCount(), 3);
        const QStringList headers{QStringLiteral("German"),
                                  QStringLiteral("English"),
                                  QStringLiteral("Français"),
                                  QStringLiteral("Nederlands"),
                                  QStringLiteral("language4")};
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(grid()->cellText(0, c), headers[c]);
        QCOMPARE(grid()->cellText(0, 19), QStringLiteral("language19"));
        QCOMPARE(grid()->cellText(2, 0), QStringLiteral("Brief"));
        QCOMPARE(grid()->cellText(3, 1), QStringLiteral("envelope"));
        QCOMPARE(grid()->cellText(3, 2), QString());
    }

    void emptyTableShowsOnlyTheHeader()
    {
        openEditor({}, false);
        QCOMPARE(grid()->rowCount(), 0);
        QCOMPARE(grid()->cellText(0, 1), QStringLiteral("English"));
    }

    // Each keystroke saves the whole table; the lookup uses the new translation at once.
    void everyKeystrokeIsSaved()
    {
        openEditor({{QStringLiteral("Haus")}, {QStringLiteral("Garten")}});
        grid()->setCurrentCell(0, 1);
        grid()->setFocus();
        QTest::keyClick(grid(), 'H');
        auto *editor = grid()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QCOMPARE(column(1).value(0), QStringLiteral("H"));
        const QString rest = QStringLiteral("ouse");
        for (int i = 0; i < rest.size(); ++i) {
            QTest::keyClick(editor, rest.at(i).toLatin1());
            QCOMPARE(column(1).value(0), QStringLiteral("H") + rest.left(i + 1));
        }
        QCOMPARE(column(1).mid(0, 2), QStringList({QStringLiteral("House"), QString()}));
        QCOMPARE(column(0).mid(0, 2), QStringList({QStringLiteral("Haus"), QStringLiteral("Garten")}));
        MainForm->language = 1;
        QCOMPARE(TranslateText(QStringLiteral("Haus")), QStringLiteral("House"));
    }

    // The table holds A, B, C and then the 13 messages (registered at start-up).
    // Escape while a cell is edited ends the edit (and deletes nothing): the cell and the file hold
    // the text from before the edit again.
    void escapeInACellRevertsTheEdit()
    {
        openEditor(abc());
        grid()->setCurrentCell(0, 1);
        grid()->setFocus();
        QTest::keyClick(grid(), 'X');
        auto *editor = grid()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClick(editor, 'y');
        QCOMPARE(column(1).value(0), QStringLiteral("Xy"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!grid()->isEditing());
        QVERIFY(d().messages.isEmpty());
        QCOMPARE(grid()->cellText(1, 1), QStringLiteral("start"));
        QCOMPARE(column(1).value(0), QStringLiteral("start"));
        QCOMPARE(column(0).mid(0, 3), QStringList({"Anfang", "Brief", "Couvert"}));
    }

    // The grid on its own tells its window by signals: each change of the edited text, and each key
    // before it handles the key; a key the window accepts is left alone.
    void gridReportsBySignals()
    {
        TStringGrid grid(3);
        grid.setRowCount(2);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                grid.setItem(r, c, new QTableWidgetItem(QStringLiteral("z%1s%2").arg(r).arg(c)));
        grid.resize(700, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QList<QKeyEvent *> seen;
        connect(&grid, &TStringGrid::keyDown, &grid, [&seen](QKeyEvent *event) {
            seen.append(event);
            if (event->key() == Qt::Key_Down)
                event->accept();
        });
        QSignalSpy edits(&grid, &TStringGrid::editTextChanged);

        grid.setCurrentCell(0, 0);
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.currentRow(), 0); // taken by the window
        QTest::keyClick(&grid, Qt::Key_Right);
        QCOMPARE(grid.currentColumn(), 1); // left to the grid
        QCOMPARE(seen.size(), 2);

        grid.setCurrentCell(1, 2);
        QTest::keyClick(&grid, 'Q');
        QVERIFY(grid.isEditing());
        auto *editor = grid.viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClick(editor, 'r');
        // Keys typed into the cell are the editor's: the window heard only the one that began the edit.
        QCOMPARE(seen.size(), 3);
        QCOMPARE(edits.size(), 2);
        QCOMPARE(edits.at(0), (QVariantList{2, 2, QStringLiteral("Q")}));
        QCOMPARE(edits.at(1), (QVariantList{2, 2, QStringLiteral("Qr")}));
        QVERIFY(d().messages.isEmpty());
    }

    void deleteRow_data()
    {
        QTest::addColumn<int>("current"); // -1: the last row
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("currentAfter");
        const int yes = int(TMsgResult::Yes), no = int(TMsgResult::No), cancel = int(TMsgResult::Cancel);
        QTest::newRow("middle row, yes") << 1 << yes << "Brief"
                                         << "Couvert";
        QTest::newRow("first row, yes") << 0 << yes << "Anfang"
                                        << "Brief";
        QTest::newRow("last row, yes") << -1 << yes << "Zeile löschen"
                                       << "Weitersuchen?";
        QTest::newRow("middle row, no") << 1 << no << ""
                                        << "Brief";
        QTest::newRow("first row, cancel") << 0 << cancel << ""
                                           << "Anfang";
    }
    void deleteRow()
    {
        QFETCH(int, current);
        QFETCH(int, answer);
        QFETCH(QString, removed);
        QFETCH(QString, currentAfter);
        openEditor(abc());
        const QStringList before = column(0);
        QCOMPARE(before.size(), 16);
        const int row = current < 0 ? grid()->rowCount() - 1 : current;
        grid()->setCurrentCell(row, 1);
        d().messageAnswers.enqueue(TMsgResult(answer));
        TranslateForm->DeleteRowBtn->click();

        QCOMPARE(d().messages.size(), 1);
        const auto &m = d().messages.first();
        QCOMPARE(m.text, before[row]);
        QCOMPARE(m.caption, QStringLiteral("Zeile löschen"));
        QCOMPARE(m.icon, TMsgIcon::Question);
        QCOMPARE(m.buttons, TMsgButtons::YesNoCancel);
        QStringList expected = before;
        if (!removed.isEmpty())
            QVERIFY(expected.removeOne(removed));
        QCOMPARE(column(0), expected);
        QCOMPARE(grid()->rowCount(), expected.size());
        QCOMPARE(grid()->cellText(grid()->currentRow() + 1, 0), currentAfter);
        QCOMPARE(grid()->currentColumn(), 1);
        // The lookup index follows the deletion: every remaining text still finds its own row.
        MainForm->language = 1;
        QCOMPARE(TranslateText(QStringLiteral("Couvert")), QStringLiteral("envelope"));
        QCOMPARE(TranslateText(QStringLiteral("Anfang")),
                 removed == "Anfang" ? QStringLiteral("Anfang") : QStringLiteral("start"));
    }

    void deleteWithoutCurrentRowStillSaves()
    {
        openEditor(abc());
        QFile::remove(tablePath());
        grid()->setCurrentIndex(QModelIndex());
        TranslateForm->DeleteRowBtnClick();
        QVERIFY(d().messages.isEmpty());
        QCOMPARE(column(0).mid(0, 3), QStringList({"Anfang", "Brief", "Couvert"}));
    }

    void escapeAsksToDeleteTheCurrentRow_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("grid") << QStringLiteral("grid");
        QTest::newRow("search field") << QStringLiteral("search");
    }
    void escapeAsksToDeleteTheCurrentRow()
    {
        QFETCH(QString, focus);
        openEditor(abc());
        grid()->setCurrentCell(2, 0);
        d().messageAnswers.enqueue(TMsgResult::No);
        QWidget *target = focus == "grid" ? static_cast<QWidget *>(grid()) : TranslateForm->FilterEdit;
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(d().messages.first().text, QStringLiteral("Couvert"));
        QVERIFY(TranslateForm->isVisible());
    }

    void deleteKeyDeletesOnlyOutsideEditing()
    {
        openEditor(abc());
        grid()->setCurrentCell(1, 1);
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(column(0).mid(0, 2), QStringList({"Anfang", "Couvert"}));

        // While a cell is edited, Delete edits its text.
        grid()->setCurrentCell(0, 1);
        grid()->edit(grid()->currentIndex());
        auto *editor = grid()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setCursorPosition(0);
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(column(1).value(0), QStringLiteral("tart"));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hits"); // grid row,column of each question, answering Yes
        QTest::newRow("small letters find mixed case") << "mixed"
                                                       << "3,0";
        QTest::newRow("capitals find small letters") << "OIL"
                                                     << "1,1";
        QTest::newRow("several hits in grid order") << "str"
                                                    << "2,0 2,1";
        QTest::newRow("header row") << "german"
                                    << "0,0";
        QTest::newRow("small umlaut misses the capital") << "ärger"
                                                         << "";
        QTest::newRow("capital umlaut") << "ÄRG"
                                        << "4,0";
        QTest::newRow("small sharp s") << "straße"
                                       << "2,0";
        QTest::newRow("empty text finds nothing") << ""
                                                  << "";
        QTest::newRow("no hit") << "zebra"
                                << "";
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, hits);
        openEditor({{QStringLiteral("Öl"), QStringLiteral("oil")},
                    {QStringLiteral("Straße"), QStringLiteral("street")},
                    {QStringLiteral("MiXeD Case")},
                    {QStringLiteral("ÄRGER"), QStringLiteral("anger")}});
        QStringList seen;
        d().onMessage = [&] {
            // A header cell cannot be selected: a header hit shows as no selection, scrolled to it.
            if (grid()->selectedItems().isEmpty())
                seen << QStringLiteral("0,%1").arg(grid()->columnAt(1));
            else
                seen << QStringLiteral("%1,%2").arg(grid()->currentRow() + 1).arg(grid()->currentColumn());
        };
        TranslateForm->FilterEdit->setText(text);
        TranslateForm->FilterBtn->click();
        QCOMPARE(seen.join(QLatin1Char(' ')), hits);
        for (const auto &m : d().messages) {
            QCOMPARE(m.text, QStringLiteral("Weitersuchen?"));
            QCOMPARE(m.caption, QStringLiteral("Suchen"));
            QCOMPARE(m.icon, TMsgIcon::Question);
            QCOMPARE(m.buttons, TMsgButtons::YesNo);
        }
    }

    void noEndsTheSearch()
    {
        openEditor({{QStringLiteral("Straße"), QStringLiteral("street")}, {QStringLiteral("Strich")}});
        d().messageAnswers.enqueue(TMsgResult::No);
        TranslateForm->FilterEdit->setText(QStringLiteral("str"));
        TranslateForm->FilterBtn->click();
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(grid()->currentRow(), 0);
        QCOMPARE(grid()->currentColumn(), 0);
        // The next search starts again at the top-left.
        d().messageAnswers.enqueue(TMsgResult::No);
        TranslateForm->FilterBtn->click();
        QCOMPARE(d().messages.size(), 2);
        QCOMPARE(grid()->currentRow(), 0);
    }

    void hitScrollsToTopLeft_data()
    {
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("free") << false << 40 << 6;
        QTest::newRow("fixed first column") << true << 41 << 7;
        QTest::newRow("fixed, hit in the fixed column") << true << 30 << 0;
    }
    void hitScrollsToTopLeft()
    {
        QFETCH(bool, fixed);
        QFETCH(int, row);
        QFETCH(int, col);
        Rows rows;
        for (int i = 0; i < 100; ++i)
            rows << QStringList{QStringLiteral("Text %1").arg(i)};
        rows[row].resize(20);
        rows[row][col] = QStringLiteral("Nadel");
        openEditor(rows);
        TranslateForm->FixedColCheck->setChecked(fixed);
        const int fixedWidth = fixed ? grid()->columnWidth(0) : 0;
        int top = -1, left = -1, selected = -1;
        d().onMessage = [&] {
            top = grid()->rowAt(0);
            left = grid()->columnAt(fixedWidth + 1);
            selected = int(grid()->selectedItems().size());
        };
        TranslateForm->FilterEdit->setText(QStringLiteral("nadel"));
        TranslateForm->FilterBtn->click();
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(top, row);
        QCOMPARE(left, col == 0 ? 1 : col);
        QCOMPARE(selected, 1);
        QCOMPARE(grid()->currentRow(), row);
        QCOMPARE(grid()->currentColumn(), col);
    }

    void headerHitScrollsToTheTop()
    {
        Rows rows;
        for (int i = 0; i < 100; ++i)
            rows << QStringList{QStringLiteral("Text %1").arg(i)};
        openEditor(rows);
        grid()->setCurrentCell(90, 2);
        int top = -1, left = -1, selected = -1;
        d().onMessage = [&] {
            top = grid()->rowAt(0);
            left = grid()->columnAt(1);
            selected = int(grid()->selectedItems().size());
        };
        TranslateForm->FilterEdit->setText(QStringLiteral("language12"));
        TranslateForm->FilterBtn->click();
        QCOMPARE(d().messages.size(), 1);
        QCOMPARE(top, 0);
        QCOMPARE(left, 12);
        QCOMPARE(selected, 0);
    }

    void fixedColumnStaysInView()
    {
        openEditor(abc());
        QTableView *fixedView = grid()->fixedColumnView();
        QVERIFY(!fixedView->isVisible());
        TranslateForm->FixedColCheck->click();
        QVERIFY(TranslateForm->FixedColCheck->isChecked());
        QVERIFY(fixedView->isVisible());
        grid()->horizontalScrollBar()->setValue(grid()->horizontalScrollBar()->maximum());
        QVERIFY(grid()->columnAt(0) > 0); // the grid itself has scrolled column 0 away
        QCOMPARE(fixedView->geometry().left(), grid()->frameWidth());
        QCOMPARE(fixedView->geometry().width(), grid()->columnWidth(0));
        const QModelIndex shown = fixedView->indexAt(QPoint(5, 5));
        QCOMPARE(shown.column(), 0);
        QCOMPARE(shown.data().toString(), QStringLiteral("Anfang"));
        QCOMPARE(fixedView->horizontalHeader()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("German"));

        TranslateForm->FixedColCheck->click();
        QVERIFY(!fixedView->isVisible());
        QVERIFY(!grid()->hasFixedColumn());
    }
};

KUVERTINO_GUI_TEST_MAIN(TestTranslateEditor)
#include "tst_translateeditor.moc"
