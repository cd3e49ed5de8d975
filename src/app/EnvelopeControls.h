#pragma once

#include "core/FontRec.h"

#include <QString>

// A spin field read at one moment: the preview and the printout draw `shown`, the number its text
// shows, so a length still being typed is drawn as typed, while the settings file stores `held`, the
// value the field took from that text (equal on every keystroke, as the field reads its text while
// it is typed).
struct SpinReading
{
    double shown = 0;
    double held = 0;

    bool operator==(const SpinReading &) const = default;
};

// The envelope as the main window's controls hold it, read in one go. Lengths are in the unit the
// fields show: inches in inch mode, millimetres otherwise.
struct EnvelopeControls
{
    QString recipient; // Memo1, lines separated by CR LF
    QString sender;    // Memo2
    QString pictureFile;
    QString infoLine;
    TFontRec recipientFont; // also the info line's font
    TFontRec senderFont;
    SpinReading margin{15, 15};
    SpinReading pictureMargin{5, 5};
    SpinReading pictureWidth{20, 20};
    SpinReading recipientAcross{50, 50}; // per cent of the sheet width
    SpinReading recipientDown{50, 50};   // per cent of the sheet height
    bool inchMode = false;
    int paperFormat = 11; // ComboBox1's index, -1 for none
    int picturePosition = 1;
    bool portrait = false;
    bool keepListOpen = false; // the menu item "Adressliste immer offen halten"

    bool operator==(const EnvelopeControls &) const = default;
};
