#include "ScriptedDialogs.h"
#include "SequentialDevice.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/velmora.h"

#include <QBuffer>
#include <QTest>

#include <algorithm>
#include <cstring>

namespace {

struct Rec
{
    quint32 a;
    quint32 b;
    quint32 c;
};

bool allZero(const void *p, size_t n)
{
    const auto *bytes = static_cast<const unsigned char *>(p);
    return std::all_of(bytes, bytes + n, [](unsigned char b) { return b == 0; });
}

// Fills n records whose field a holds their index.
void fill(TTypedArray<Rec> &array, quint32 n)
{
    for (quint32 i = 0; i < n; ++i) {
        Rec *r = array.add();
        r->a = array.count() - 1;
    }
}

QList<quint32> contents(TTypedArray<Rec> &array)
{
    QList<quint32> result;
    for (quint32 i = 0; i < array.count(); ++i)
        result.append(array.at(i)->a);
    return result;
}

// A device that accepts only the first `limit` bytes written.
class LimitedDevice : public QIODevice
{
public:
    explicit LimitedDevice(qint64 limit)
        : m_limit(limit)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 room = m_limit - written.size();
        if (room <= 0)
            return -1;
        const qint64 n = std::min(room, len);
        written.append(data, n);
        return n;
    }

private:
    qint64 m_limit;
};

} // namespace

