#include "print/PrinterTarget.h"

#include "print/Printer.h"
#include "render/EnvelopeRenderer.h"

#include <utility>

void DrawEnvelopeOnPrinter(TPrinter &printer, int dpi, const EnvelopeValue &envelope, PictureCache *cache)
{
    RenderTarget t;
    t.dpi = dpi;
    t.width = printer.pageWidth();
    t.height = printer.pageHeight();
    t.zoom = 100;
    t.printit = true;
    t.pageWidth = t.width;
    t.pageHeight = t.height;
    t.printerDpi = printer.resolutionX();
    if (UsePortraitRenderer(t.width, t.height))
        DrawEnvelopeHochformat(printer.canvas(), envelope, t, cache);
    else
        DrawEnvelope(printer.canvas(), envelope, t, cache);
}

TPrinterJobTarget::TPrinterJobTarget(TPrinter &printer, QString title, PictureCache *cache)
    : m_printer(printer)
    , m_title(std::move(title))
    , m_cache(cache)
{}

void TPrinterJobTarget::printEnvelope(const EnvelopeValue &envelope)
{
    // The resolution is taken before the job starts, the page size once it has begun.
    const int dpi = m_printer.resolutionX();
    m_printer.setTitle(m_title);
    m_printer.beginDoc();
    try {
        DrawEnvelopeOnPrinter(m_printer, dpi, envelope, m_cache);
    } catch (...) {
        m_printer.abortDoc();
        throw;
    }
    m_printer.endDoc();
}
