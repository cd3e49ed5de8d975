#include "core/RunResume.h"

#include "core/SettingsStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

const QString Group = QStringLiteral("CsvPrintRuns");

// A path can hold '/' and '\\', which the store reads as nesting: the entry is named by a digest.
QString entryName(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace

TCsvFileIdentity TCsvFileIdentity::of(const QFileInfo &info)
{
    return {info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

bool ResumePlaceFits(const TResumePlace &place, int recordLine)
{
    return place.nextLine > 1 && recordLine == place.nextLine && place.printed >= 0
           && place.printed <= place.total;
}

TResumeStore::TResumeStore(QSettings &store)
    : m_store(store)
{}

std::optional<TResumePlace> TResumeStore::find(const TCsvFileIdentity &file) const
{
    m_store.beginGroup(Group);
    m_store.beginGroup(entryName(file.path));
    std::optional<TResumePlace> place;
    const TCsvFileIdentity stored{m_store.value(QStringLiteral("Path")).toString(),
                                  m_store.value(QStringLiteral("Size"), -1).toLongLong(),
                                  m_store.value(QStringLiteral("Modified"), -1).toLongLong()};
    const int line = m_store.value(QStringLiteral("NextLine"), 0).toInt();
    if (stored == file && line >= 1) {
        place = TResumePlace{line,
                             m_store.value(QStringLiteral("Printed")).toInt(),
                             m_store.value(QStringLiteral("Total")).toInt(),
                             m_store.value(QStringLiteral("FirstLine")).toString()};
    }
    m_store.endGroup();
    m_store.endGroup();
    return place;
}

QString TResumeStore::save(const TCsvFileIdentity &file, const TResumePlace &place)
{
    m_store.beginGroup(Group);
    m_store.beginGroup(entryName(file.path));
    m_store.setValue(QStringLiteral("Path"), file.path);
    m_store.setValue(QStringLiteral("Size"), file.size);
    m_store.setValue(QStringLiteral("Modified"), file.modifiedMs);
    m_store.setValue(QStringLiteral("NextLine"), place.nextLine);
    m_store.setValue(QStringLiteral("Printed"), place.printed);
    m_store.setValue(QStringLiteral("Total"), place.total);
    m_store.setValue(QStringLiteral("FirstLine"), place.firstAddressLine);
    m_store.setValue(QStringLiteral("Saved"), QDateTime::currentMSecsSinceEpoch());
    m_store.endGroup();

    // Files that are never printed again must not make the store grow: the oldest entries go.
    QList<QPair<qint64, QString>> entries;
    for (const QString &name : m_store.childGroups())
        entries.append({m_store.value(name + QStringLiteral("/Saved")).toLongLong(), name});
    std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype i = MaxEntries; i < entries.size(); ++i)
        m_store.remove(entries[i].second);
    m_store.endGroup();
    m_store.sync();
    return SettingsStoreError(
            m_store,
            QStringLiteral("Die Stelle, an der der Druck endete, kann nicht in „%1“ gespeichert werden."));
}

void TResumeStore::forget(const TCsvFileIdentity &file)
{
    m_store.beginGroup(Group);
    m_store.remove(entryName(file.path));
    m_store.endGroup();
    m_store.sync();
}
