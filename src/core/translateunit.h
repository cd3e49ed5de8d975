#pragma once

#include <QString>

#include <functional>

class QIODevice;
class TDynaArray;

// One row of the translation table: 20 language columns, each a separately allocated
// zero-terminated UTF-16 copy or null (reads as empty).
struct TTranslationRow
{
    char16_t *texts[20];
};

struct TIndexEntry
{
    char16_t *text;
    qint32 row;
};

inline constexpr int TranslationColumns = 20;

extern TDynaArray *TranslationRows;
extern TTranslationRow *CurrentRow;
extern TDynaArray *TranslationIndex[256];
extern TIndexEntry *CurrentEntry;

// The two values the engine takes from the main window: the active language column and the program
// folder (ending in a separator) that holds "translate.dat". Also makes the file error texts pass
// through the table.
void SetTranslationHost(std::function<int()> language, std::function<QString()> progpath);

// Frees any table held, loads "translate.dat" and builds the 256 sorted buckets.
void BuildTranslationIndex();
// Appends the rows of "translate.dat" to TranslationRows; a missing or malformed file is no error.
void LoadTranslationTable();
// Writes the table through a temporary file that replaces "translate.dat" only when complete (in
// place when the folder takes no new file). A file that cannot be created is skipped silently; a
// write that fails afterwards throws EInOutError and leaves the old file as it was.
void SaveTranslationTable();
// Appends the whole rows a table file holds; stops silently at the first cut record, and reads no
// rows when the column count is not positive.
void LoadTranslationRows(QIODevice &file);
// Writes the table in the file format (20 columns). Throws EInOutError when a write fails.
void WriteTranslationRows(QIODevice &file);
void SortBucket(TDynaArray *bucket, int lo, int hi);
// The text in the active language with its outer spaces kept; an unknown text is added to the table
// and saved, and comes back unchanged.
QString TranslateText(const QString &text);
void GetMessageText(int n, QString &result);
// Convenience: the message's text, or an empty string for an unknown number.
QString MessageText(int n);
void RegisterMessages();
// Stores a new zero-terminated copy of text in slot; whatever the slot held is not released.
void AllocTextCopy(char16_t *&slot, const QString &text);
// Releases a copy made by AllocTextCopy (null is fine) and empties the slot. The one place the
// table's texts are freed.
void FreeTextCopy(char16_t *&slot);

// Typed access for the translation editor.
int TranslationRowCount();
QString TranslationCell(int row, int column);
// Releases the old text and stores a copy of value (no trimming). Does not save.
void SetTranslationCell(int row, int column, const QString &value);
// Releases the row's texts and deletes it; the index is rebuilt so no entry points at a wrong row.
void DeleteTranslationRow(int row);
// Frees everything (tests, program end).
void FreeTranslationTable();
