#include "app/ChooseAddressFUnit.h"
#include "app/Preview.h"
#include "app/PrintCommands.h"
#include "app/PrintRun.h"

#include "app/BitBtnXP.h"
#include "app/Dialogs.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/EnvelopeDocument.h"
#include "core/LineBreaks.h"
#include "core/sources/ListSource.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "print/RunTarget.h"
#include "print/SourceRecords.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace {

TBitBtnXP *makeButton(TChooseAddressForm *form,
                      const QString &name,
                      const QString &caption,
                      const QIcon &icon,
                      int width,
                      int modalResult,
                      QWidget *parent)
{
    auto *b = form->own(new TBitBtnXP(caption, icon, parent), name);
    // The designed width is the least one; the caption is never cut.
    b->setMinimumSize(qMax(width, b->sizeHint().width()), 25);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setFixedHeight(qMax(25, b->sizeHint().height()));
    b->modalResult = modalResult;
    return b;
}

// An entry of the list: the exact text lives in the item itself, so reading the whole list (once per
// stored record during a CSV load) costs no variant conversions.
class TAddressItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    TAddressItem()
        : QTreeWidgetItem(Type)
    {}
    QString address;

    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == TChooseAddressForm::AddressRole)
            return address;
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant &value) override
    {
        if (column == 0 && role == TChooseAddressForm::AddressRole) {
            address = value.toString();
            emitDataChanged();
            return;
        }
        QTreeWidgetItem::setData(column, role, value);
    }
};

} // namespace

QString AddressDisplayText(const QString &address)
{
    return SplitTextLines(address).join(QStringLiteral(" ⏎ "));
}

QWidget *
TAddressItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QPlainTextEdit(parent);
    // Enter makes a new line; Ctrl+Enter, Tab or leaving the field takes the text, Escape drops it.
    editor->setTabChangesFocus(true);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setObjectName(QStringLiteral("AddressEditor"));
    return editor;
}

void TAddressItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QPlainTextEdit *>(editor)->setPlainText(
            WithLineFeeds(index.data(TChooseAddressForm::AddressRole).toString()));
}

void TAddressItemDelegate::setModelData(QWidget *editor,
                                        QAbstractItemModel *model,
                                        const QModelIndex &index) const
{
    const QString original = index.data(TChooseAddressForm::AddressRole).toString();
    const QString edited = static_cast<QPlainTextEdit *>(editor)->toPlainText();
    // An untouched text keeps its exact line breaks.
    if (edited == WithLineFeeds(original))
        return;
    const QString address = WithCrLf(edited);
    model->setData(index, address, TChooseAddressForm::AddressRole);
    model->setData(index, AddressDisplayText(address), Qt::DisplayRole);
    model->setData(index, WithLineFeeds(address), Qt::ToolTipRole);
}

