#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// What a file chosen for a CSV run turned out to be when it is no text file.
enum class NonTextKind {
    None,         // text, as far as the first bytes tell
    ZipContainer, // xlsx, ods, docx, odt... (all zip containers)
    OfficeLegacy, // the compound file of xls and doc
    Pdf,
    Png,
    Jpeg,
    Gif,
    Bmp,
    Tiff,
    WebP,
    Utf16Text, // text, but in 16-bit units: the 8-bit reader would see a NUL in every other byte
    NulBytes   // anything else with a NUL byte
};

// How much of a file's start the check looks at.
inline constexpr qint64 NonTextProbeSize = 64 * 1024;

// Names the kind of file whose first bytes are head (only the first NonTextProbeSize bytes count).
// A known signature at the start wins; otherwise a UTF-16 byte-order mark, then any NUL byte.
NonTextKind DetectNonText(const QByteArray &head);

// The same for an open device, from its current position; the position is left where it was.
NonTextKind DetectNonText(QIODevice &device);

// The refusal for the user: what the file is and what to do instead, in the interface language.
// fileName is shown as given (callers pass the name without its folder).
QString NonTextMessage(NonTextKind kind, const QString &fileName);
