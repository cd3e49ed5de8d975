#include "app/MainUnit.h"
#include "app/PaintBox.h"
#include "core/PaperFormats.h"
#include "print/Printer.h"

#include <QCheckBox>
#include <QComboBox>

void TMainForm::Papierformat(int nr)
{
    TPrinter &printer = Printer();
    // Selecting the printer again loads its default settings: earlier set-up choices are discarded.
    printer.reselectWithDefaults();
    TDevMode &dm = printer.settings();
    const PaperRequest paper = PaperRequestFor(nr);
    if (paper.kind == PaperRequest::Code) {
        dm.dmPaperSize = paper.code;
    } else if (paper.kind == PaperRequest::Custom) {
        dm.dmPaperSize = TDevMode::DMPAPER_USER;
        dm.dmPaperLength = paper.lengthMm;
        dm.dmPaperWidth = paper.widthMm;
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
