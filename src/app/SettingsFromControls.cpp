#include "app/SettingsFromControls.h"

#include "app/EnvelopeControls.h"
#include "core/PaperFormats.h"

double FileLength(double shown, bool inchMode)
{
    if (!inchMode)
        return shown;
    return double(static_cast<long double>(shown) * static_cast<long double>(MmPerInch));
}

TEnvelopeSettings SettingsFromControls(const EnvelopeControls &c, const QStringList &addresses)
{
    TEnvelopeSettings s;
    s.recipient = c.recipient;
    s.sender = c.sender;
    s.pictureFile = c.pictureFile;
    s.margin = FileLength(c.margin.held, c.inchMode);
    s.pictureMargin = FileLength(c.pictureMargin.held, c.inchMode);
    s.pictureWidth = FileLength(c.pictureWidth.held, c.inchMode);
    s.paperFormat = c.paperFormat;
    s.picturePosition = c.picturePosition;
    s.recipientFont = c.recipientFont;
    s.senderFont = c.senderFont;
    s.infoLine = c.infoLine;
    s.recipientAcross = c.recipientAcross.held;
    s.recipientDown = c.recipientDown.held;
    s.addresses = addresses;
    s.keepListOpen = c.keepListOpen;
    s.portrait = c.portrait;
    return s;
}
