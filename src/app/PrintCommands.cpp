#include "app/PrintCommands.h"

#include "app/KopienFUnit.h"
#include "app/PrintRun.h"
#include "print/Printer.h"
#include "app/RxSpinEdit.h"
#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "core/translateunit.h"

#include <QDialog>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

bool UsePortraitRenderer(int width, int height)
{
    return width < height;
}

int CopyCountFromValue(double value)
{
    if (!std::isfinite(value) || value < 1)
        return 0;
    return static_cast<int>(std::min(std::trunc(value), 1e9));
}

void TMainForm::Drucken1Click()
{
    // Alone, an envelope is a run of one: it too can wait for a full print service, and be cancelled.
    std::optional<TPrintRun> single;
    if (!TPrintRun::current())
        single.emplace(this, 1);
    TPrinter &printer = Printer();
    // The resolution is taken before the job starts, the page size once it has begun.
    const int dpi = printer.resolutionX();
    printer.setTitle(MessageText(9));
    printer.beginDoc();
    try {
        const int w = printer.pageWidth();
        const int h = printer.pageHeight();
        if (UsePortraitRenderer(w, h))
            PaintToCanvasHochformat(printer.canvas(), dpi, w, h, 100, true);
        else
            PaintToCanvas(printer.canvas(), dpi, w, h, 100, true);
    } catch (...) {
        // A half-drawn envelope never reaches the printer.
        printer.abortDoc();
        throw;
    }
    printer.endDoc();
    TPrintRun::current()->envelopePrinted();
}

void TMainForm::Druckereinrichten1Click()
{
    // OK or cancel, the preview follows the printer's page afterwards, also when the dialog failed:
    // the preview's own entry resizes it to a changed page or redraws it at once.
    try {
        Dialogs().printerSetup(this, Printer());
    } catch (...) {
        PaintBox1Paint(nullptr);
        throw;
    }
    PaintBox1Paint(nullptr);
}

void TMainForm::MehrereKopiendrucken1Click()
{
    if (Dialogs().execModal(KopienForm) != QDialog::Accepted)
        return;
    const int n = CopyCountFromValue(KopienForm->CopiesEd->textValue());
    TPrintRun run(this, n);
    // Each copy is a job of its own; an error ends the run at that copy.
    try {
        for (int i = 0; i < n; ++i)
            Drucken1Click();
    } catch (const EPrintCancelled &) {
        Dialogs().messageBox(
                this,
                TranslateText(QStringLiteral("Der Druck wurde nach %1 von %2 Umschlägen beendet."))
                        .arg(run.printed())
                        .arg(n),
                QString(),
                TMsgIcon::Information,
                TMsgButtons::Ok);
    }
}
