// Placeholder; the address-list subsystem replaces this file.
#include "ChooseAddressFUnit.h"

TChooseAddressForm::TChooseAddressForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Adresse wählen"));
}
QStringList TChooseAddressForm::addresses() const
{
    return {};
}
void TChooseAddressForm::setAddresses(const QStringList &) {}
void TChooseAddressForm::appendAddress(const QString &) {}
void TChooseAddressForm::showNonModal() {}
void TChooseAddressForm::BitBtn1Click() {}
void TChooseAddressForm::BitBtn3Click() {}
void TChooseAddressForm::BitBtn4Click() {}
