// Placeholder; the translation subsystem replaces this file.
#include "TranslateFUnit.h"

TTranslateForm::TTranslateForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Übersetzen"));
}
void TTranslateForm::FillStringGrid() {}
void TTranslateForm::BackBtnClick() {}
void TTranslateForm::FilterBtnClick() {}
void TTranslateForm::DeleteRowBtnClick() {}
void TTranslateForm::FixedColCheckClick() {}
void TTranslateForm::StringGrid1SetEditText(int, int, const QString &) {}
