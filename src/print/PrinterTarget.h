#pragma once

#include "print/MergeEngine.h"
#include "render/EnvelopeRenderer.h"

#include <QString>

class PictureCache;
class TPrinter;

// Draws envelope onto the printer's canvas of the job that has begun, at 100 %, the way the page
// lies. dpi: the printer's resolution taken before the job began (the page size is taken now).
void DrawEnvelopeOnPrinter(TPrinter &printer, int dpi, const EnvelopeValue &envelope, PictureCache *cache);

// The target the program prints to: one job per envelope on the current printer, titled title. A
// half-drawn envelope is withdrawn and never reaches the printer.
class TPrinterJobTarget final : public TPrintTarget
{
public:
    TPrinterJobTarget(TPrinter &printer, QString title, PictureCache *cache);

    void beginRun(int) override {}
    void printEnvelope(const EnvelopeValue &envelope) override;
    void endRun() override {}

private:
    TPrinter &m_printer;
    QString m_title;
    PictureCache *m_cache;
};
