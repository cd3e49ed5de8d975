#include "FolderFlags.h"
#include "ScriptedDialogs.h"
#include "core/AtomicFile.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/translateunit.h"
#include "core/velmora.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

using Rows = QList<QStringList>;

// The file format written out by hand, so the tests do not depend on the writer under test.
QByteArray int32le(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(v) >> (8 * i)) & 0xFF);
    return b;
}

QByteArray record(const QString &text)
{
    QByteArray b = int32le(qint32(text.size()));
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}

QByteArray tableBytes(qint32 columns, const Rows &rows, qint32 rowCount = -1)
{
    QByteArray b = int32le(columns) + int32le(rowCount < 0 ? qint32(rows.size()) : rowCount);
    for (const QStringList &row : rows) {
        for (qint32 k = 0; k < columns; ++k)
            b += record(k < row.size() ? row[k] : QString());
    }
    return b;
}

QStringList rowOf(int row)
{
    QStringList cells;
    for (int k = 0; k < TranslationColumns; ++k)
        cells.append(TranslationCell(row, k));
    return cells;
}

QStringList padded(QStringList row)
{
    while (row.size() < TranslationColumns)
        row.append(QString());
    return row.mid(0, TranslationColumns);
}

QStringList indexTexts(int bucket)
{
    QStringList texts;
    TDynaArray *b = TranslationIndex[bucket];
    b->First();
    while (b->WhileNext())
        texts.append(QStringView(CurrentEntry->text).toString());
    return texts;
}

} // namespace

