#include "print/OneJobTarget.h"

#include "core/Errors.h"
#include "core/translateunit.h"
#include "print/PrintRetry.h"
#include "print/Printer.h"
#include "print/PrinterTarget.h"

#include <QPainter>

#include <utility>

namespace {

// What to print again when none of the job's envelopes reached the printer. Records without a number
// (copies, marked addresses) can only be counted.
QString reprintText(int first, int last, int pages)
{
    if (first > 0 && last > 0) {
        if (first == last)
            return TranslateText(QString::fromUtf8(OneJobText::ReprintOne)).arg(first);
        return TranslateText(QString::fromUtf8(OneJobText::ReprintRange)).arg(first).arg(last);
    }
    return TranslateText(QString::fromUtf8(OneJobText::NoneOfCount)).arg(pages);
}

} // namespace

TOneJobTarget::TOneJobTarget(TPrinter &printer, QString title, PictureCache *cache)
    : m_printer(printer)
    , m_title(std::move(title))
    , m_cache(cache)
{}

TOneJobTarget::~TOneJobTarget()
{
    abortRun();
}

void TOneJobTarget::beginRun(int)
{
    abortRun();
    m_pages = 0;
    m_first = 0;
    m_last = 0;
}

void TOneJobTarget::recordNext(const TMergeRecord &record)
{
    m_next = record.number;
}

void TOneJobTarget::printEnvelope(const EnvelopeValue &envelope)
{
    if (!m_open) {
        // The resolution is taken before the job starts, the page size once it has begun.
        m_dpi = m_printer.resolutionX();
        m_printer.setTitle(m_title);
        m_printer.beginDoc();
        m_open = true;
        m_first = m_next;
    } else {
        m_printer.newPage();
    }
    // Each page starts from the job's own state (shift and feed), whatever the last one left.
    QPainter &canvas = m_printer.canvas();
    canvas.save();
    try {
        DrawEnvelopeOnPrinter(m_printer, m_dpi, envelope, m_cache);
    } catch (...) {
        canvas.restore();
        throw;
    }
    canvas.restore();
    ++m_pages;
    m_last = m_next;
}

void TOneJobTarget::endRun()
{
    if (!m_open)
        return;
    m_open = false;
    try {
        m_printer.endDoc();
    } catch (const EPrintCancelled &) {
        throw;
    } catch (const EPrinterError &error) {
        throw EPrinterError(error.message() + u' ' + reprintText(m_first, m_last, m_pages));
    }
}

void TOneJobTarget::abortRun()
{
    if (m_open)
        m_printer.abortDoc();
    m_open = false;
}
