#pragma once

#include "app/Components.h"

#include <QDialog>
#include <QStringList>
#include <QStyledItemDelegate>

class QTreeWidget;
class QTreeWidgetItem;
class TFormStorage;
class TBitBtnXP;
class TEnvelopeDocument;

// How an address shows in its one-line row: its lines joined by " ⏎ ", a final line break left out.
QString AddressDisplayText(const QString &address);

// Edits an address caption in place with a multi-line editor; the item keeps the exact text with
// CR LF line breaks in AddressRole, the row shows AddressDisplayText of it.
class TAddressItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor,
                              const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};

// The address list window.
class TChooseAddressForm : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TChooseAddressForm(QWidget *parent = nullptr);
    ~TChooseAddressForm() override;

    // The item data role that holds an entry's exact text.
    static constexpr int AddressRole = Qt::UserRole;

    QWidget *Panel1 = nullptr;
    TBitBtnXP *BitBtn1 = nullptr; // OK, Adresse übernehmen
    TBitBtnXP *BitBtn2 = nullptr; // Abbrechen
    TBitBtnXP *BitBtn3 = nullptr; // Löschen
    TBitBtnXP *BitBtn4 = nullptr; // Markierte Adressen drucken...
    QTreeWidget *ListView1 = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    // The entries' exact texts in list order (CR LF line breaks kept), and replacing them in one step:
    // the document's list, which the window shows.
    QStringList addresses() const;
    void setAddresses(const QStringList &addresses);
    void appendAddress(const QString &address);
    // Shows the window as an ordinary (non-modal) window beside the main window.
    void showNonModal();

    // The exact text of one entry, and changing it (what an edit in place does).
    static QString addressOf(const QTreeWidgetItem *item);
    static void setAddressOf(QTreeWidgetItem *item, const QString &address);
    // The marked item with the lowest position, or null.
    QTreeWidgetItem *firstMarkedItem() const;

    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();

private:
    // The list shows the document's addresses (the main window's document).
    TEnvelopeDocument *m_document = nullptr;
    // Set while the list is written into the document or shown from it, so neither echoes the other.
    bool m_storing = false;
    void showDocumentList();
    void showAppended(const QString &address);
    void storeList();

    QTreeWidgetItem *newItem(const QString &address) const;
    // After a button's action: when the window is a modal dialog, the button's modal result closes it.
    void closeWithModalResult(TBitBtnXP *button);
};
