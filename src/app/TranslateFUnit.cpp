#include "app/TranslateFUnit.h"

#include "app/BitBtnXP.h"
#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "app/ThemedIcon.h"
#include "core/translateunit.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int GridColumns = TranslationColumns;
constexpr int DefaultColumnWidth = 250;

// Reports every change of the edited cell's text, not only the final one; an edit left with Escape
// reports the text it started from, so the table again holds what the grid shows.
class TCellDelegate : public QStyledItemDelegate
{
public:
    TCellDelegate(TStringGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {}

    QWidget *
    createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            const QPersistentModelIndex cell(index);
            const QString original = index.data(Qt::EditRole).toString();
            auto edited = std::make_shared<bool>(false);
            TStringGrid *grid = m_grid;
            auto report = [grid, cell](const QString &text) {
                if (cell.isValid())
                    emit grid->editTextChanged(cell.column(), cell.row() + 1, text);
            };
            QObject::connect(line, &QLineEdit::textEdited, line, [report, edited](const QString &text) {
                *edited = true;
                report(text);
            });
            QObject::connect(this,
                             &QAbstractItemDelegate::closeEditor,
                             line,
                             [line, report, edited, original](QWidget *closed, EndEditHint hint) {
                                 if (closed == line && hint == RevertModelCache && *edited)
                                     report(original);
                             });
        }
        return editor;
    }

private:
    TStringGrid *m_grid;
};

} // namespace

QString TranslationHeaderText(int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("German");
    case 1:
        return QStringLiteral("English");
    case 2:
        return QStringLiteral("Français");
    case 3:
        return QStringLiteral("Nederlands");
    default:
        return QStringLiteral("language") + QString::number(column);
    }
}

QString AsciiUpperCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    }
    return out;
}

bool CellMatchesSearch(const QString &cell, const QString &search)
{
    if (search.isEmpty())
        return false;
    return AsciiUpperCase(cell).contains(AsciiUpperCase(search), Qt::CaseSensitive);
}

// ---- the grid ----

TStringGrid::TStringGrid(int columns, QWidget *parent)
    : QTableWidget(0, columns, parent)
{
    horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // No fixed column at start: the rows carry no numbers.
    verticalHeader()->hide();
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setItemDelegate(new TCellDelegate(this));

    m_frozen = new QTableView(this);
    m_frozen->setObjectName(QStringLiteral("StringGrid1FixedColumn"));
    m_frozen->setModel(model());
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setItemDelegate(itemDelegate());
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->verticalHeader()->hide();
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->horizontalHeader()->setHighlightSections(false);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_frozen->setSelectionMode(selectionMode());
    m_frozen->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_frozen->setWordWrap(false);
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    for (int c = 1; c < columns; ++c)
        m_frozen->setColumnHidden(c, true);
    m_frozen->setColumnWidth(0, columnWidth(0));
    m_frozen->hide();
    viewport()->stackUnder(m_frozen);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section == 0) {
            m_frozen->setColumnWidth(0, size);
            updateFixedGeometry();
        }
    });
    connect(m_frozen->verticalScrollBar(),
            &QAbstractSlider::valueChanged,
            verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(),
            &QAbstractSlider::valueChanged,
            m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
}

void TStringGrid::setFixedColumn(bool fixed)
{
    m_fixed = fixed;
    m_frozen->setVisible(fixed);
    if (fixed) {
        updateFixedGeometry();
        m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
        m_frozen->raise();
    }
}

void TStringGrid::updateFixedGeometry()
{
    m_frozen->setGeometry(verticalHeader()->isVisible() ? verticalHeader()->width() + frameWidth()
                                                        : frameWidth(),
                          frameWidth(),
                          columnWidth(0),
                          viewport()->height() + horizontalHeader()->height());
}

void TStringGrid::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    updateFixedGeometry();
}

QString TStringGrid::cellText(int gridRow, int column) const
{
    const QTableWidgetItem *it = gridRow == 0 ? horizontalHeaderItem(column) : item(gridRow - 1, column);
    return it ? it->text() : QString();
}

