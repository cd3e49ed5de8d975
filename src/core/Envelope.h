#pragma once

#include "core/FontRec.h"

#include <QString>

// One envelope: what the window edits, the settings file and documents store, the renderer draws
// and the printer and the merge engine print. Lengths are in millimetres whatever unit the window
// shows; the recipient's position is in per cent of the sheet. The defaults are the main window's
// start-up values.
struct EnvelopeValue
{
    QString recipient; // lines separated by CR LF (or CR, or LF)
    QString sender;
    QString pictureFile;        // the picture file field's text (a path, perhaps with options)
    double margin = 15;         // millimetres
    double pictureMargin = 5;   // millimetres between the picture and the sender
    double pictureWidth = 20;   // millimetres
    qint32 paperFormat = 11;    // entry of the paper list, -1 for none
    qint32 picturePosition = 1; // 0 left of the sender, 1 below it, 2 as a stamp; others: none
    TFontRec recipientFont;     // also the info line's font
    TFontRec senderFont;
    QString infoLine;            // empty: no info line
    double recipientAcross = 50; // per cent of the sheet width
    double recipientDown = 50;   // per cent of the sheet height
    bool portrait = false;       // the paper is set up upright

    bool operator==(const EnvelopeValue &) const = default;
};
