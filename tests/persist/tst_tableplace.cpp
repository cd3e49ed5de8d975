#include "TranslateTestSupport.h"

#include "core/TablePlace.h"
#include "core/translateunit.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Prog = QStringLiteral("/opt/k/bin/");
const QString Shared = QStringLiteral("/opt/k/share/kuvertino/");
const QString User = QStringLiteral("/home/u/.local/share/Velmora/Kuvertino/");

// A file system given as the files that exist and the paths that may be written.
FolderProbe fakeProbe(const QStringList &files, const QStringList &writable)
{
    const QSet<QString> f(files.begin(), files.end());
    const QSet<QString> w(writable.begin(), writable.end());
    return {[f](const QString &file) { return f.contains(file); },
            [w](const QString &path) { return w.contains(path); }};
}

} // namespace

class TestTablePlace : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_readOnlyFolder; // the probe says nothing in this folder may be written

    QString prog() const { return m_dir->filePath("usr/bin/"); }
    QString shipped() const { return m_dir->filePath("usr/share/kuvertino/translate.dat"); }
    QString userCopy() const { return m_dir->filePath("data/Velmora/Kuvertino/translate.dat"); }
    QString besideProgram() const { return prog() + "translate.dat"; }
    void restart()
    {
        FreeTranslationTable();
        BuildTranslationIndex();
    }

