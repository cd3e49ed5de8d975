#pragma once

#include <QStringList>

// Millimetres per inch, the one conversion factor of the whole program.
inline constexpr double MmPerInch = 25.39995;

// The 25 entries of the paper-format list and the platform paper code each requests
// (-1 for the empty last entry: no paper code, the printer's default paper).
QStringList PaperFormatItems();
int PaperFormatCode(int index);
inline constexpr int PaperFormatCount = 25;
inline constexpr int PaperFormatDefaultIndex = 11; // C6

// Sheet extent in target pixels: trunc(pagePixels * D / R * Z / 100), computed in extended precision.
int SheetExtent(int pagePixels, int targetDpi, int printerDpi, double zoom);
// A length field's value in target pixels; mm: trunc(v / 25.39995 * D * Z / 100), inch: trunc(v * D * Z /
// 100).
int LengthToPixels(double value, bool inchMode, int targetDpi, double zoom);
// Printable page size in physical units: inches = pixels / R; millimetres = inches * 25.39995.
double PagePixelsToInches(int pagePixels, int printerDpi);
double PagePixelsToMm(int pagePixels, int printerDpi);