bool TAddressItemDelegate::eventFilter(QObject *object, QEvent *event)
{
    // Enter makes a new line in the address, so Ctrl+Enter takes the text (as leaving the field does).
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && key->modifiers().testFlag(Qt::ControlModifier)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void TAddressItemDelegate::updateEditorGeometry(QWidget *editor,
                                                const QStyleOptionViewItem &option,
                                                const QModelIndex &) const
{
    // Room for a few lines of an address, over the rows below.
    QRect r = option.rect;
    const int lines = 4;
    r.setHeight(qMax(r.height(),
                     option.fontMetrics.lineSpacing() * lines
                             + 2 * editor->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8));
    editor->setGeometry(r);
}

TChooseAddressForm::TChooseAddressForm(QWidget *parent)
    : QDialog(parent)
{
    ChooseAddressForm = this;
    setWindowTitle(QStringLiteral("Adresse wählen"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(219, 409);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    Panel1 = own(new QWidget(this), QStringLiteral("Panel1"));
    Panel1->setMinimumHeight(113);
    Panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(8, 10, 13, 0);
    rows->setSpacing(0);

    QStyle *style = QApplication::style();
    const QIcon ok = style->standardIcon(QStyle::SP_DialogOkButton);
    BitBtn1 = makeButton(this,
                         QStringLiteral("BitBtn1"),
                         QStringLiteral("OK, Adresse übernehmen"),
                         ok,
                         198,
                         QDialog::Accepted,
                         Panel1);
    BitBtn1->setDefault(true);
    BitBtn2 = makeButton(this,
                         QStringLiteral("BitBtn2"),
                         QStringLiteral("Abbrechen"),
                         style->standardIcon(QStyle::SP_DialogCancelButton),
                         96,
                         QDialog::Rejected,
                         Panel1);
    BitBtn2->setCancel(true);
    BitBtn3 = makeButton(
            this,
            QStringLiteral("BitBtn3"),
            QStringLiteral("Löschen"),
            QIcon::fromTheme(QStringLiteral("edit-delete"), style->standardIcon(QStyle::SP_TrashIcon)),
            96,
            0,
            Panel1);
    BitBtn4 = makeButton(this,
                         QStringLiteral("BitBtn4"),
                         QStringLiteral("Markierte Adressen drucken..."),
                         ok,
                         198,
                         QDialog::Accepted,
                         Panel1);

    rows->addWidget(BitBtn1);
    rows->addSpacing(6);
    auto *pair = new QHBoxLayout;
    pair->setSpacing(6);
    pair->addWidget(BitBtn2);
    pair->addWidget(BitBtn3);
    rows->addLayout(pair);
    rows->addSpacing(8);
    rows->addWidget(BitBtn4);
    rows->addStretch(1);
    Panel1->setFixedHeight(qMax(113, rows->sizeHint().height() + 14));
    outer->addWidget(Panel1);

    ListView1 = own(new QTreeWidget(this), QStringLiteral("ListView1"));
    ListView1->setColumnCount(1);
    ListView1->setHeaderLabels({QStringLiteral("Adresse")});
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->resizeSection(0, 400);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::SelectedClicked);
    ListView1->setItemDelegate(new TAddressItemDelegate(ListView1));
    // The marking stays as visible when the list has no focus.
    QPalette pal = ListView1->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive,
                 QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    ListView1->setPalette(pal);
    outer->addWidget(ListView1, 1);

    FormStorage1 = own(new TFormStorage(this, QStringLiteral("TChooseAddressForm")),
                       QStringLiteral("FormStorage1"));

    // The list shows the document's addresses; whatever the user changes in it (an edit in place, a
    // removal, a sort) goes back into the document.
    m_document = MainForm && MainForm->Document ? MainForm->Document : new TEnvelopeDocument(this);
    connect(m_document, &TEnvelopeDocument::addressesReset, this, &TChooseAddressForm::showDocumentList);
    connect(m_document, &TEnvelopeDocument::addressAppended, this, &TChooseAddressForm::showAppended);
    QAbstractItemModel *model = ListView1->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TChooseAddressForm::storeList);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TChooseAddressForm::storeList);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TChooseAddressForm::storeList);
    connect(model, &QAbstractItemModel::dataChanged, this, &TChooseAddressForm::storeList);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TChooseAddressForm::storeList);
    connect(model, &QAbstractItemModel::modelReset, this, &TChooseAddressForm::storeList);
    showDocumentList();

    ConnectGuarded(BitBtn1, &QPushButton::clicked, this, &TChooseAddressForm::BitBtn1Click);
    ConnectGuarded(BitBtn3, &QPushButton::clicked, this, &TChooseAddressForm::BitBtn3Click);
    ConnectGuarded(BitBtn4, &QPushButton::clicked, this, &TChooseAddressForm::BitBtn4Click);
    // Connected after the actions, so a dialog closes once its button's action is done (or failed).
    for (TBitBtnXP *button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4})
        connect(button, &QPushButton::clicked, this, [this, button] { closeWithModalResult(button); });
}

TChooseAddressForm::~TChooseAddressForm()
{
    // The list empties itself after this part of the window is gone.
    ListView1->model()->disconnect(this);
}

QString TChooseAddressForm::addressOf(const QTreeWidgetItem *item)
{
    if (item->type() == TAddressItem::Type)
        return static_cast<const TAddressItem *>(item)->address;
    return item->data(0, AddressRole).toString();
}

void TChooseAddressForm::setAddressOf(QTreeWidgetItem *item, const QString &address)
{
    item->setData(0, AddressRole, address);
    item->setText(0, AddressDisplayText(address));
    item->setToolTip(0, WithLineFeeds(address));
}

QTreeWidgetItem *TChooseAddressForm::newItem(const QString &address) const
{
    auto *item = new TAddressItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    setAddressOf(item, address);
    return item;
}

QStringList TChooseAddressForm::addresses() const
{
    return m_document->addresses();
}

void TChooseAddressForm::setAddresses(const QStringList &addresses)
{
    m_document->setAddresses(addresses);
}

void TChooseAddressForm::appendAddress(const QString &address)
{
    m_document->appendAddress(address);
}

void TChooseAddressForm::showDocumentList()
{
    if (m_storing)
        return;
    const QStringList &addresses = m_document->addresses();
    QList<QTreeWidgetItem *> items;
    items.reserve(addresses.size());
    for (const QString &a : addresses)
        items.append(newItem(a));
    const QScopedValueRollback<bool> showing(m_storing, true);
    ListView1->setUpdatesEnabled(false);
    ListView1->clear();
    ListView1->addTopLevelItems(items);
    ListView1->setUpdatesEnabled(true);
}

void TChooseAddressForm::showAppended(const QString &address)
{
    const QScopedValueRollback<bool> showing(m_storing, true);
    ListView1->addTopLevelItem(newItem(address));
}

