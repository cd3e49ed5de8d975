#pragma once

#include <QString>

#include <functional>

class QIODevice;

// How a replaced file is handed to the disk.
enum class TFileDurability {
    // The new content reaches the disk before it takes the old file's place, and the folder entry
    // after: once the call returns, a power cut leaves the new file.
    Synced,
    // No sync: for the writes that follow each other quickly inside one run. A failed write or a
    // killed program still never leaves a cut file, but a power cut may bring back an older one.
    Fast,
};

// Replaces fname's whole content with what write puts into the device it is given. The content is
// made whole first and written to a new file beside the old one, which takes the old one's place only
// once every byte was written; a failure or a kill before that leaves the old file as it was. An
// existing file keeps its permissions and owner; through a symbolic link the file it points to is
// replaced and the link stays. When the folder cannot take a new file but the file itself is writable,
// the file is written in place instead (room for the new content is reserved first, so a full disk
// still leaves the old content).
// Returns false, changing nothing, when the file cannot be created or is not writable (the platform's
// reason in *whyNot when given). Throws EInOutError when writing or the replacement fails, and passes
// on what write throws.
bool WriteFileAtomically(const QString &fname,
                         TFileDurability durability,
                         const std::function<void(QIODevice &)> &write,
                         QString *whyNot = nullptr);

// The steps of a replacement, in the order they happen.
enum class TReplaceStep {
    FileSynced,     // the new content is on the disk
    Swapped,        // the new file has taken the old one's place
    FolderSynced,   // the folder entry is on the disk
    WrittenInPlace, // the folder took no new file: the old file was overwritten
};

// Hears every step of every later replacement, with the file name given and the durability asked
// for, so a test can tell which writes were synced. An empty function removes it.
using TReplaceObserver = std::function<void(const QString &fname, TFileDurability, TReplaceStep)>;
void SetReplaceObserver(TReplaceObserver observer);
