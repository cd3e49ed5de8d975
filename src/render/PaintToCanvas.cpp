#include "EnvelopePicture.h"
#include "EnvelopeRenderer.h"
#include "Preview.h"

#include "controls/FilenameEdit.h"
#include "controls/Memo.h"
#include "controls/RxSpinEdit.h"
#include "print/Printer.h"
#include "shell/MainUnit.h"

#include <QComboBox>
#include <QLineEdit>

EnvelopeValue EnvelopeFromControls(const TMainForm &form)
{
    EnvelopeValue e;
    e.recipient = form.Memo1->text();
    e.sender = form.Memo2->text();
    e.infoLine = form.InfoEd->text();
    e.recipientFont = form.FontDialog1->Font;
    e.senderFont = form.FontDialog2->Font;
    e.margin = form.RandEd->textValue();
    e.pictureWidth = form.BildBreiteEd->textValue();
    e.pictureGap = form.BildRandEd->textValue();
    e.inchMode = form.isInchMode();
    e.recipientLeftPercent = form.EmpfProEd->textValue();
    e.recipientTopPercent = form.EmpfPro2Ed->textValue();
    e.pictureField = form.FilenameEdit1->text();
    e.picturePosition = form.ComboBox2->currentIndex();
    return e;
}

PictureCache &SharedPictureCache()
{
    static PictureCache cache;
    return cache;
}

namespace {

RenderTarget targetFromPrinter(int dpi, int width, int height, double zoomedvalue, bool printit)
{
    // The sheet is whatever the printer reports now; nothing of it is kept between drawings.
    TPrinter &printer = Printer();
    RenderTarget t;
    t.dpi = dpi;
    t.width = width;
    t.height = height;
    t.zoom = zoomedvalue;
    t.printit = printit;
    t.pageWidth = printer.pageWidth();
    t.pageHeight = printer.pageHeight();
    t.printerDpi = printer.resolutionX();
    return t;
}

} // namespace

void TMainForm::PaintToCanvas(
        QPainter &canvas0, int dpi, int width, int height, double zoomedvalue, bool printit)
{
    DrawEnvelope(canvas0,
                 EnvelopeFromControls(*this),
                 targetFromPrinter(dpi, width, height, zoomedvalue, printit),
                 &SharedPictureCache());
}

void TMainForm::PaintToCanvasHochformat(
        QPainter &canvas0, int dpi, int width, int height, double zoomedvalue, bool printit)
{
    DrawEnvelopeHochformat(canvas0,
                           EnvelopeFromControls(*this),
                           targetFromPrinter(dpi, width, height, zoomedvalue, printit),
                           &SharedPictureCache());
}
