#pragma once

#include "core/Envelope.h"

#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// What an envelope settings file (documents and options.dat) holds: the envelope and the address
// list with its window's "always open" tick. Fields 1 to 13 and 17 are the envelope's, in millimetres.
struct TEnvelopeSettings : EnvelopeValue
{
    QStringList addresses;     // 14, 15 section E
    bool keepListOpen = false; // 16 section F

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
