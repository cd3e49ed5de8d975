#pragma once

#include <QString>
#include <QtGlobal>

class QLocale;
class PictureCache;
struct EnvelopeValue;
class TMainForm;

// The page-size label: "w<mm> x h<mm>", or "w <Zoll> x h <Zoll>" in inch mode, each number with two
// decimals in locale's decimal separator and no group separators.
QString PageSizeLabelText(int pageWidth,
                          int pageHeight,
                          int printerDpi,
                          bool inchMode,
                          const QString &mmText,
                          const QString &inchText,
                          const QLocale &locale);

// The envelope as the main window's controls hold it right now.
EnvelopeValue EnvelopeFromControls(const TMainForm &form);

// The decoded-picture memory shared by the preview and printing.
PictureCache &SharedPictureCache();

// How many times the preview has drawn the sheet since start (lets tests tell a resize from a drawing).
quint64 PreviewSheetDrawings();
