#include "app/Preview.h"
#include "render/EnvelopePicture.h"
#include "render/EnvelopeRenderer.h"

#include "app/EnvelopeControls.h"
#include "app/MainUnit.h"
#include "print/Printer.h"

EnvelopeValue EnvelopeToDraw(const EnvelopeControls &c)
{
    EnvelopeValue e;
    e.recipient = c.recipient;
    e.sender = c.sender;
    e.infoLine = c.infoLine;
    e.recipientFont = c.recipientFont;
    e.senderFont = c.senderFont;
    e.margin = c.margin.shown;
    e.pictureWidth = c.pictureWidth.shown;
    e.pictureGap = c.pictureMargin.shown;
    e.inchMode = c.inchMode;
    e.recipientLeftPercent = c.recipientAcross.shown;
    e.recipientTopPercent = c.recipientDown.shown;
    e.pictureField = c.pictureFile;
    e.picturePosition = c.picturePosition;
    return e;
}

EnvelopeValue EnvelopeFromControls(const TMainForm &form)
{
    return EnvelopeToDraw(form.envelopeControls());
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
