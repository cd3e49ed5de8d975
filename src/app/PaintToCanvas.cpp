#include "app/Preview.h"
#include "render/EnvelopePicture.h"
#include "render/EnvelopeRenderer.h"

#include "app/MainUnit.h"
#include "print/Printer.h"

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
                 envelope(),
                 targetFromPrinter(dpi, width, height, zoomedvalue, printit),
                 &SharedPictureCache());
}

void TMainForm::PaintToCanvasHochformat(
        QPainter &canvas0, int dpi, int width, int height, double zoomedvalue, bool printit)
{
    DrawEnvelopeHochformat(canvas0,
                           envelope(),
                           targetFromPrinter(dpi, width, height, zoomedvalue, printit),
                           &SharedPictureCache());
}
