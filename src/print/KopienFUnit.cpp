// Placeholder; the printing subsystem replaces this file.
#include "KopienFUnit.h"

TKopienForm::TKopienForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Anzahl der Kopien wählen"));
}
void TKopienForm::FormShow() {}
