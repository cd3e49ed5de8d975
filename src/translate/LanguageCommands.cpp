// Placeholder definitions so the main window links; the translation subsystem replaces this file.
#include "shell/MainUnit.h"

void TMainForm::LoadOptionsLang() {}
void TMainForm::SaveOptionsLang() {}
void TMainForm::Deutsch1Click() {}
void TMainForm::English1Click() {}
void TMainForm::Zollstattmm1Click() {}
void TMainForm::bersetzen1Click() {}
