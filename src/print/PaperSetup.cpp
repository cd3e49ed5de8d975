#include "print/PaperSetup.h"

#include "core/PaperFormats.h"
#include "print/Printer.h"

void ApplyPaperFormat(TPrinter &printer, int entry, bool portrait)
{
    printer.reselectWithDefaults();
    TDevMode &dm = printer.settings();
    const PaperRequest paper = PaperRequestFor(entry);
    if (paper.kind == PaperRequest::Code) {
        dm.dmPaperSize = paper.code;
    } else if (paper.kind == PaperRequest::Custom) {
        dm.dmPaperSize = TDevMode::DMPAPER_USER;
        dm.dmPaperLength = paper.lengthMm;
        dm.dmPaperWidth = paper.widthMm;
    }
    dm.dmOrientation = portrait ? TDevMode::DMORIENT_PORTRAIT : TDevMode::DMORIENT_LANDSCAPE;
    dm.dmFields |= TDevMode::DM_ORIENTATION | TDevMode::DM_PAPERSIZE;
    printer.applySettings();
}
