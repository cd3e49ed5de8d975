#include "app/ChooseAddressFUnit.h"

#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/EnvelopeDocument.h"

#include <QAction>

void TMainForm::SaveInListBtnClick()
{
    // No check: empty and repeated addresses are stored as they are.
    storeInDocument();
    Document->appendAddress(Document->envelope().recipient);
    SaveOptions();
}

void TMainForm::ChooseBtnClick()
{
    // While the list is kept open beside the main window its buttons are already at hand.
    if (ChooseAddressForm->isVisible())
        return;
    Dialogs().execModal(ChooseAddressForm);
}

void TMainForm::Adresslisteimmeroffenhalten1Click()
{
    Adresslisteimmeroffenhalten1->setChecked(!Adresslisteimmeroffenhalten1->isChecked());
    if (Adresslisteimmeroffenhalten1->isChecked()) {
        if (!ChooseAddressForm->isVisible())
            ChooseAddressForm->showNonModal();
    } else if (ChooseAddressForm->isVisible()) {
        ChooseAddressForm->hide();
    }
    SaveOptions();
}