class TestTranslateUnit : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    int m_language = 1;

    QString tablePath() const { return m_dir->filePath("translate.dat"); }
    void writeTable(const QByteArray &bytes)
    {
        QFile f(tablePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray tableOnDisk() const
    {
        QFile f(tablePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void loadTable(const QByteArray &bytes)
    {
        writeTable(bytes);
        BuildTranslationIndex();
    }

    // Rows of the lookup table below.
    static Rows sampleRows()
    {
        QStringList nineteen = padded({"Datei", "File"});
        nineteen[19] = "Neunzehn";
        return {nineteen,
                {"Leer"},
                {"Nur", "   "},
                {"Rand", "  Edge \r\n"},
                {"\tTab", "\tTab-en"},
                {" Space", "Leading"},
                {"", "Orphan"},
                {"Über", "Over"},
                {"Łódź", "Lodz"},
                {"\uFEFFKopf", "\uFFFEHead"}};
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_language = 1;
        SetTranslationHost([this] { return m_language; }, [this] { return m_dir->path() + "/"; });
    }
    void cleanup()
    {
        FreeTranslationTable();
        delete m_dir;
        m_dir = nullptr;
    }

    void translateText_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("added"); // key of the row added, or empty
        QTest::newRow("empty") << 1 << ""
                               << ""
                               << "";
        QTest::newRow("only spaces") << 1 << "   "
                                     << "   "
                                     << "";
        QTest::newRow("found") << 1 << "Datei"
                               << "File"
                               << "";
        QTest::newRow("outer spaces kept") << 1 << "  Datei "
                                           << "  File "
                                           << "";
        QTest::newRow("column 0") << 0 << " Datei"
                                  << " Datei"
                                  << "";
        QTest::newRow("column 19") << 19 << "Datei "
                                   << "Neunzehn "
                                   << "";
        QTest::newRow("language 20 reads column 0") << 20 << "Datei"
                                                    << "Datei"
                                                    << "";
        QTest::newRow("language -1 reads column 0") << -1 << "Datei"
                                                    << "Datei"
                                                    << "";
        QTest::newRow("untranslated") << 1 << " Leer  "
                                      << " Leer  "
                                      << "";
        QTest::newRow("translation only spaces") << 1 << "Nur"
                                                 << ""
                                                 << "";
        QTest::newRow("translation only spaces, outer") << 1 << " Nur "
                                                        << "  "
                                                        << "";
        QTest::newRow("translation trimmed") << 1 << "  Rand "
                                             << "  Edge "
                                             << "";
        QTest::newRow("tab stays in key, German") << 0 << "\tTab"
                                                  << "Tab"
                                                  << "";
        QTest::newRow("tab stays in key") << 1 << "\tTab "
                                          << "Tab-en "
                                          << "";
        QTest::newRow("tab is no space") << 1 << "Datei\t"
                                         << "Datei\t"
                                         << "Datei\t";
        QTest::newRow("case differs") << 1 << "datei"
                                      << "datei"
                                      << "datei";
        QTest::newRow("case differs, spaces") << 1 << " DATEI "
                                              << " DATEI "
                                              << "DATEI";
        QTest::newRow("German with space never found") << 1 << " Space"
                                                       << " Space"
                                                       << "Space";
        QTest::newRow("bucket 0xDC") << 1 << "Über"
                                     << "Over"
                                     << "";
        QTest::newRow("bucket 0x41") << 1 << "Łódź"
                                     << "Lodz"
                                     << "";
        QTest::newRow("same bucket, other text") << 1 << "Aber"
                                                 << "Aber"
                                                 << "Aber";
        QTest::newRow("no byte order marks") << 1 << "\uFEFFKopf"
                                             << "\uFFFEHead"
                                             << "";
        QTest::newRow("line break kept") << 1 << "Zeile\r\n"
                                         << "Zeile\r\n"
                                         << "Zeile\r\n";
    }
    void translateText()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, added);
        const Rows rows = sampleRows();
        loadTable(tableBytes(20, rows));
        QCOMPARE(TranslationRowCount(), rows.size());
        m_language = language;
        QCOMPARE(TranslateText(text), expected);
        QCOMPARE(TranslationRowCount(), rows.size() + (added.isEmpty() ? 0 : 1));
        Rows onDisk = rows;
        if (!added.isEmpty()) {
            QCOMPARE(rowOf(rows.size()), padded({added}));
            onDisk.append({added});
            // Found again without a rebuild, through the entry appended to its bucket.
            SetTranslationCell(rows.size(), 1, "neu");
            m_language = 1;
            QCOMPARE(TranslateText(text), QString(text).replace(added, "neu"));
            QCOMPARE(TranslationRowCount(), rows.size() + 1);
            QCOMPARE(tableOnDisk(), tableBytes(20, onDisk));
        } else {
            QCOMPARE(tableOnDisk(), tableBytes(20, rows)); // untouched
        }
    }

    void newTextOnDiskAndFoundAfterRestart()
    {
        BuildTranslationIndex(); // no file yet: an empty table
        QCOMPARE(TranslationRowCount(), 0);
        QVERIFY(!QFile::exists(tablePath()));
        QCOMPARE(TranslateText("  Neu "), QString("  Neu "));
        QCOMPARE(tableOnDisk(), int32le(20) + int32le(1) + record("Neu") + QByteArray(19 * 4, '\0'));
        SetTranslationCell(0, 1, "New");
        SaveTranslationTable();
        BuildTranslationIndex();
        QCOMPARE(TranslateText("Neu "), QString("New "));
        QCOMPARE(TranslationRowCount(), 1);
    }

    void columnCounts_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("19") << 19;
        QTest::newRow("20") << 20;
        QTest::newRow("22") << 22;
    }
    void columnCounts()
    {
        QFETCH(int, columns);
        Rows rows;
        for (int r = 0; r < 3; ++r) {
            QStringList row;
            for (int k = 0; k < columns; ++k)
                row.append(QString("r%1c%2").arg(r).arg(k));
            rows.append(row);
        }
        loadTable(tableBytes(columns, rows));
        QCOMPARE(TranslationRowCount(), 3);
        Rows expected;
        for (const QStringList &row : rows)
            expected.append(padded(row));
        for (int r = 0; r < 3; ++r)
            QCOMPARE(rowOf(r), expected[r]);
        SaveTranslationTable();
        QCOMPARE(tableOnDisk(), tableBytes(20, expected));
    }

    void cutFile_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("rows");
        const Rows rows = sampleRows();
        QList<int> rowEnds;
        int offset = 8;
        for (const QStringList &row : rows) {
            for (int k = 0; k < 20; ++k)
                offset += 4 + 2 * int(k < row.size() ? row[k].size() : 0);
            rowEnds.append(offset);
        }
        for (int length = 0; length < offset; ++length) {
            const int complete = int(
                    std::count_if(rowEnds.begin(), rowEnds.end(), [&](int end) { return end <= length; }));
            QTest::addRow("%d bytes", length) << length << complete;
        }
    }
    void cutFile()
    {
        QFETCH(int, length);
        QFETCH(int, rows);
        const Rows all = sampleRows();
        loadTable(tableBytes(20, all).left(length));
        QCOMPARE(TranslationRowCount(), rows);
        for (int r = 0; r < rows; ++r)
            QCOMPARE(rowOf(r), padded(all[r]));
        m_language = 1;
        QCOMPARE(TranslateText("Datei"), rows >= 1 ? QString("File") : QString("Datei"));
    }

    void oddHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");
        const Rows two{{"Eins", "One"}, {"Zwei", "Two"}};
        const QByteArray body = tableBytes(20, two).mid(8);
        QTest::newRow("negative columns") << int32le(-1) + int32le(2) + body << 0;
        QTest::newRow("zero columns, huge row count") << int32le(0) + int32le(0x7FFFFFFF) << 0;
        QTest::newRow("negative rows") << int32le(20) + int32le(-5) + body << 0;
        QTest::newRow("huge row count") << int32le(20) + int32le(0x7FFFFFFF) + body << 2;
        QTest::newRow("fewer rows than stored") << int32le(20) + int32le(1) + body << 1;
        QTest::newRow("huge column count") << int32le(0x7FFFFFFF) + int32le(1) + body << 0;
        QTest::newRow("record count lies") << int32le(20) + int32le(1) + int32le(0x40000000) + body << 0;
    }
    void oddHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        loadTable(bytes);
        QCOMPARE(TranslationRowCount(), rows);
        QCOMPARE(TranslateText("Eins"), rows >= 1 ? QString("One") : QString("Eins"));
    }

    void indexIsSortedOrdinal()
    {
        loadTable(tableBytes(20, {{"Ab"}, {"Ł"}, {"AB"}, {"A"}, {"b"}, {"Ab"}, {"Ä"}, {"Ü"}}));
        QCOMPARE(indexTexts(0x41), (QStringList{"A", "AB", "Ab", "Ab", "Ł"}));
        QCOMPARE(indexTexts(0xDC), QStringList{"Ü"});
        QCOMPARE(indexTexts(0xC4), QStringList{"Ä"});
        QCOMPARE(indexTexts(0x62), QStringList{"b"});
        TDynaArray *bucket = TranslationIndex[0x41];
        bucket->First();
        while (bucket->WhileNext())
            QCOMPARE(TranslationCell(CurrentEntry->row, 0), QStringView(CurrentEntry->text).toString());
    }

    void sortBucket_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("one") << QStringList{"x"};
        QTest::newRow("reversed") << QStringList{"e", "d", "c", "b", "a"};
        QTest::newRow("duplicates") << QStringList{"b", "a", "b", "a", "b", "a", "b"};
        QTest::newRow("all equal") << QStringList{"q", "q", "q", "q"};
        QTest::newRow("prefixes") << QStringList{"abc", "ab", "abcd", "a", "abc"};
        QTest::newRow("unsigned units") << QStringList{"\u00FF", "\uFFFF", "a", "\u0100", "\U0001F600"};
        QStringList many;
        QRandomGenerator rng(42);
        for (int i = 0; i < 3000; ++i)
            many.append(QString::number(rng.bounded(500)));
        QTest::newRow("3000 random") << many;
        QStringList sorted;
        for (int i = 0; i < 3000; ++i)
            sorted.append(QString("%1").arg(i, 5, 10, QChar('0')));
        QTest::newRow("3000 sorted") << sorted;
    }
    void sortBucket()
    {
        QFETCH(QStringList, texts);
        TIndexEntry *current = nullptr;
        TTypedArray<TIndexEntry> bucket(&current);
        for (int i = 0; i < texts.size(); ++i) {
            TIndexEntry *e = bucket.add();
            AllocTextCopy(e->text, texts[i]);
            e->row = i;
        }
        SortBucket(&bucket, 0, int(bucket.count()) - 1);
        QStringList got;
        for (quint32 i = 0; i < bucket.count(); ++i) {
            TIndexEntry *e = bucket.at(i);
            got.append(QStringView(e->text).toString());
            QCOMPARE(got.last(), texts[e->row]); // entries move whole
            FreeTextCopy(e->text);
        }
        QStringList expected = texts;
        std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
            return QStringView(a).compare(QStringView(b), Qt::CaseSensitive) < 0;
        });
        QCOMPARE(got, expected);
    }

    void messages_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text"); // empty: not a message, the result stays as it was
        QTest::newRow("0") << 0 << "";
        QTest::newRow("1") << 1 << "Bitte schließen Sie das Program und starten Sie es neu.";
        QTest::newRow("2") << 2 << "Übersetzen";
        QTest::newRow("3") << 3 << "";
        QTest::newRow("5") << 5 << "";
        QTest::newRow("6") << 6 << "Um den Druck zu beginnen, klicken Sie auf Ok.";
        QTest::newRow("7") << 7 << "Seriendruck";
        QTest::newRow("8") << 8 << "Konnte die Datei nicht öffnen!";
        QTest::newRow("9") << 9 << "Plikato";
        QTest::newRow("10") << 10 << "mm";
        QTest::newRow("11") << 11 << "Kuvertino";
        QTest::newRow("12") << 12 << "https://www.velmora.example/kuvertino/";
        QTest::newRow("13") << 13 << "Zoll";
        QTest::newRow("14") << 14 << "";
        QTest::newRow("28") << 28 << "";
        QTest::newRow("29") << 29 << "Suchen";
        QTest::newRow("30") << 30 << "Weitersuchen?";
        QTest::newRow("31") << 31 << "Zeile löschen";
        QTest::newRow("32") << 32 << "";
        QTest::newRow("-1") << -1 << "";
    }
    void messages()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        BuildTranslationIndex();
        QString result("before");
        GetMessageText(number, result);
        QCOMPARE(result, text.isEmpty() ? QString("before") : text);
        QCOMPARE(MessageText(number), text);
        QCOMPARE(TranslationRowCount(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            SetTranslationCell(0, 1, " translated\n");
            GetMessageText(number, result);
            QCOMPARE(result, QString("translated"));
        }
    }

    void registerMessagesInNumberOrder()
    {
        BuildTranslationIndex();
        RegisterMessages();
        const QList<int> numbers{1, 2, 6, 7, 8, 9, 10, 11, 12, 13, 29, 30, 31};
        QCOMPARE(TranslationRowCount(), numbers.size());
        Rows expected;
        for (int i = 0; i < numbers.size(); ++i) {
            QCOMPARE(TranslationCell(i, 0), MessageText(numbers[i]));
            expected.append({MessageText(numbers[i])});
        }
        RegisterMessages();
        QCOMPARE(TranslationRowCount(), numbers.size());
        QCOMPARE(tableOnDisk(), tableBytes(20, expected));
    }

    void deleteRowKeepsLookupsRight()
    {
        loadTable(tableBytes(20, {{"A1", "a-one"}, {"A2", "a-two"}, {"A3", "a-three"}}));
        DeleteTranslationRow(0);
        QCOMPARE(TranslateText("A2"), QString("a-two"));
        QCOMPARE(TranslateText("A3"), QString("a-three"));
        DeleteTranslationRow(1);
        QCOMPARE(TranslationRowCount(), 1);
        QCOMPARE(TranslateText("A3"), QString("A3")); // gone: added again as a new row
        QCOMPARE(TranslationRowCount(), 2);
        QCOMPARE(TranslateText("A2"), QString("a-two"));
        DeleteTranslationRow(5);
        QCOMPARE(TranslationRowCount(), 2);
    }

    void saveThatCannotCreateIsSilent()
    {
        BuildTranslationIndex();
        SetTranslationHost([] { return 1; }, [this] { return m_dir->filePath("missing/folder/"); });
        QCOMPARE(TranslateText("Neu"), QString("Neu"));
        SaveTranslationTable();
        QCOMPARE(TranslationRowCount(), 1);
        QVERIFY(!QFile::exists(m_dir->filePath("missing")));
    }

    void folderWithoutRoomForANewFileStillGetsTheTable()
    {
        // A program folder where no new file can be made but translate.dat is writable: the table is
        // written in place instead of being lost.
        loadTable(tableBytes(20, {{"Alt", "Old"}}));
        QList<TFileDurability> used;
        SetReplaceObserver([&used](const QString &, TFileDurability durability, TReplaceStep step) {
            if (step == TReplaceStep::WrittenInPlace || step == TReplaceStep::Swapped)
                used.append(durability);
        });
        const auto unhook = qScopeGuard([] { SetReplaceObserver({}); });
        QString shown;
        {
            const ImmutableFolder fixed(m_dir->path());
            QVERIFY2(fixed.isSet(), "making a folder immutable needs root on ext4");
            shown = TranslateText("Neu");
            SetTranslationCell(0, 2, "Vieux");
            SaveTranslationTable();
        }
        QCOMPARE(shown, QString("Neu"));
        QCOMPARE(tableOnDisk(), tableBytes(20, {{"Alt", "Old", "Vieux"}, {"Neu"}}));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"translate.dat"});
        QCOMPARE(used, (QList<TFileDurability>{TFileDurability::Synced, TFileDurability::Synced}));
    }

    void fileErrorTextsComeFromTheTable()
    {
        loadTable(tableBytes(20, {{"Fehler beim Schreiben der Datei", "Error writing the file"}}));
        m_language = 1;
        QCOMPARE(WriteFailedMessage(QString("No space left on device")),
                 QString("Error writing the file: No space left on device"));
        // A text the table lacks is shown in German and collected like any other.
        QCOMPARE(ShortReadMessage(), QString("Lesen über das Dateiende hinaus"));
        QCOMPARE(TranslationRowCount(), 2);
        QCOMPARE(TranslationCell(1, 0), QString("Lesen über das Dateiende hinaus"));
        m_language = 0;
        QCOMPARE(WriteFailedMessage(QString()), QString("Fehler beim Schreiben der Datei"));
    }

    void cutTableAddsNoErrorText()
    {
        // Reading a cut table raises a short read inside the engine; its text must not become a row
        // of the table being loaded, nor be saved over the file.
        const QByteArray cut = tableBytes(20, {{"Eins", "One"}, {"Zwei", "Two"}}).chopped(3);
        loadTable(cut);
        QCOMPARE(TranslationRowCount(), 1);
        QCOMPARE(tableOnDisk(), cut);
    }

    void failingSaveKeepsOldFile()
    {
        const QByteArray old = tableBytes(20, {{"Alt", "Old"}});
        loadTable(old);
        // Writes beyond the file-size limit fail, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = rlim_t(old.size() + 64);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString longText(200, QChar('x'));
        QString shown;
        bool raisedThroughLookup = false;
        bool raisedOnSave = false;
        try {
            shown = TranslateText(longText);
            SaveTranslationTable();
        } catch (const EInOutError &) {
            raisedOnSave = true;
        } catch (...) {
            raisedThroughLookup = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(shown, longText);
        QVERIFY(!raisedThroughLookup);
        QVERIFY(raisedOnSave);
        QCOMPARE(tableOnDisk(), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"translate.dat"});
        QCOMPARE(TranslationRowCount(), 2);
        SaveTranslationTable(); // the next save tries again
        QCOMPARE(tableOnDisk(), tableBytes(20, {{"Alt", "Old"}, {longText}}));
    }
};

QTEST_GUILESS_MAIN(TestTranslateUnit)
#include "tst_translateunit.moc"