void TStringGrid::scrollCellToTopLeft(int gridRow, int column)
{
    verticalScrollBar()->setValue(gridRow <= 0 ? 0 : verticalHeader()->sectionPosition(gridRow - 1));
    int left = 0;
    if (column > 0)
        left = horizontalHeader()->sectionPosition(column) - (m_fixed ? columnWidth(0) : 0);
    horizontalScrollBar()->setValue(qMax(0, left));
}

void TStringGrid::keepClearOfFixedColumn(const QModelIndex &index)
{
    if (!m_fixed || !index.isValid() || index.column() == 0)
        return;
    // A cell scrolled into view must not lie under the fixed column.
    const QRect r = visualRect(index);
    if (r.left() < columnWidth(0))
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + r.left() - columnWidth(0));
}

void TStringGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (m_fixed && index.column() == 0) {
        // The fixed column is always in view: scroll only vertically.
        const int h = horizontalScrollBar()->value();
        QTableWidget::scrollTo(index, hint);
        horizontalScrollBar()->setValue(h);
        return;
    }
    QTableWidget::scrollTo(index, hint);
    keepClearOfFixedColumn(index);
}

QModelIndex TStringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableWidget::moveCursor(cursorAction, modifiers);
    keepClearOfFixedColumn(current);
    return current;
}

void TStringGrid::keyPressEvent(QKeyEvent *event)
{
    if (!isEditing()) {
        event->ignore();
        emit keyDown(event);
        if (event->isAccepted())
            return;
        // Unused: the grid gets the key as it arrived.
        event->accept();
    }
    QTableWidget::keyPressEvent(event);
}

// ---- the window ----

TTranslateForm::TTranslateForm(QWidget *parent)
    : QDialog(parent)
{
    TranslateForm = this;
    setObjectName(QStringLiteral("TranslateForm"));
    setWindowTitle(QStringLiteral("Übersetzen"));
    setSizeGripEnabled(true);

    Panel1 = own(new QWidget(this), QStringLiteral("Panel1"));
    Panel1->setFixedHeight(35);
    BackBtn = own(new TBitBtnXP(QStringLiteral("Zurück..."),
                                ThemedIcon("go-previous", QStyle::SP_ArrowBack),
                                Panel1),
                  QStringLiteral("BackBtn"));
    auto *top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 4, 8, 4);
    top->addWidget(BackBtn);
    top->addStretch(1);

    Panel2 = own(new QWidget(this), QStringLiteral("Panel2"));
    Panel2->setFixedHeight(40);
    FilterEdit = own(new QLineEdit(Panel2), QStringLiteral("FilterEdit"));
    FilterEdit->setFixedWidth(153);
    FilterBtn = own(new TBitBtnXP(QStringLiteral("Suchen"),
                                  ThemedIcon("edit-find", QStyle::SP_FileDialogContentsView),
                                  Panel2),
                    QStringLiteral("FilterBtn"));
    DeleteRowBtn = own(new TBitBtnXP(QStringLiteral("Zeile löchen"),
                                     ThemedIcon("edit-delete", QStyle::SP_TrashIcon),
                                     Panel2),
                       QStringLiteral("DeleteRowBtn"));
    DeleteRowBtn->setCancel(true);
    FixedColCheck = own(new QCheckBox(QStringLiteral("Erste Spalte fixieren"), Panel2),
                        QStringLiteral("FixedColCheck"));
    auto *bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(8, 6, 8, 6);
    bar->addWidget(FilterEdit);
    bar->addWidget(FilterBtn);
    bar->addSpacing(16);
    bar->addWidget(DeleteRowBtn);
    bar->addSpacing(16);
    bar->addWidget(FixedColCheck);
    bar->addStretch(1);

    StringGrid1 = own(new TStringGrid(GridColumns, this), QStringLiteral("StringGrid1"));
    StatusBar1 = own(new QStatusBar(this), QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(Panel1);
    outer->addWidget(Panel2);
    outer->addWidget(StringGrid1, 1);
    outer->addWidget(StatusBar1);
    resize(705, 453);

    ConnectGuarded(BackBtn, &QPushButton::clicked, this, &TTranslateForm::BackBtnClick);
    ConnectGuarded(FilterBtn, &QPushButton::clicked, this, &TTranslateForm::FilterBtnClick);
    ConnectGuarded(DeleteRowBtn, &QPushButton::clicked, this, &TTranslateForm::DeleteRowBtnClick);
    ConnectGuarded(FixedColCheck, &QCheckBox::toggled, this, &TTranslateForm::FixedColCheckClick);
    ConnectGuarded(StringGrid1, &TStringGrid::editTextChanged, this, &TTranslateForm::StringGrid1SetEditText);
    ConnectGuarded(StringGrid1, &TStringGrid::keyDown, this, &TTranslateForm::StringGrid1KeyDown);
}

