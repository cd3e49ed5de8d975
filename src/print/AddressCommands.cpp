// Placeholder definitions so the main window links; the address-list subsystem replaces this file.
#include "shell/MainUnit.h"

void TMainForm::SaveInListBtnClick() {}
void TMainForm::ChooseBtnClick() {}
void TMainForm::Adresslisteimmeroffenhalten1Click() {}
void TMainForm::CSVImportieren1Click() {}
void TMainForm::CSVDateiinAdresslisteladen1Click() {}
void TMainForm::FillRecipientFromCsvLine(const QString &) {}