class TestVelmora : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TDynaArray::setAllocationLimitForTests(0); }

    void storageFollowsBlocksOf100_data()
    {
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        QTest::addColumn<int>("records");
        QTest::newRow("1") << 1 << 1 << 100;
        QTest::newRow("100") << 100 << 100 << 100;
        QTest::newRow("101") << 101 << 101 << 200;
        QTest::newRow("200") << 200 << 200 << 200;
        QTest::newRow("201") << 201 << 201 << 300;
        QTest::newRow("201 down to 200") << 201 << 200 << 200;
        QTest::newRow("201 down to 101") << 201 << 101 << 200;
        QTest::newRow("101 down to 100") << 101 << 100 << 100;
        QTest::newRow("201 down to 1") << 201 << 1 << 100;
        QTest::newRow("201 down to 0") << 201 << 0 << 0;
    }
    void storageFollowsBlocksOf100()
    {
        QFETCH(int, up);
        QFETCH(int, down);
        QFETCH(int, records);
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, quint32(up));
        while (int(array.count()) > down)
            array.Delete(0);
        QCOMPARE(array.amemsize(), quint32(records) * sizeof(Rec));
        QCOMPARE(array.storage() == nullptr, records == 0);
        // The survivors are the last `down` records, moved down in order.
        for (int i = 0; i < down; ++i)
            QCOMPARE(array.at(quint32(i))->a, quint32(up - down + i));
    }

    void reusedSlotIsZeroFilled()
    {
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        for (int i = 0; i < 3; ++i)
            std::memset(array.add(), 0xAB, sizeof(Rec));
        array.Delete(0); // slot 2 still holds the moved-down last record
        Rec *fresh = array.add();
        QCOMPARE(array.count(), 3u);
        QVERIFY(allZero(fresh, sizeof(Rec)));
        array.Delete(2);
        array.Delete(0);
        QVERIFY(allZero(array.insert(0), sizeof(Rec)));
        QVERIFY(!allZero(array.at(1), sizeof(Rec)));
    }

    void insert_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QList<quint32>>("after");
        QTest::newRow("-1") << -1 << false << QList<quint32>{1, 2, 3};
        QTest::newRow("0") << 0 << true << QList<quint32>{0, 1, 2, 3};
        QTest::newRow("1") << 1 << true << QList<quint32>{1, 0, 2, 3};
        QTest::newRow("count") << 3 << true << QList<quint32>{1, 2, 3, 0};
        QTest::newRow("count+1") << 4 << false << QList<quint32>{1, 2, 3};
    }
    void insert()
    {
        QFETCH(int, nr);
        QFETCH(bool, accepted);
        QFETCH(QList<quint32>, after);
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        for (quint32 v = 1; v <= 3; ++v)
            array.add()->a = v;
        array.First();
        Rec *before = current;
        Rec *got = array.insert(nr);
        QCOMPARE(got != nullptr, accepted);
        if (accepted) {
            QCOMPARE(array.aobjnr(), nr);
            QCOMPARE(current, got);
            QCOMPARE(array.aobj(), static_cast<void *>(got));
            QVERIFY(allZero(got, sizeof(Rec)));
        } else {
            QCOMPARE(array.aobjnr(), 0);
            QCOMPARE(current, before);
        }
        QCOMPARE(contents(array), after);
    }

    void deleteRejectsBadIndex_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("nr");
        QTest::newRow("empty 0") << 0 << 0;
        QTest::newRow("negative") << 3 << -1;
        QTest::newRow("count") << 3 << 3;
        QTest::newRow("far") << 3 << 1000;
    }
    void deleteRejectsBadIndex()
    {
        QFETCH(int, records);
        QFETCH(int, nr);
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, quint32(records));
        const int cursor = array.aobjnr();
        Rec *const was = current;
        array.Delete(nr);
        QCOMPARE(array.count(), quint32(records));
        QCOMPARE(array.aobjnr(), cursor);
        QCOMPARE(current, was);
    }

    void deleteClearsCursor()
    {
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, 4);
        array.Delete(1);
        QCOMPARE(contents(array), (QList<quint32>{0, 2, 3}));
        array.Delete(1);
        QCOMPARE(array.aobjnr(), -1);
        QVERIFY(!array.aobj());
        QVERIFY(!current);
        QVERIFY(array.Next()); // from -1 the first Next yields record 0
        QCOMPARE(current->a, 0u);
    }

    void change_data()
    {
        QTest::addColumn<int>("nr1");
        QTest::addColumn<int>("nr2");
        QTest::addColumn<QList<quint32>>("after");
        QTest::addColumn<int>("cursor");
        QTest::newRow("swap") << 0 << 2 << QList<quint32>{2, 1, 0} << 2;
        QTest::newRow("swap back") << 2 << 0 << QList<quint32>{2, 1, 0} << 0;
        QTest::newRow("same") << 1 << 1 << QList<quint32>{0, 1, 2} << 1;
        QTest::newRow("first out") << 3 << 0 << QList<quint32>{0, 1, 2} << -1;
        QTest::newRow("second out") << 0 << -1 << QList<quint32>{0, 1, 2} << -1;
    }
    void change()
    {
        QFETCH(int, nr1);
        QFETCH(int, nr2);
        QFETCH(QList<quint32>, after);
        QFETCH(int, cursor);
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, 3); // cursor on record 2
        array.Change(nr1, nr2);
        const int expected = cursor < 0 ? 2 : cursor;
        QCOMPARE(array.aobjnr(), expected);
        QCOMPARE(static_cast<const void *>(current),
                 static_cast<const unsigned char *>(array.storage()) + expected * sizeof(Rec));
        QCOMPARE(contents(array), after);
    }

    void newArrayHasNoCursor()
    {
        Rec sentinel{};
        Rec *current = &sentinel;
        {
            TTypedArray<Rec> array(&current);
            QCOMPARE(array.count(), 0u);
            QCOMPARE(array.aobjnr(), -1);
            QVERIFY(!array.storage());
            array.First();
            QCOMPARE(array.aobjnr(), -1);
            QVERIFY(!array.Next());
            QVERIFY(!array.WhileNext());
            QCOMPARE(current, &sentinel); // neither creation nor these wrote the variable
            array.add();
            current = &sentinel;
        }
        QCOMPARE(current, &sentinel); // destruction does not write it either
    }

    void firstWhileNextVisitsAll()
    {
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, 5);
        // After Add the cursor is on the last record: WhileNext hands it out once more.
        QVERIFY(array.WhileNext());
        QCOMPARE(array.aobjnr(), 5);
        QVERIFY(!array.WhileNext());
        array.Clear();
        QVERIFY(!current);
        QVERIFY(!array.WhileNext());
        fill(array, 5);
        QList<quint32> seen;
        QList<int> cursors;
        array.First();
        while (array.WhileNext()) {
            seen.append(current->a);
            cursors.append(array.aobjnr());
        }
        QCOMPARE(seen, (QList<quint32>{0, 1, 2, 3, 4}));
        QCOMPARE(cursors, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(array.aobjnr(), 5);
        QCOMPARE(current, array.at(4));
    }

    void nextStopsOnLast()
    {
        Rec *current = nullptr;
        TTypedArray<Rec> array(&current);
        fill(array, 3);
        array.First();
        QList<quint32> seen{current->a};
        while (array.Next())
            seen.append(current->a);
        QCOMPARE(seen, (QList<quint32>{0, 1, 2}));
        QCOMPARE(array.aobjnr(), 2);
        QCOMPARE(current->a, 2u);
    }

    void twoArraysShareOneVariable()
    {
        Rec *current = nullptr;
        TTypedArray<Rec> one(&current);
        TTypedArray<Rec> two(&current);
        one.add()->a = 11;
        two.add()->a = 22;
        QCOMPARE(current->a, 22u);
        one.First();
        QCOMPARE(current->a, 11u);
        QVERIFY(!two.Next()); // on its last record: no move, no write
        QCOMPARE(current->a, 11u);
        two.First();
        QCOMPARE(current->a, 22u);
        one.Delete(0);
        QVERIFY(!current);
    }

    void outOfMemory_data()
    {
        QTest::addColumn<quint32>("recordSize");
        QTest::addColumn<int>("before");
        QTest::addColumn<quint64>("limit");
        QTest::addColumn<int>("deleteTo"); // -1: the failing step is an Add
        QTest::addColumn<QString>("message");
        QTest::newRow("first block")
                << 80u << 0 << quint64(1) << -1
                << QString("Error 1 while trying to allocate 8000 bytes of RAM. Not enough memory.");
        QTest::newRow("first block beyond 32 bits")
                << 50000000u << 0 << quint64(0) << -1
                << QString("Error 1 while trying to allocate 5000000000 bytes of RAM. Not enough memory.");
        QTest::newRow("growing")
                << 8u << 100 << quint64(1000) << -1
                << QString("Error 2 while trying to allocate 1600 bytes of RAM. Not enough memory.");
        QTest::newRow("shrinking")
                << 8u << 101 << quint64(700) << 100
                << QString("Error 3 while trying to allocate 800 bytes of RAM. Not enough memory.");
    }
    void outOfMemory()
    {
        QFETCH(quint32, recordSize);
        QFETCH(int, before);
        QFETCH(quint64, limit);
        QFETCH(int, deleteTo);
        QFETCH(QString, message);
        ScriptedDialogsGuard dialogs;
        void *current = nullptr;
        TDynaArray array(recordSize, &current);
        for (int i = 0; i < before; ++i)
            *static_cast<quint32 *>(array.Add()) = quint32(i);
        array.First();
        const quint32 memBefore = array.amemsize();
        TDynaArray::setAllocationLimitForTests(limit);
        if (deleteTo < 0) {
            QVERIFY(!array.Add());
            QCOMPARE(array.count(), quint32(before));
            QCOMPARE(array.amemsize(), memBefore);
            QCOMPARE(array.aobjnr(), before ? 0 : -1);
            QVERIFY(!array.Insert(0));
            QCOMPARE(array.count(), quint32(before));
        } else {
            array.Delete(qint32(array.count()) - 1);
            QCOMPARE(array.count(), quint32(deleteTo));
            QCOMPARE(array.amemsize(), memBefore); // the larger block is kept
        }
        QCOMPARE(dialogs->messages.size(), deleteTo < 0 ? 2 : 1);
        QCOMPARE(dialogs->messages[0].text, message);
        QCOMPARE(dialogs->messages[0].caption, QString());
        QCOMPARE(dialogs->messages[0].icon, TMsgIcon::Error);
        QCOMPARE(dialogs->messages[0].buttons, TMsgButtons::Ok);
        for (quint32 i = 0; i < array.count(); ++i)
            QCOMPARE(*static_cast<quint32 *>(array.GetObject(i)), i);
        // Still usable once memory is there again.
        TDynaArray::setAllocationLimitForTests(0);
        if (recordSize < 1000) {
            QVERIFY(array.Add());
            QVERIFY(allZero(current, recordSize));
            QCOMPARE(array.count(), quint32(std::max(before, deleteTo) + (deleteTo < 0 ? 1 : 0)));
        }
    }

    void writeWideRecord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray::fromHex("00000000");
        QTest::newRow("abc") << QString("abc") << QByteArray::fromHex("03000000610062006300");
        QTest::newRow("umlaut euro") << QString("Ü€") << QByteArray::fromHex("02000000dc00ac20");
        QTest::newRow("surrogates") << QString::fromUtf8("\xF0\x9F\x98\x80")
                                    << QByteArray::fromHex("020000003dd800de");
        QTest::newRow("zero unit") << QString(QChar(0)) << QByteArray::fromHex("010000000000");
    }
    void writeWideRecord()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        buffer.write("x");
        WriteWideRecord(buffer, text);
        QCOMPARE(buffer.data(), "x" + bytes);
        buffer.seek(1);
        QString back("unchanged?");
        ReadWideRecord(buffer, back);
        QCOMPARE(back, text);
        QVERIFY(buffer.atEnd());
    }

    void negativeCountIsEmpty()
    {
        QByteArray bytes = QByteArray::fromHex("ffffffff6100") + QByteArray::fromHex("00000080");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QString text("old");
        ReadWideRecord(buffer, text);
        QCOMPARE(text, QString());
        QCOMPARE(buffer.pos(), 4);
        buffer.seek(6);
        text = "old";
        ReadWideRecord(buffer, text); // INT32_MIN
        QCOMPARE(text, QString());
    }

    void cutRecordRaises_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sequential");
        const QByteArray abc = QByteArray::fromHex("03000000610062006300");
        for (int cut = 0; cut < abc.size(); ++cut) {
            QTest::addRow("abc cut at %d", cut) << abc.left(cut) << false;
            QTest::addRow("abc cut at %d, sequential", cut) << abc.left(cut) << true;
        }
        QTest::newRow("huge count") << QByteArray::fromHex("ffffff7f41004200") << false;
        QTest::newRow("huge count, sequential") << QByteArray::fromHex("ffffff7f41004200") << true;
        QTest::newRow("count past 64 KiB, sequential")
                << QByteArray::fromHex("01800000") + QByteArray(0x10000, 'a') << true;
    }
    void cutRecordRaises()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sequential);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        SequentialDevice pipe(bytes);
        QIODevice &device = sequential ? static_cast<QIODevice &>(pipe) : buffer;
        QString text("kept");
        QVERIFY_THROWS_EXCEPTION(EInOutError, ReadWideRecord(device, text));
        QCOMPARE(text, QString("kept"));
    }

    void failedWriteRaises_data()
    {
        QTest::addColumn<int>("limit");
        for (int limit = 0; limit < 10; ++limit)
            QTest::addRow("room for %d bytes", limit) << limit;
    }
    void failedWriteRaises()
    {
        QFETCH(int, limit);
        LimitedDevice device(limit);
        QVERIFY_THROWS_EXCEPTION(EInOutError, WriteWideRecord(device, "abc"));
        LimitedDevice enough(10);
        WriteWideRecord(enough, "abc");
        QCOMPARE(enough.written, QByteArray::fromHex("03000000610062006300"));
    }
};

QTEST_GUILESS_MAIN(TestVelmora)
#include "tst_velmora.moc"
