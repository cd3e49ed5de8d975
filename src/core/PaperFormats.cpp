#include "core/PaperFormats.h"

#include <cmath>

namespace {
struct Entry
{
    const char16_t *text;
    int code;
};
// Item texts exactly as the list shows them, blanks and fractions included.
constexpr Entry kEntries[PaperFormatCount] = {
        {u"10  - 4\u215B \u00D7 9\u00BD", 20},
        {u"11 - 4\u00BD \u00D7 10\u215C", 21},
        {u"12 - 4\u00BE \u00D7 11", 22},
        {u"14 - 5 \u00D7 11\u00BD", 23},
        {u"9 - 3\u215E \u00D7 8\u215E", 19},
        {u"B4 - 250 x 353", 33},
        {u"B5 - 176 x 250", 34},
        {u"B6 - 125 x 176", 35},
        {u"C3 - 324 x 458", 29},
        {u"C4 - 229 x 324", 30},
        {u"C5 - 162 x 229", 28},
        {u"C6 - 114 x 162", 31},
        {u"C65 - 114 x 229", 32},
        {u"DL- 110 x 220", 27},
        {u"INVITE", 47},
        {u"ITALY", 36},
        {u"MONARCH", 37},
        {u"PERSONAL", 38},
        {u"A4", 9},
        {u"A5", 11},
        {u"A6 - 4\u00BE \u00D7 6\u00BD", 70},
        {u"B4", 12},
        {u"B5 - 176 x 250", 13},
        {u"B6 - 176 x 125", 256},
        {u"", -1},
};
} // namespace

QStringList PaperFormatItems()
{
    QStringList items;
    for (const Entry &e : kEntries)
        items << QString::fromUtf16(e.text);
    return items;
}

int PaperFormatCode(int index)
{
    if (index < 0 || index >= PaperFormatCount)
        return -1;
    return kEntries[index].code;
}

int SheetExtent(int pagePixels, int targetDpi, int printerDpi, double zoom)
{
    if (printerDpi == 0)
        return 0;
    const long double v = (long double)pagePixels * targetDpi / printerDpi * (long double)zoom / 100.0L;
    return int(std::trunc(v));
}

int LengthToPixels(double value, bool inchMode, int targetDpi, double zoom)
{
    long double v;
    if (inchMode)
        v = (long double)value * targetDpi * (long double)zoom / 100.0L;
    else
        v = (long double)value / (long double)MmPerInch * targetDpi * (long double)zoom / 100.0L;
    return int(std::trunc(v));
}

double PagePixelsToInches(int pagePixels, int printerDpi)
{
    return printerDpi ? double(pagePixels) / printerDpi : 0.0;
}

double PagePixelsToMm(int pagePixels, int printerDpi)
{
    return PagePixelsToInches(pagePixels, printerDpi) * MmPerInch;
}

PaperRequest PaperRequestFor(int index)
{
    PaperRequest r;
    if (index == CustomPaperIndex) {
        r.kind = PaperRequest::Custom;
        r.lengthMm = CustomPaperLengthMm;
        r.widthMm = CustomPaperWidthMm;
        return r;
    }
    r.code = PaperFormatCode(index);
    if (r.code >= 0)
        r.kind = PaperRequest::Code;
    return r;
}

QSize SheetSize(int pageWidth, int pageHeight, int targetDpi, int printerDpi, double zoom)
{
    return QSize(SheetExtent(pageWidth, targetDpi, printerDpi, zoom),
                 SheetExtent(pageHeight, targetDpi, printerDpi, zoom));
}
