// Placeholder definitions so the main window links; the persistence subsystem replaces this file.
#include "shell/MainUnit.h"

void TMainForm::SaveOptionsFile(const QString &) {}
void TMainForm::LoadOptionsFile(const QString &) {}
void TMainForm::Speichernunter1Click() {}
void TMainForm::ffnen1Click() {}
QString TMainForm::GetProgramDir(bool) { return progpath; }
void TMainForm::SaveOptions() {}
void TMainForm::LoadOptions() {}
