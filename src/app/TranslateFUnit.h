#pragma once

#include "app/Components.h"

#include <QDialog>
#include <QTableWidget>

class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QStatusBar;
class QTableView;
class TBitBtnXP;

// The editor's string grid. Grid row 0 (the language names) is the table's horizontal header; grid row
// r >= 1 is table row r - 1. The fixed first column is a second view over the same cells, laid over
// column 0, so it stays in view while the other columns scroll sideways.
class TStringGrid : public QTableWidget
{
    Q_OBJECT
public:
    TStringGrid(int columns, QWidget *parent = nullptr);

    void setFixedColumn(bool fixed);
    bool hasFixedColumn() const { return m_fixed; }
    QTableView *fixedColumnView() const { return m_frozen; }
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Grid row 0 is the header row; an absent cell reads as the empty text.
    QString cellText(int gridRow, int column) const;
    // Scrolls so that the cell's row is the top row and its column the left column (the first
    // column to the right of a fixed one).
    void scrollCellToTopLeft(int gridRow, int column);

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    // Grid coordinates: the text of the cell being edited, on every change (each keystroke).
    void editTextChanged(int ACol, int ARow, const QString &Value);
    // A key pressed while no cell is being edited, before the grid handles it. A receiver that uses
    // the key accepts the event; the grid then leaves it alone.
    void keyDown(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    void updateFixedGeometry();
    void keepClearOfFixedColumn(const QModelIndex &index);
    QTableView *m_frozen = nullptr;
    bool m_fixed = false;
};

// The translation editor.
class TTranslateForm : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TTranslateForm(QWidget *parent = nullptr);

    QWidget *Panel1 = nullptr;
    TBitBtnXP *BackBtn = nullptr;
    QWidget *Panel2 = nullptr;
    QLineEdit *FilterEdit = nullptr;
    TBitBtnXP *FilterBtn = nullptr;
    TBitBtnXP *DeleteRowBtn = nullptr;
    QCheckBox *FixedColCheck = nullptr;
    TStringGrid *StringGrid1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    void FillStringGrid();
    void BackBtnClick();
    void FilterBtnClick();
    void DeleteRowBtnClick();
    void FixedColCheckClick();
    // Delete outside editing deletes the current row; the key is then accepted.
    void StringGrid1KeyDown(QKeyEvent *event);
    void StringGrid1SetEditText(int ACol, int ARow, const QString &Value);
};

// The header text of a grid column: "German", "English", "Français", "Nederlands", then
// "language4" to "language19".
QString TranslationHeaderText(int column);
// Upper-cases the ASCII letters a to z only; every other character stays as it is.
QString AsciiUpperCase(const QString &text);
// Whether a cell's text holds the search text, ASCII letters compared without case. An empty search
// text matches nothing.
bool CellMatchesSearch(const QString &cell, const QString &search);
