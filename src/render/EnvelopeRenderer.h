#pragma once

#include "core/Envelope.h"

#include <QRect>
#include <QString>

class QPainter;
class PictureCache;

// Where it is drawn: the target's resolution and pixel size, the zoom, the printer page that gives
// the sheet, and whether this is the printed page.
struct RenderTarget
{
    int dpi = 96;
    int width = 0; // the canvas's pixel size: background and outline only
    int height = 0;
    double zoom = 100;
    bool printit = false;
    int pageWidth = 0; // printable page in printer pixels
    int pageHeight = 0;
    int printerDpi = 0;
};

// What a drawing placed where, in layout coordinates (the portrait drawing turns them onto the page).
struct EnvelopeLayout
{
    int W = 0, H = 0; // the sheet as laid out (exchanged in portrait)
    int m = 0, pw = 0, pg = 0;
    QRect infoRect;      // measured info line; null without one
    QRect recipientRect; // the rectangle the address is drawn and clipped into
    QRect senderRect;    // measured sender block
    QRect pictureRect;   // where the picture went; null when none was drawn
    bool pictureLeftDrawn = false;
};

// Which renderer draws a page: the portrait one only for a page narrower than it is tall; a square
// page goes to the landscape renderer. The one orientation rule, for paper and preview alike.
bool UsePortraitRenderer(int width, int height);

// The point size a font is drawn at: trunc(size x zoom / 100), at least 1.
int ZoomedPointSize(int pointSize, double zoom);

// Draws one envelope lying (long side horizontal) onto painter: white fill and outline over
// (0, 0, width, height) unless printing, then the sender block top left, the picture, the info line
// and the recipient. Sizes follow from the printer page, dpi and zoom; picture files go through cache
// when given, otherwise they are read afresh.
EnvelopeLayout DrawEnvelope(QPainter &painter,
                            const EnvelopeValue &envelope,
                            const RenderTarget &target,
                            PictureCache *cache = nullptr);

// The same envelope on an upright page: the background unturned, the layout on a sheet of the page's
// height x width turned a quarter turn so that layout point (x, y) lands at (width - y, x), on top of
// the painter's world transform, which is restored afterwards.
EnvelopeLayout DrawEnvelopeHochformat(QPainter &painter,
                                      const EnvelopeValue &envelope,
                                      const RenderTarget &target,
                                      PictureCache *cache = nullptr);
