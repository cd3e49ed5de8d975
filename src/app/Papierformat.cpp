#include "app/PaintBox.h"
#include "core/PaperFormats.h"
#include "print/Printer.h"
#include "app/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>

void TMainForm::Papierformat(int nr)
{
    TPrinter &printer = Printer();
    // Selecting the printer again loads its default settings: earlier set-up choices are discarded.
    printer.reselectWithDefaults();
    TDevMode &dm = printer.settings();
    if (nr >= 0 && nr <= 22) {
        dm.dmPaperSize = PaperFormatCode(nr);
    } else if (nr == 23) {
        dm.dmPaperSize = TDevMode::DMPAPER_USER;
        dm.dmPaperLength = 125;
        dm.dmPaperWidth = 176;
    }
    dm.dmOrientation
            = HochformatCheck->isChecked() ? TDevMode::DMORIENT_PORTRAIT : TDevMode::DMORIENT_LANDSCAPE;
    dm.dmFields |= TDevMode::DM_ORIENTATION | TDevMode::DM_PAPERSIZE;
    printer.applySettings();
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
