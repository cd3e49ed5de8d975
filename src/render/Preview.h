#pragma once

#include <QString>
#include <QtGlobal>

class QIcon;
class QLocale;
class QSize;
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

// The largest zoom from minZoom to maxZoom at which a printable page of pageWidth x pageHeight printer
// pixels (printerDpi), drawn at screenDpi with the preview's band around it, fits an area of the given
// size without scroll bars; minZoom when not even that fits.
int WholeSheetZoom(int pageWidth,
                   int pageHeight,
                   int screenDpi,
                   int printerDpi,
                   const QSize &area,
                   int minZoom,
                   int maxZoom);

// The picture of the whole-sheet command: a sheet between four corner marks.
QIcon WholeSheetIcon();

// The envelope as the main window's controls hold it right now.
EnvelopeValue EnvelopeFromControls(const TMainForm &form);

// The decoded-picture memory shared by the preview and printing.
PictureCache &SharedPictureCache();

// How many times the preview has drawn the sheet since start (lets tests tell a resize from a drawing).
quint64 PreviewSheetDrawings();
