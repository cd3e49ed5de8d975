#include "core/CsvSurvey.h"
#include "core/RunResume.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestRunResume : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    std::unique_ptr<QSettings> store(const QString &name = QStringLiteral("store.ini"))
    {
        return std::make_unique<QSettings>(m_dir.filePath(name), QSettings::IniFormat);
    }

private slots:
    void roundTripAcrossStores()
    {
        const TCsvFileIdentity file{QStringLiteral("/home/a/Adressen/serie.csv"), 1234, 1700000000123};
        {
            auto s = store();
            QCOMPARE(TResumeStore(*s).save(file, TResumePlace{17, 15, 30, QStringLiteral("Müller & Söhne")}),
                     QString());
        }
        // Another store object on the same file, as after a restart.
        auto s = store();
        const std::optional<TResumePlace> place = TResumeStore(*s).find(file);
        QVERIFY(place);
        QCOMPARE(place->nextLine, 17);
        QCOMPARE(place->printed, 15);
        QCOMPARE(place->total, 30);
        QCOMPARE(place->firstAddressLine, QStringLiteral("Müller & Söhne"));
    }

    void otherFileFindsNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("modified");
        QTest::newRow("other path") << "/home/a/Adressen/serie2.csv" << qint64(1234) << qint64(1700000000123);
        QTest::newRow("grown") << "/home/a/Adressen/serie.csv" << qint64(1235) << qint64(1700000000123);
        QTest::newRow("touched") << "/home/a/Adressen/serie.csv" << qint64(1234) << qint64(1700000000124);
    }
    void otherFileFindsNothing()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        QFETCH(qint64, modified);
        auto s = store(QStringLiteral("other.ini"));
        TResumeStore r(*s);
        const TCsvFileIdentity saved{QStringLiteral("/home/a/Adressen/serie.csv"), 1234, 1700000000123};
        QCOMPARE(r.save(saved, TResumePlace{3, 2, 9, QStringLiteral("x")}), QString());
        QVERIFY(!r.find(TCsvFileIdentity{path, size, modified}));
        QVERIFY(r.find(saved));
    }

    void forgetAndReplace()
    {
        auto s = store(QStringLiteral("forget.ini"));
        TResumeStore r(*s);
        const TCsvFileIdentity a{QStringLiteral("C:\\Daten\\a.csv"), 10, 20};
        const TCsvFileIdentity b{QStringLiteral("/tmp/b.csv"), 10, 20};
        QCOMPARE(r.save(a, TResumePlace{5, 4, 8, QStringLiteral("A")}), QString());
        QCOMPARE(r.save(b, TResumePlace{2, 1, 3, QStringLiteral("B")}), QString());
        QCOMPARE(r.save(a, TResumePlace{7, 6, 8, QStringLiteral("A7")}), QString());
        QCOMPARE(r.find(a)->nextLine, 7);
        r.forget(a);
        QVERIFY(!r.find(a));
        QCOMPARE(r.find(b)->firstAddressLine, QStringLiteral("B"));
    }

    void oldestEntriesGo()
    {
        auto s = store(QStringLiteral("many.ini"));
        TResumeStore r(*s);
        const int n = TResumeStore::MaxEntries + 3;
        for (int i = 0; i < n; ++i) {
            QCOMPARE(r.save(TCsvFileIdentity{QStringLiteral("/f/%1.csv").arg(i), i, i},
                            TResumePlace{2, 1, 2, QString()}),
                     QString());
            QTest::qWait(2); // distinct times of saving
        }
        int kept = 0;
        for (int i = 0; i < n; ++i)
            kept += r.find(TCsvFileIdentity{QStringLiteral("/f/%1.csv").arg(i), i, i}) ? 1 : 0;
        QCOMPARE(kept, TResumeStore::MaxEntries);
        QVERIFY(!r.find(TCsvFileIdentity{QStringLiteral("/f/0.csv"), 0, 0}));
        QVERIFY(r.find(TCsvFileIdentity{QStringLiteral("/f/%1.csv").arg(n - 1), n - 1, n - 1}));
    }

    void unwritableStoreSaysSo()
    {
        const TCsvFileIdentity file{QStringLiteral("/f/a.csv"), 1, 1};
        const TResumePlace place{3, 2, 9, QStringLiteral("x")};
        // The store's file cannot be written where a folder stands in its place.
        const QString blocked = m_dir.filePath(QStringLiteral("blocked.ini"));
        QVERIFY(QDir().mkpath(blocked));
        QSettings s(blocked, QSettings::IniFormat);
        QCOMPARE(TResumeStore(s).save(file, place),
                 QStringLiteral("Die Stelle, an der der Druck endete, kann nicht in „%1“ gespeichert werden. "
                                "(Zugriff verweigert)")
                         .arg(QDir::toNativeSeparators(blocked)));
        auto writable = store(QStringLiteral("writable.ini"));
        QCOMPARE(TResumeStore(*writable).save(file, place), QString());
    }

    void identityOfARealFile()
    {
        QFile f(m_dir.filePath(QStringLiteral("real.csv")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("A;B\n");
        f.close();
        const TCsvFileIdentity id = TCsvFileIdentity::of(QFileInfo(f.fileName()));
        QCOMPARE(id.path, QFileInfo(f.fileName()).absoluteFilePath());
        QCOMPARE(id.size, 4);
        QCOMPARE(id.modifiedMs, QFileInfo(f.fileName()).lastModified().toMSecsSinceEpoch());
    }

    void survey_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<int>("afterHeader");
        QTest::addColumn<int>("firstLineAfterHeader");
        QTest::addColumn<QStringList>("firstAfterHeader");
        QTest::newRow("header and two")
                << QByteArray("Name;Straße;Ort\nMeier;Weg 1;Berlin\nSchulz;Ring 2;Bonn\n") << 1 << 3 << 1
                << QStringList{"Name", "Straße", "Ort"} << 2 << 2 << QStringList{"Meier", "Weg 1", "Berlin"};
        QTest::newRow("empty lines pass") << QByteArray("\n\"x\n\"A\";\"B\"\n\nC\n") << 1 << 2 << 3
                                          << QStringList{"A", "B"} << 2 << 3 << QStringList{"A", "B"};
        QTest::newRow("from line 3") << QByteArray("a\nb\nc\nd\n") << 3 << 2 << 3 << QStringList{"c"} << 2
                                     << 3 << QStringList{"c"};
        QTest::newRow("escaped break")
                << QByteArray("Herrn\\r\\nDr. Meier;Weg 1\n") << 1 << 1 << 1
                << QStringList{"Herrn", "Dr. Meier", "Weg 1"} << 0 << 0 << QStringList{};
        QTest::newRow("one empty field")
                << QByteArray(";\n") << 1 << 1 << 1 << QStringList{""} << 0 << 0 << QStringList{};
        QTest::newRow("empty file") << QByteArray() << 1 << 0 << 0 << QStringList{} << 0 << 0
                                    << QStringList{};
        QTest::newRow("start past the end")
                << QByteArray("a\nb\n") << 5 << 0 << 0 << QStringList{} << 0 << 0 << QStringList{};
    }
    void survey()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, startLine);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const TCsvSurvey s = SurveyCsv(buffer, startLine);
        QTEST(s.records, "records");
        QTEST(s.firstLine, "firstLine");
        QTEST(s.first, "first");
        QTEST(s.recordsAfterHeader, "afterHeader");
        QTEST(s.firstLineAfterHeader, "firstLineAfterHeader");
        QTEST(s.firstAfterHeader, "firstAfterHeader");
        QVERIFY(buffer.seek(0));
        QTEST(FirstRecordLine(buffer, startLine), "firstLine");
    }

    void placeFits_data()
    {
        QTest::addColumn<int>("nextLine");
        QTest::addColumn<int>("printed");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("recordLine");
        QTest::addColumn<bool>("fits");
        QTest::newRow("as a run leaves it") << 4 << 2 << 5 << 4 << true;
        QTest::newRow("all but the last") << 6 << 4 << 5 << 6 << true;
        QTest::newRow("damaged entry") << 2147483647 << -5 << 999999999 << 0 << false;
        QTest::newRow("past the end") << 9 << 2 << 5 << 0 << false;
        QTest::newRow("not a record's line") << 4 << 2 << 5 << 5 << false;
        QTest::newRow("first line") << 1 << 0 << 5 << 1 << false;
        QTest::newRow("more printed than total") << 4 << 6 << 5 << 4 << false;
    }
    void placeFits()
    {
        QFETCH(int, nextLine);
        QFETCH(int, printed);
        QFETCH(int, total);
        QFETCH(int, recordLine);
        QTEST(ResumePlaceFits(TResumePlace{nextLine, printed, total, QString()}, recordLine), "fits");
    }
};

QTEST_GUILESS_MAIN(TestRunResume)
#include "tst_runresume.moc"