private slots:
    void choose_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("writable");
        QTest::addColumn<QString>("readFrom");
        QTest::addColumn<QString>("writeTo");
        const QString own = Prog + "translate.dat";
        const QString ship = Shared + "translate.dat";
        const QString mine = User + "translate.dat";
        QTest::newRow("build folder") << QStringList{own} << QStringList{Prog, own} << own << own;
        QTest::newRow("writable folder, no table yet") << QStringList{} << QStringList{Prog} << own << own;
        QTest::newRow("writable table, read-only folder")
                << QStringList{own} << QStringList{own} << own << own;
        QTest::newRow("read-only table, writable folder")
                << QStringList{own} << QStringList{Prog} << own << own;
        QTest::newRow("own table wins over shipped")
                << QStringList{own, ship} << QStringList{Prog} << own << own;
        QTest::newRow("installed, first start") << QStringList{ship} << QStringList{} << ship << mine;
        QTest::newRow("installed, user copy") << QStringList{ship, mine} << QStringList{mine} << mine << mine;
        QTest::newRow("installed, writable bin (root)")
                << QStringList{ship} << QStringList{Prog} << ship << mine;
        QTest::newRow("installed, writable bin, user copy")
                << QStringList{ship, mine} << QStringList{Prog} << mine << mine;
        QTest::newRow("read-only copy with table") << QStringList{own} << QStringList{} << own << mine;
        QTest::newRow("read-only copy, user copy") << QStringList{own, mine} << QStringList{} << mine << mine;
        QTest::newRow("read-only, no table anywhere") << QStringList{} << QStringList{} << ship << mine;
    }
    void choose()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, writable);
        QFETCH(QString, readFrom);
        QFETCH(QString, writeTo);
        const TablePlace place = ChooseTablePlace(Prog, Shared, User, fakeProbe(files, writable));
        QCOMPARE(place.readFrom, readFrom);
        QCOMPARE(place.writeTo, writeTo);
    }

    void sharedFolderBesideBin()
    {
        QCOMPARE(SharedDataFolder("/usr/bin/"), QString("/usr/bin/../share/kuvertino/"));
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(prog()));
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toLocal8Bit());
        m_readOnlyFolder = prog();
        // As root every folder is writable: the probe says which one a user could not write.
        SetFolderProbeForTests({[](const QString &f) { return QFileInfo(f).isFile(); },
                                [this](const QString &p) {
                                    return (m_readOnlyFolder.isEmpty() || !p.startsWith(m_readOnlyFolder))
                                           && QFileInfo(p).isWritable();
                                }});
        SetTranslationHost([] { return 1; }, [this] { return prog(); });
    }
    void cleanup()
    {
        FreeTranslationTable();
        SetFolderProbeForTests({});
        delete m_dir;
        m_dir = nullptr;
    }

    void installedReadsShippedAndSeedsUserCopyOnce()
    {
        const QByteArray shippedBytes = tableBytes({{"Datei", "File"}, {"Neu", "New"}});
        QVERIFY(writeBytes(shipped(), shippedBytes));
        restart();
        QCOMPARE(TranslateText("Datei"), QString("File"));
        // Nothing written yet: a known text adds nothing.
        QVERIFY(!QFile::exists(userCopy()));

        QCOMPARE(TranslateText("Hinzu"), QString("Hinzu"));
        QCOMPARE(readTable(userCopy()),
                 (QList<QStringList>{padded({"Datei", "File"}), padded({"Neu", "New"}), padded({"Hinzu"})}));
        QCOMPARE(readBytes(shipped()), shippedBytes);
        QVERIFY(!QFile::exists(besideProgram()));

        // An edit goes to the same copy.
        SetTranslationCell(2, 1, "Added");
        SaveTranslationTable();
        QCOMPARE(readTable(userCopy()).value(2).value(1), QString("Added"));

        // From now on the copy is the table: a changed shipped table is not read again.
        QVERIFY(writeBytes(shipped(), tableBytes({{"Datei", "Other"}})));
        restart();
        QCOMPARE(TranslateText("Datei"), QString("File"));
        QCOMPARE(TranslateText("Hinzu"), QString("Added"));
        QCOMPARE(TranslateText("Noch"), QString("Noch"));
        QCOMPARE(germanColumn(readTable(userCopy())), (QStringList{"Datei", "Neu", "Hinzu", "Noch"}));
        QCOMPARE(readTable(shipped()), (QList<QStringList>{padded({"Datei", "Other"})}));
    }

    void installedWithoutAnyTableKeepsAddedTexts()
    {
        restart();
        QCOMPARE(TranslateText("Erster"), QString("Erster"));
        QCOMPARE(readTable(userCopy()), (QList<QStringList>{padded({"Erster"})}));
        restart();
        QCOMPARE(TranslationRowCount(), 1);
    }

    void readOnlyFolderWithTableSeedsFromIt()
    {
        QVERIFY(writeBytes(besideProgram(), tableBytes({{"Datei", "File"}})));
        const QByteArray before = readBytes(besideProgram());
        restart();
        QCOMPARE(TranslateText("Datei"), QString("File"));
        TranslateText("Hinzu");
        QCOMPARE(germanColumn(readTable(userCopy())), (QStringList{"Datei", "Hinzu"}));
        QCOMPARE(readBytes(besideProgram()), before);
    }

    void writableFolderKeepsTableBeside_data()
    {
        QTest::addColumn<bool>("withTable");
        QTest::newRow("no table yet") << false;
        QTest::newRow("table beside") << true;
    }
    void writableFolderKeepsTableBeside()
    {
        QFETCH(bool, withTable);
        m_readOnlyFolder.clear();
        if (withTable)
            QVERIFY(writeBytes(besideProgram(), tableBytes({{"Datei", "File"}})));
        restart();
        TranslateText("Hinzu");
        const QStringList expected = withTable ? QStringList{"Datei", "Hinzu"} : QStringList{"Hinzu"};
        QCOMPARE(germanColumn(readTable(besideProgram())), expected);
        // The settings folder is not even created.
        QVERIFY(!QFileInfo::exists(m_dir->filePath("data/Velmora")));
    }

    void installedWithWritableBinUsesUserCopy()
    {
        // Root running an installed program: bin may be written, but the shipped table marks it
        // as installed.
        m_readOnlyFolder.clear();
        QVERIFY(writeBytes(shipped(), tableBytes({{"Datei", "File"}})));
        restart();
        TranslateText("Hinzu");
        QVERIFY(!QFile::exists(besideProgram()));
        QCOMPARE(germanColumn(readTable(userCopy())), (QStringList{"Datei", "Hinzu"}));
    }

private:
    static QStringList padded(QStringList row)
    {
        while (row.size() < TranslationColumns)
            row.append(QString());
        return row;
    }
};

QTEST_GUILESS_MAIN(TestTablePlace)
#include "tst_tableplace.moc"
