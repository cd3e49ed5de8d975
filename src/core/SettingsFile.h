#pragma once

#include "core/FontRec.h"

#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// The 17 fields of an envelope settings file (documents and options.dat), lengths in millimetres.
// The defaults are the main window's start-up values.
struct TEnvelopeSettings
{
    QString recipient;           // 1  Memo1, CR LF between lines
    QString sender;              // 2  Memo2
    QString pictureFile;         // 3  FilenameEdit1
    double margin = 15;          // 4  RandEd
    double pictureMargin = 5;    // 5  BildRandEd
    double pictureWidth = 20;    // 6  BildBreiteEd
    qint32 paperFormat = 11;     // 7  ComboBox1 index, -1 for none
    qint32 picturePosition = 1;  // 8  ComboBox2 index
    TFontRec recipientFont;      // 9  section A
    TFontRec senderFont;         // 10 section A
    QString infoLine;            // 11 section B
    double recipientAcross = 50; // 12 section C, per cent of the sheet width
    double recipientDown = 50;   // 13 section D, per cent of the sheet height
    QStringList addresses;       // 14, 15 section E
    bool keepListOpen = false;   // 16 section F
    bool portrait = false;       // 17 section G

    bool operator==(const TEnvelopeSettings &) const = default;
};

// Field numbers of the file, in file order.
enum TSettingsField : int {
    FieldRecipient = 1,
    FieldSender,
    FieldPictureFile,
    FieldMargin,
    FieldPictureMargin,
    FieldPictureWidth,
    FieldPaperFormat,
    FieldPicturePosition,
    FieldRecipientFont,   // section A
    FieldSenderFont,      // section A
    FieldInfoLine,        // section B
    FieldRecipientAcross, // section C
    FieldRecipientDown,   // section D
    FieldAddressCount,    // section E
    FieldAddresses,       // section E
    FieldKeepListOpen,    // section F
    FieldPortrait,        // section G
    FieldCount = FieldPortrait
};

// What a read produced. Fields 1..fieldsRead were read completely; the others keep the defaults
// of TEnvelopeSettings. When reading stopped inside the address records (fieldsRead ==
// FieldAddressCount), addresses holds the entries completely read before the cut.
struct TSettingsReadResult
{
    TEnvelopeSettings values;
    int fieldsRead = 0;
    std::optional<QString> error; // set when the file ended inside a field: the input/output error

    bool has(TSettingsField field) const { return fieldsRead >= field; }
    // Section E was begun: the address list is to be replaced (by the entries read).
    bool hasAddressList() const { return fieldsRead >= FieldAddressCount; }
};

// Writes all 17 fields. Throws EInOutError when the device takes fewer bytes than given; the
// device then holds the bytes it took.
void WriteSettingsFile(QIODevice &file, const TEnvelopeSettings &settings);

// The byte image WriteSettingsFile produces.
QByteArray SettingsFileBytes(const TEnvelopeSettings &settings);

// Reads from the device's current position: fields 1 to 8, then sections A to G, each skipped when
// the device is at its end before it begins. Never throws for a cut file: the result says how far
// it got and carries the error. A negative address count reads as no addresses.
TSettingsReadResult ReadSettingsFile(QIODevice &file);
