#include "core/translateunit.h"

#include "core/AtomicFile.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/TablePlace.h"
#include "core/velmora.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <string>

TDynaArray *TranslationRows = nullptr;
TTranslationRow *CurrentRow = nullptr;
TDynaArray *TranslationIndex[256] = {};
TIndexEntry *CurrentEntry = nullptr;

namespace {

std::function<int()> g_language;
std::function<QString()> g_progpath;
// Set while the engine reads or writes its own table: an error text looked up then must not add a
// row or save the table it is in the middle of.
int g_busy = 0;

// TranslateText; without mayAdd a text the table does not hold comes back unchanged and adds nothing.
QString translate(const QString &text, bool mayAdd);

struct TEngineBusy
{
    TEngineBusy() { ++g_busy; }
    ~TEngineBusy() { --g_busy; }
    TEngineBusy(const TEngineBusy &) = delete;
    TEngineBusy &operator=(const TEngineBusy &) = delete;
};

int activeColumn()
{
    const int language = g_language ? g_language() : 0;
    return (language < 0 || language >= TranslationColumns) ? 0 : language;
}

// The program folder, ending in a separator; TablePlace decides from it where the table lies.
QString programFolder()
{
    QString folder;
    if (g_progpath)
        folder = g_progpath();
    else if (QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    return folder;
}

size_t textLength(const char16_t *text)
{
    return text ? std::char_traits<char16_t>::length(text) : 0;
}

// Copied unit for unit: QString::fromUtf16 would take a leading U+FEFF or U+FFFE for a byte order
// mark, drop it and maybe swap every unit.
QString unitsOf(const char16_t *text, size_t n)
{
    return QString(reinterpret_cast<const QChar *>(text), qsizetype(n));
}

QString textOf(const char16_t *text)
{
    return text ? unitsOf(text, textLength(text)) : QString();
}

bool sameText(const char16_t *text, QStringView key)
{
    const size_t n = textLength(text);
    return n == size_t(key.size()) && std::equal(key.utf16(), key.utf16() + n, text);
}

// Ordinal order: code units as unsigned numbers, a prefix before the longer text.
int compareTexts(const char16_t *a, const char16_t *b)
{
    const std::u16string_view x(a ? a : u""), y(b ? b : u"");
    return x.compare(y);
}

int bucketOf(QStringView text)
{
    return text.front().unicode() & 0xFF;
}

TIndexEntry *entryAt(TDynaArray *bucket, int index)
{
    return static_cast<TIndexEntry *>(bucket->GetObject(quint32(index)));
}

TTranslationRow *rowAt(int index)
{
    return static_cast<TTranslationRow *>(TranslationRows->GetObject(quint32(index)));
}

void freeRowTexts(TTranslationRow &row)
{
    for (char16_t *&text : row.texts)
        FreeTextCopy(text);
}

void freeIndex()
{
    for (TDynaArray *&bucket : TranslationIndex) {
        if (!bucket)
            continue;
        bucket->First();
        while (bucket->WhileNext())
            FreeTextCopy(CurrentEntry->text);
        delete bucket;
        bucket = nullptr;
    }
    CurrentEntry = nullptr;
}

void ensureRows()
{
    if (!TranslationRows)
        TranslationRows = new TTypedArray<TTranslationRow>(&CurrentRow);
}

// Fills fresh buckets from column 0 of every row and sorts them.
void indexRows()
{
    freeIndex();
    for (TDynaArray *&bucket : TranslationIndex)
        bucket = new TTypedArray<TIndexEntry>(&CurrentEntry);
    ensureRows();
    TranslationRows->First();
    while (TranslationRows->WhileNext()) {
        const int row = TranslationRows->aobjnr() - 1;
        const char16_t *german = CurrentRow->texts[0];
        if (textLength(german) == 0)
            continue;
        TDynaArray *bucket = TranslationIndex[german[0] & 0xFF];
        if (!bucket->Add())
            continue;
        AllocTextCopy(CurrentEntry->text, textOf(german));
        CurrentEntry->row = row;
    }
    for (TDynaArray *bucket : TranslationIndex) {
        if (bucket->count() > 0)
            SortBucket(bucket, 0, int(bucket->count()) - 1);
    }
}

void ensureIndex()
{
    if (!TranslationIndex[0])
        indexRows();
}

// Appends a row built from the texts read; only whole rows reach the table.
bool appendRow(const QString (&texts)[TranslationColumns])
{
    TTranslationRow *row = static_cast<TTranslationRow *>(TranslationRows->Add());
    if (!row)
        return false;
    for (int k = 0; k < TranslationColumns; ++k) {
        if (!texts[k].isEmpty())
            AllocTextCopy(row->texts[k], texts[k]);
    }
    return true;
}

struct Message
{
    int number;
    const char16_t *text;
};

constexpr Message Messages[] = {
        {1, u"Bitte schließen Sie das Program und starten Sie es neu."},
        {2, u"Übersetzen"},
        {6, u"Um den Druck zu beginnen, klicken Sie auf Ok."},
        {7, u"Seriendruck"},
        {8, u"Konnte die Datei nicht öffnen!"},
        {9, u"Plikato"},
        {10, u"mm"},
        {11, u"Kuvertino"},
        {12, u"https://www.velmora.example/kuvertino/"},
        {13, u"Zoll"},
        {29, u"Suchen"},
        {30, u"Weitersuchen?"},
        {31, u"Zeile löschen"},
};

} // namespace

void SetTranslationHost(std::function<int()> language, std::function<QString()> progpath)
{
    g_language = std::move(language);
    g_progpath = std::move(progpath);
    // From now on the file errors speak the interface language too.
    SetIoTextTranslator([](const QString &german) { return translate(german, g_busy == 0); });
}

void AllocTextCopy(char16_t *&slot, const QString &text)
{
    const size_t n = size_t(text.size());
    char16_t *copy = new char16_t[n + 1]();
    std::copy(text.utf16(), text.utf16() + n, copy);
    slot = copy;
}

void FreeTextCopy(char16_t *&slot)
{
    delete[] slot;
    slot = nullptr;
}

void LoadTranslationRows(QIODevice &file)
{
    ensureRows();
    const TEngineBusy busy;
    try {
        const qint32 columns = ReadInt32(file);
        const qint32 rows = ReadInt32(file);
        // Rows without columns carry nothing, and a negative column count is no table at all.
        if (columns <= 0 || rows <= 0)
            return;
        QString texts[TranslationColumns];
        QString dropped;
        for (qint32 r = 0; r < rows; ++r) {
            for (qint32 k = 0; k < columns; ++k)
                ReadWideRecord(file, k < TranslationColumns ? texts[k] : dropped);
            if (!appendRow(texts))
                return;
            for (QString &text : texts)
                text.clear();
        }
    } catch (const EInOutError &) {
        // A cut file: keep the rows read completely.
    }
}

void LoadTranslationTable()
{
    QFile file(TranslationTablePlace(programFolder()).readFrom);
    if (!file.open(QIODevice::ReadOnly))
        return;
    LoadTranslationRows(file);
}

void WriteTranslationRows(QIODevice &file)
{
    ensureRows();
    const TEngineBusy busy;
    WriteInt32(file, TranslationColumns);
    WriteInt32(file, qint32(TranslationRows->count()));
    TranslationRows->First();
    while (TranslationRows->WhileNext()) {
        for (const char16_t *text : CurrentRow->texts)
            WriteWideRecord(file, textOf(text));
    }
}

void SaveTranslationTable()
{
    const TEngineBusy busy;
    // A table that cannot be created is skipped; the rows stay in memory for the next save.
    WriteFileAtomically(
            TranslationTableForWriting(programFolder()), TFileDurability::Synced, WriteTranslationRows);
}

void BuildTranslationIndex()
{
    FreeTranslationTable();
    ensureRows();
    LoadTranslationTable();
    indexRows();
}

void SortBucket(TDynaArray *bucket, int lo, int hi)
{
    // The smaller part is sorted by recursion and the larger one by the loop, so a crafted table
    // cannot drive the recursion as deep as the bucket is long; the result is the same.
    while (lo < hi) {
        int i = lo;
        int j = hi;
        const std::u16string pivot(textOf(entryAt(bucket, lo + (hi - lo) / 2)->text).toStdU16String());
        do {
            while (compareTexts(entryAt(bucket, i)->text, pivot.c_str()) < 0)
                ++i;
            while (compareTexts(entryAt(bucket, j)->text, pivot.c_str()) > 0)
                --j;
            if (i <= j) {
                bucket->Change(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j)
                SortBucket(bucket, lo, j);
            lo = i;
        } else {
            if (i < hi)
                SortBucket(bucket, i, hi);
            hi = j;
        }
    }
}

QString TranslateText(const QString &text)
{
    return translate(text, true);
}

namespace {

QString translate(const QString &text, bool mayAdd)
{
    if (text.isEmpty())
        return text;
    qsizetype lead = 0;
    while (lead < text.size() && text.at(lead) == QLatin1Char(' '))
        ++lead;
    qsizetype trail = 0;
    while (trail < text.size() - lead && text.at(text.size() - 1 - trail) == QLatin1Char(' '))
        ++trail;
    const QStringView key = QStringView(text).mid(lead, text.size() - lead - trail);
    if (key.isEmpty())
        return text;

    if (!mayAdd && !TranslationIndex[0])
        return text;
    ensureIndex();
    TDynaArray *bucket = TranslationIndex[bucketOf(key)];
    bucket->First();
    while (bucket->WhileNext()) {
        if (!sameText(CurrentEntry->text, key))
            continue;
        const qint32 row = CurrentEntry->row;
        if (row < 0 || quint32(row) >= TranslationRows->count())
            continue;
        const char16_t *column = rowAt(row)->texts[activeColumn()];
        const size_t n = textLength(column);
        if (n == 0)
            return text;
        size_t from = 0;
        size_t to = n;
        while (from < to && column[from] <= u' ')
            ++from;
        while (to > from && column[to - 1] <= u' ')
            --to;
        return QString(lead, QLatin1Char(' ')) + unitsOf(column + from, to - from)
               + QString(trail, QLatin1Char(' '));
    }

    if (!mayAdd)
        return text;
    const QString german = key.toString();
    TTranslationRow *row = static_cast<TTranslationRow *>(TranslationRows->Add());
    if (!row)
        return text;
    AllocTextCopy(row->texts[0], german);
    const qint32 rowNumber = qint32(TranslationRows->count()) - 1;
    if (bucket->Add()) {
        AllocTextCopy(CurrentEntry->text, german);
        CurrentEntry->row = rowNumber;
    }
    try {
        SaveTranslationTable();
    } catch (const EInOutError &) {
        // The new row stays in memory and goes out with the next save; a text must still be shown.
    }
    return text;
}

} // namespace

void GetMessageText(int n, QString &result)
{
    for (const Message &message : Messages) {
        if (message.number == n) {
            result = TranslateText(textOf(message.text));
            return;
        }
    }
}

QString MessageText(int n)
{
    QString result;
    GetMessageText(n, result);
    return result;
}

void RegisterMessages()
{
    for (const Message &message : Messages)
        TranslateText(textOf(message.text));
}

int TranslationRowCount()
{
    return TranslationRows ? int(TranslationRows->count()) : 0;
}

QString TranslationCell(int row, int column)
{
    if (row < 0 || row >= TranslationRowCount() || column < 0 || column >= TranslationColumns)
        return QString();
    return textOf(rowAt(row)->texts[column]);
}

void SetTranslationCell(int row, int column, const QString &value)
{
    if (row < 0 || row >= TranslationRowCount() || column < 0 || column >= TranslationColumns)
        return;
    char16_t *&slot = rowAt(row)->texts[column];
    FreeTextCopy(slot);
    AllocTextCopy(slot, value);
}

void DeleteTranslationRow(int row)
{
    if (row < 0 || row >= TranslationRowCount())
        return;
    freeRowTexts(*rowAt(row));
    TranslationRows->Delete(row);
    indexRows();
}

void FreeTranslationTable()
{
    freeIndex();
    if (TranslationRows) {
        TranslationRows->First();
        while (TranslationRows->WhileNext())
            freeRowTexts(*CurrentRow);
        delete TranslationRows;
        TranslationRows = nullptr;
    }
    CurrentRow = nullptr;
}
