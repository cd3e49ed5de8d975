#pragma once

#include "shell/Components.h"

#include <QDialog>
#include <QStringList>

class QTreeWidget;
class TFormStorage;
class TBitBtnXP;

// The address list window.
class TChooseAddressForm : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TChooseAddressForm(QWidget *parent = nullptr);

    QWidget *Panel1 = nullptr;
    TBitBtnXP *BitBtn1 = nullptr; // OK, Adresse übernehmen
    TBitBtnXP *BitBtn2 = nullptr; // Abbrechen
    TBitBtnXP *BitBtn3 = nullptr; // Löschen
    TBitBtnXP *BitBtn4 = nullptr; // Markierte Adressen drucken...
    QTreeWidget *ListView1 = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    // The entries' exact texts in list order (CR LF line breaks kept), and replacing them in one step.
    QStringList addresses() const;
    void setAddresses(const QStringList &addresses);
    void appendAddress(const QString &address);
    // Shows the window as an ordinary (non-modal) window beside the main window.
    void showNonModal();

    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
};
