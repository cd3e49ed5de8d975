#include "app/MainUnit.h"
#include "app/PaintBox.h"
#include "print/PaperSetup.h"
#include "print/Printer.h"

#include <QCheckBox>
#include <QComboBox>

void TMainForm::Papierformat(int nr)
{
    ApplyPaperFormat(Printer(), nr, HochformatCheck->isChecked());
    PaintBox1->repaint();
}

void TMainForm::ComboBox1Change()
{
    Papierformat(ComboBox1->currentIndex());
}

void TMainForm::HochformatCheckClick()
{
    Papierformat(ComboBox1->currentIndex());
}
