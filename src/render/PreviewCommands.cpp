// Placeholder definitions so the main window links; the render subsystem replaces this file.
#include "shell/MainUnit.h"

void TMainForm::PaintToCanvas(QPainter &, int, int, int, double, bool) {}
void TMainForm::PaintToCanvasHochformat(QPainter &, int, int, int, double, bool) {}
void TMainForm::PaintBox1Paint(QPaintEvent *) {}
void TMainForm::PaintBox1MouseDown() {}
void TMainForm::ZoomEdChange() {}
void TMainForm::InfoEdChange() {}
void TMainForm::RandEdChange() {}
void TMainForm::Schrift1BtnClick() {}
void TMainForm::Schrift2BtnClick() {}
void TMainForm::Memo1Change() {}
void TMainForm::Memo2Change() {}
void TMainForm::FilenameEdit1Change() {}
void TMainForm::Timer1Timer() {}
void TMainForm::FormMouseWheelDown() {}
void TMainForm::FormMouseWheelUp() {}
