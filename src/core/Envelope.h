#pragma once

#include "core/FontRec.h"

#include <QString>

// One envelope as it is drawn and printed: the model's value that the renderer, the preview, the
// printer and the merge engine pass around. Lengths are in the unit the fields show (millimetres, or
// inches in inch mode); inchMode says which.
struct EnvelopeValue
{
    QString recipient; // lines separated by CR LF (or CR, or LF)
    QString sender;
    QString infoLine;       // empty: no info line
    TFontRec recipientFont; // also the info line's font
    TFontRec senderFont;
    double margin = 15; // the three lengths: millimetres, or inches in inch mode
    double pictureWidth = 20;
    double pictureGap = 5;
    bool inchMode = false;
    double recipientLeftPercent = 50; // of the sheet width
    double recipientTopPercent = 50;  // of the sheet height
    QString pictureField;             // the picture file field's text
    int picturePosition = 1;          // 0 left of the sender, 1 below it, 2 as a stamp; others: none
};
