#pragma once

#include <QString>

#include <optional>

class QFileInfo;
class QSettings;

// Which file a stopped print run read: a file changed since then is another file.
struct TCsvFileIdentity
{
    QString path; // absolute
    qint64 size = 0;
    qint64 modifiedMs = 0; // modification time, milliseconds since the epoch (UTC)

    static TCsvFileIdentity of(const QFileInfo &info);
    bool operator==(const TCsvFileIdentity &) const = default;
};

// Where a print run over a file stopped early.
struct TResumePlace
{
    int nextLine = 0;         // line number (from 1) of the first record not printed
    int printed = 0;          // envelopes handed to the printer in that run
    int total = 0;            // envelopes the run was to print
    QString firstAddressLine; // the next record's first line, to name it in the question
};

// Whether a stored place can have come from a run over the file it names: its next line is a later
// line than the first and the one the file's first record at or after it stands on (recordLine, 0
// when the file has none there), and 0 <= printed <= total. Any other place is damaged or foreign.
bool ResumePlaceFits(const TResumePlace &place, int recordLine);

// The places of stopped runs, kept in the per-user settings store under one group, one entry per file
// path. Only the newest MaxEntries entries are kept; an entry whose file changed is never returned.
class TResumeStore
{
public:
    static constexpr int MaxEntries = 20;

    explicit TResumeStore(QSettings &store);

    std::optional<TResumePlace> find(const TCsvFileIdentity &file) const;
    // Empty when the place is kept; otherwise why not, for the user (the store's file and reason).
    [[nodiscard]] QString save(const TCsvFileIdentity &file, const TResumePlace &place);
    void forget(const TCsvFileIdentity &file);

private:
    QSettings &m_store;
};
