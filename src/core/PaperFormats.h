#pragma once

#include <QSize>
#include <QStringList>

// Millimetres per inch, the one conversion factor of the whole program.
inline constexpr double MmPerInch = 25.39995;

// The 25 entries of the paper-format list and the platform paper code each requests
// (-1 for the empty last entry: no paper code, the printer's default paper).
QStringList PaperFormatItems();
int PaperFormatCode(int index);
inline constexpr int PaperFormatCount = 25;
inline constexpr int PaperFormatDefaultIndex = 11; // C6
// The one entry whose paper is given by its size rather than a code: B6 lying, 176 x 125 mm.
inline constexpr int CustomPaperIndex = 23;
inline constexpr int CustomPaperLengthMm = 125;
inline constexpr int CustomPaperWidthMm = 176;

// What an entry of the list asks of the printer: a paper code, the custom size, or nothing (the empty
// last entry and any index outside the list keep the printer's default paper).
struct PaperRequest
{
    enum Kind { PrinterDefault, Code, Custom } kind = PrinterDefault;
    int code = -1;    // Code
    int lengthMm = 0; // Custom
    int widthMm = 0;
};
PaperRequest PaperRequestFor(int index);

// Sheet extent in target pixels: trunc(pagePixels * D / R * Z / 100), computed in extended precision.
int SheetExtent(int pagePixels, int targetDpi, int printerDpi, double zoom);
// The sheet of a printable page at a zoom: both extents by SheetExtent. The one rule the preview, the
// whole-sheet zoom, the first window size and the renderer share.
QSize SheetSize(int pageWidth, int pageHeight, int targetDpi, int printerDpi, double zoom);
// A length field's value in target pixels; mm: trunc(v / 25.39995 * D * Z / 100), inch: trunc(v * D * Z /
// 100).
int LengthToPixels(double value, bool inchMode, int targetDpi, double zoom);
// Printable page size in physical units: inches = pixels / R; millimetres = inches * 25.39995.
double PagePixelsToInches(int pagePixels, int printerDpi);
double PagePixelsToMm(int pagePixels, int printerDpi);