void TChooseAddressForm::storeList()
{
    if (m_storing)
        return;
    QStringList list;
    const int n = ListView1->topLevelItemCount();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(addressOf(ListView1->topLevelItem(i)));
    if (list == m_document->addresses())
        return;
    const QScopedValueRollback<bool> storing(m_storing, true);
    m_document->setAddresses(list);
}

void TChooseAddressForm::showNonModal()
{
    setModal(false);
    // Kept open beside the main window: it stays above it and goes with it when that is minimised.
    if (MainForm && MainForm->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(MainForm->windowHandle());
    }
    show();
    raise();
}

QTreeWidgetItem *TChooseAddressForm::firstMarkedItem() const
{
    const int n = ListView1->topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem *item = ListView1->topLevelItem(i);
        if (item->isSelected())
            return item;
    }
    return nullptr;
}

void TChooseAddressForm::BitBtn1Click()
{
    if (QTreeWidgetItem *item = firstMarkedItem())
        MainForm->Memo1->setText(addressOf(item));
}

void TChooseAddressForm::BitBtn3Click()
{
    // One item per click; the others stay marked. Nothing is written until the next save.
    delete firstMarkedItem();
}

void TChooseAddressForm::BitBtn4Click()
{
    // The marked entries in list order, one record each.
    QStringList marked;
    const int n = ListView1->topLevelItemCount();
    for (int i = 0; i < n; ++i)
        if (QTreeWidgetItem *item = ListView1->topLevelItem(i); item->isSelected())
            marked << addressOf(item);
    if (marked.isEmpty())
        return;
    sources::ListSource source(marked);

    TRunQuestion question;
    // The button's caption without its closing dots heads the box.
    QString caption = BitBtn4->text().remove(QLatin1Char('&'));
    while (caption.endsWith(QLatin1Char('.')))
        caption.chop(1);
    question.caption = caption.trimmed();
    question.text = MessageText(6);
    question.countText = TranslateText(QStringLiteral("Umschläge: %1"));
    question.kind = TRunKind::MarkedPrint;
    question.source = &source;
    question.offerHeader = false;
    question.envelope = MainForm->envelope();
    const TRunAnswer answer = Dialogs().confirmRun(this, question);
    if (!answer.accepted)
        return;
    QString pdfFile;
    if (answer.destination == TRunDestination::PdfFile) {
        const std::optional<QString> chosen
                = Dialogs().saveFile(this,
                                     TranslateText(QStringLiteral("PDF-Dateien (*.pdf)|*.pdf")),
                                     QStringLiteral(".pdf"),
                                     QString());
        if (!chosen || chosen->isEmpty())
            return;
        pdfFile = *chosen;
    }

    const int total = int(CountRunRecords(source, answer.options));
    TPrintRun run(this, total);
    // Each address is shown in the recipient field as it is printed (its lines as the field holds them).
    class ShownInRecipientField final : public RunCounter
    {
    public:
        using RunCounter::RunCounter;
        void recordStarting(const TMergeRecord &record, const EnvelopeValue &) override
        {
            QString shown = record.recipient;
            if (shown.endsWith(QLatin1String("\r\n")))
                shown.chop(2);
            MainForm->Memo1->setText(shown);
        }
    };
    ShownInRecipientField shown(run);
    TSourceRecords records(source, answer.options);
    const EnvelopeValue design = MainForm->envelope();
    const std::unique_ptr<TPrintTarget> target
            = MakeRunTarget(answer.destination, Printer(), MessageText(9), design, pdfFile);
    const TMergeResult result = RunMerge(records, design, *target, total, {&run, &shown, nullptr});
    if (result.end != TMergeEnd::Completed) {
        // Where it stopped: the address whose envelope was not printed.
        const QString where
                = TranslateText(
                          QStringLiteral("Der Druck der markierten Adressen wurde nach %1 von %2 Umschlägen "
                                         "beendet."))
                          .arg(run.printed())
                          .arg(total)
                  + QLatin1Char('\n')
                  + TranslateText(QStringLiteral("Nicht gedruckt ab: „%1“."))
                            .arg(result.next ? result.next->firstLine : QString());
        if (result.end == TMergeEnd::Cancelled)
            Dialogs().messageBox(this, where, QString(), TMsgIcon::Information, TMsgButtons::Ok);
        else
            ShowErrorReport(result.failureText + QStringLiteral("\n\n") + where);
    }
}

void TChooseAddressForm::closeWithModalResult(TBitBtnXP *button)
{
    // As a dialog the window closes even when the action failed; as an ordinary window no button
    // closes it. The cancel button's result, Rejected, is 0 like "none", so it is told by its kind.
    if (isModal() && isVisible() && (button->modalResult != 0 || button->isCancel()))
        done(button->isCancel() ? QDialog::Rejected : button->modalResult);
}