void TTranslateForm::FillStringGrid()
{
    const int rows = TranslationRowCount();
    StringGrid1->setRowCount(rows);
    for (int c = 0; c < GridColumns; ++c) {
        if (QTableWidgetItem *header = StringGrid1->horizontalHeaderItem(c))
            header->setText(TranslationHeaderText(c));
        else
            StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(TranslationHeaderText(c)));
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < GridColumns; ++c) {
            const QString text = TranslationCell(r, c);
            if (QTableWidgetItem *cell = StringGrid1->item(r, c))
                cell->setText(text);
            else
                StringGrid1->setItem(r, c, new QTableWidgetItem(text));
        }
    }
}

void TTranslateForm::BackBtnClick()
{
    close();
}

void TTranslateForm::FilterBtnClick()
{
    const QString search = FilterEdit->text();
    if (search.isEmpty())
        return;
    // Always from the top-left, the header row included.
    const int gridRows = StringGrid1->rowCount() + 1;
    for (int r = 0; r < gridRows; ++r) {
        for (int c = 0; c < GridColumns; ++c) {
            if (!CellMatchesSearch(StringGrid1->cellText(r, c), search))
                continue;
            if (r == 0) {
                // A header cell cannot be selected; the hit is shown by scrolling to it.
                StringGrid1->clearSelection();
            } else {
                StringGrid1->setCurrentCell(r - 1, c, QItemSelectionModel::ClearAndSelect);
            }
            StringGrid1->scrollCellToTopLeft(r, c);
            if (Dialogs().messageBox(
                        this, MessageText(30), MessageText(29), TMsgIcon::Question, TMsgButtons::YesNo)
                != TMsgResult::Yes)
                return;
        }
    }
}

void TTranslateForm::DeleteRowBtnClick()
{
    const int r = StringGrid1->currentRow() >= 0 ? StringGrid1->currentRow() + 1 : 0;
    const int column = qMax(0, StringGrid1->currentColumn());
    if (r >= 1 && r <= TranslationRowCount()) {
        const TMsgResult answer = Dialogs().messageBox(this,
                                                       TranslationCell(r - 1, 0),
                                                       MessageText(31),
                                                       TMsgIcon::Question,
                                                       TMsgButtons::YesNoCancel);
        if (answer == TMsgResult::Yes)
            DeleteTranslationRow(r - 1);
    }
    SaveTranslationTable();
    FillStringGrid();
    if (r >= 1 && r - 1 < StringGrid1->rowCount())
        StringGrid1->setCurrentCell(r - 1, column);
    else if (r >= 1 && StringGrid1->rowCount() > 0)
        // The last row went: the grid's current row is the new last row.
        StringGrid1->setCurrentCell(StringGrid1->rowCount() - 1, column);
}

void TTranslateForm::FixedColCheckClick()
{
    StringGrid1->setFixedColumn(FixedColCheck->isChecked());
}

void TTranslateForm::StringGrid1KeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && !StringGrid1->isEditing()) {
        DeleteRowBtnClick();
        event->accept();
    }
}

void TTranslateForm::StringGrid1SetEditText(int ACol, int ARow, const QString &Value)
{
    if (ARow >= 1 && ARow <= TranslationRowCount() && ACol >= 0 && ACol < GridColumns)
        SetTranslationCell(ARow - 1, ACol, Value);
    SaveTranslationTable();
}
