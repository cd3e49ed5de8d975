#include "LimitedDevice.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/FontRecord.h"
#include "core/SettingsFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray golden(const char *name)
{
    QFile f(QStringLiteral(KUVERTINO_TEST_DATA "/persist/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing golden file %s", name);
    return f.readAll();
}

// The values of the golden file full.kvt.
TEnvelopeSettings fullSettings()
{
    TEnvelopeSettings s;
    s.recipient = QStringLiteral("Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln");
    s.sender = QStringLiteral("Anna Schmidt\r\nWeg 2");
    s.pictureFile = QStringLiteral("/home/anna/Bilder/logo.png");
    s.margin = 12.5;
    s.pictureMargin = 3.25;
    s.pictureWidth = 40;
    s.paperFormat = 3;
    s.picturePosition = 2;
    s.recipientFont = TFontRec{1, 0x00336699, QStringLiteral("Liberation Serif"), 1, 120, 14, 0b1011};
    s.senderFont = TFontRec{2, 0xFF00000E, QStringLiteral("DejaVu Sans"), 2, 96, 9, 0b0100};
    s.infoLine = QStringLiteral("Antwort");
    s.recipientAcross = 62.5;
    s.recipientDown = 40.25;
    s.addresses = {QStringLiteral("Erika Muster\r\nA-Str. 5"),
                   QString(),
                   QStringLiteral("Zweite \u2709 Adresse \U0001F4EE")};
    s.keepListOpen = true;
    s.portrait = true;
    return s;
}

TSettingsReadResult readBytes(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return ReadSettingsFile(buf);
}

qint64 wideSize(const QString &s)
{
    return 4 + 2 * s.size();
}
qint64 fontSize(const TFontRec &f)
{
    return 16 + 2 * (f.name.size() & 0xFF);
}

// End offset of each field of s (index = field number), from the encodings' sizes.
QList<qint64> fieldEnds(const TEnvelopeSettings &s)
{
    QList<qint64> ends{0};
    auto add = [&ends](qint64 n) { ends.append(ends.last() + n); };
    add(wideSize(s.recipient));
    add(wideSize(s.sender));
    add(wideSize(s.pictureFile));
    add(8);
    add(8);
    add(8);
    add(4);
    add(4);
    add(fontSize(s.recipientFont));
    add(fontSize(s.senderFont));
    add(wideSize(s.infoLine));
    add(8);
    add(8);
    add(4);
    qint64 list = 0;
    for (const QString &a : s.addresses)
        list += wideSize(a);
    add(list);
    add(1);
    add(1);
    return ends;
}

// What a reader that stopped after `fields` complete fields holds (addresses: those given).
TEnvelopeSettings prefixOf(const TEnvelopeSettings &full, int fields, const QStringList &addresses)
{
    TEnvelopeSettings s;
    if (fields >= 1)
        s.recipient = full.recipient;
    if (fields >= 2)
        s.sender = full.sender;
    if (fields >= 3)
        s.pictureFile = full.pictureFile;
    if (fields >= 4)
        s.margin = full.margin;
    if (fields >= 5)
        s.pictureMargin = full.pictureMargin;
    if (fields >= 6)
        s.pictureWidth = full.pictureWidth;
    if (fields >= 7)
        s.paperFormat = full.paperFormat;
    if (fields >= 8)
        s.picturePosition = full.picturePosition;
    if (fields >= 9)
        s.recipientFont = full.recipientFont;
    if (fields >= 10)
        s.senderFont = full.senderFont;
    if (fields >= 11)
        s.infoLine = full.infoLine;
    if (fields >= 12)
        s.recipientAcross = full.recipientAcross;
    if (fields >= 13)
        s.recipientDown = full.recipientDown;
    s.addresses = addresses;
    if (fields >= 16)
        s.keepListOpen = full.keepListOpen;
    if (fields >= 17)
        s.portrait = full.portrait;
    return s;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void defaultFontRecordIs26Bytes()
    {
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        WriteFontRecord(buf, TFontRec::defaultFont());
        QCOMPARE(buf.data().toHex(' '),
                 QByteArray("00 08 00 00 ff 05 41 00 72 00 69 00 61 00 6c 00 00 60 00 00 00 0b 00 00 00 00"));
    }

    void defaultFileGoldenBytes()
    {
        const QByteArray bytes = SettingsFileBytes(TEnvelopeSettings{});
        QCOMPARE(bytes.size(), 122);
        QCOMPARE(bytes.toHex(' '), golden("default.kvt").toHex(' '));
    }

    void fullFileGoldenBytes()
    {
        QCOMPARE(SettingsFileBytes(fullSettings()).toHex(' '), golden("full.kvt").toHex(' '));
    }

    void readsGoldenFiles()
    {
        TSettingsReadResult r = readBytes(golden("full.kvt"));
        QVERIFY(!r.error);
        QCOMPARE(r.fieldsRead, 17);
        QCOMPARE(r.values, fullSettings());
        r = readBytes(golden("default.kvt"));
        QVERIFY(!r.error);
        QCOMPARE(r.fieldsRead, 17);
        QCOMPARE(r.values, TEnvelopeSettings{});
    }

    void roundTripOfEachField_data()
    {
        QTest::addColumn<int>("field");
        for (int f = 1; f <= FieldCount; ++f)
            QTest::addRow("field %d", f) << f;
    }
    void roundTripOfEachField()
    {
        // Each field set on its own to a value unlike the default, so a field written or read in the
        // wrong place shows.
        QFETCH(int, field);
        TEnvelopeSettings s;
        const TEnvelopeSettings full = fullSettings();
        switch (field) {
        case 1:
            s.recipient = QStringLiteral("A\r\nB\r\n\r\nÄ€");
            break;
        case 2:
            s.sender = full.sender;
            break;
        case 3:
            s.pictureFile = QStringLiteral("C:\\Bilder\\x.bmp");
            break;
        case 4:
            s.margin = 1000;
            break;
        case 5:
            s.pictureMargin = 0.01;
            break;
        case 6:
            s.pictureWidth = 14.9859705;
            break;
        case 7:
            s.paperFormat = -1;
            break;
        case 8:
            s.picturePosition = 0;
            break;
        case 9:
            s.recipientFont = full.recipientFont;
            break;
        case 10:
            s.senderFont = full.senderFont;
            break;
        case 11:
            s.infoLine = QStringLiteral("Z.B. \"Antwort\"");
            break;
        case 12:
            s.recipientAcross = 0;
            break;
        case 13:
            s.recipientDown = 99.99;
            break;
        case 14:
            s.addresses = {QStringLiteral("eins")};
            break;
        case 15:
            s.addresses = full.addresses;
            break;
        case 16:
            s.keepListOpen = true;
            break;
        case 17:
            s.portrait = true;
            break;
        }
        QVERIFY(!(s == TEnvelopeSettings{}));
        const TSettingsReadResult r = readBytes(SettingsFileBytes(s));
        QVERIFY(!r.error);
        QCOMPARE(r.fieldsRead, 17);
        QCOMPARE(r.values, s);
    }

    void everyCutLength()
    {
        const TEnvelopeSettings full = fullSettings();
        const QByteArray bytes = golden("full.kvt");
        const QList<qint64> ends = fieldEnds(full);
        QCOMPARE(ends.last(), bytes.size());
        // A file may end after field 8 and after each complete section.
        const QList<int> boundaries{8, 10, 11, 12, 13, 15, 16, 17};
        for (qint64 len = 0; len <= bytes.size(); ++len) {
            const TSettingsReadResult r = readBytes(bytes.left(len));
            int complete = 0;
            while (complete < 17 && ends[complete + 1] <= len)
                ++complete;
            QStringList addresses;
            if (complete >= 14) {
                qint64 pos = ends[14];
                for (const QString &a : full.addresses) {
                    if (pos + wideSize(a) > len)
                        break;
                    pos += wideSize(a);
                    addresses.append(a);
                }
            }
            const bool atBoundary = boundaries.contains(complete) && ends[complete] == len;
            const QByteArray where = "length " + QByteArray::number(len);
            QVERIFY2(r.error.has_value() != atBoundary, where);
            if (r.error)
                QCOMPARE(*r.error, QStringLiteral("Lesen über das Dateiende hinaus"));
            QVERIFY2(r.fieldsRead == complete, where + " read " + QByteArray::number(r.fieldsRead));
            QVERIFY2(r.values == prefixOf(full, complete, addresses), where);
        }
    }

    void negativeCountGoesOnWithSectionF()
    {
        QByteArray bytes = SettingsFileBytes(TEnvelopeSettings{}).left(122 - 6);
        bytes += QByteArray::fromHex("fbffffff"); // -5
        bytes += QByteArray::fromHex("01 02");
        const TSettingsReadResult r = readBytes(bytes);
        QVERIFY(!r.error);
        QCOMPARE(r.fieldsRead, 17);
        QVERIFY(r.values.addresses.isEmpty());
        QVERIFY(r.values.keepListOpen);
        QVERIFY(r.values.portrait);
    }

    void countLargerThanRecordsFails()
    {
        TEnvelopeSettings s;
        s.addresses = {QStringLiteral("a"), QStringLiteral("bc")};
        QByteArray bytes = SettingsFileBytes(s).chopped(2); // without the flags
        const qsizetype countAt = 122 - 6;
        bytes[countAt] = 5;
        const TSettingsReadResult r = readBytes(bytes);
        QVERIFY(r.error);
        QCOMPARE(r.fieldsRead, int(FieldAddressCount));
        QVERIFY(r.hasAddressList());
        QCOMPARE(r.values.addresses, s.addresses);
    }

    void anyNonZeroFlagIsTrue_data()
    {
        QTest::addColumn<char>("keep");
        QTest::addColumn<char>("portrait");
        QTest::newRow("0 0") << char(0) << char(0);
        QTest::newRow("1 0") << char(1) << char(0);
        QTest::newRow("0 2") << char(0) << char(2);
        QTest::newRow("80 ff") << char(0x80) << char(0xFF);
    }
    void anyNonZeroFlagIsTrue()
    {
        QFETCH(char, keep);
        QFETCH(char, portrait);
        QByteArray bytes = SettingsFileBytes(TEnvelopeSettings{});
        bytes[120] = keep;
        bytes[121] = portrait;
        const TSettingsReadResult r = readBytes(bytes);
        QCOMPARE(r.values.keepListOpen, keep != 0);
        QCOMPARE(r.values.portrait, portrait != 0);
        // Written back, a flag is 1 or 0.
        QCOMPARE(SettingsFileBytes(r.values).right(2).toHex(),
                 QByteArray(keep ? "01" : "00") + (portrait ? "01" : "00"));
    }

    void fontSizeHeldToTheDialogsRange_data()
    {
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<qint32>("read");
        QTest::newRow("largest int") << qint32(2147483647) << qint32(512);
        QTest::newRow("513") << qint32(513) << qint32(512);
        QTest::newRow("512") << qint32(512) << qint32(512);
        QTest::newRow("1") << qint32(1) << qint32(1);
        QTest::newRow("0") << qint32(0) << qint32(1);
        QTest::newRow("negative") << qint32(-2147483647 - 1) << qint32(1);
    }
    void fontSizeHeldToTheDialogsRange()
    {
        QFETCH(qint32, stored);
        TFontRec font;
        font.size = stored;
        QByteArray bytes;
        AppendFontRecord(bytes, font);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TFontRec read;
        ReadFontRecord(buffer, read);
        QTEST(read.size, "read");
        QVERIFY(buffer.atEnd());
    }

    void longFaceNameComesBackCut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("stored");
        QTest::newRow("255") << 255 << 255;
        QTest::newRow("256") << 256 << 0;
        QTest::newRow("300") << 300 << 44;
    }
    void longFaceNameComesBackCut()
    {
        QFETCH(int, length);
        QFETCH(int, stored);
        TFontRec font;
        font.name.clear();
        for (int i = 0; i < length; ++i)
            font.name += QChar(u'a' + i % 26);
        QBuffer buf;
        buf.open(QIODevice::ReadWrite);
        WriteFontRecord(buf, font);
        QCOMPARE(buf.size(), 16 + 2 * stored);
        QCOMPARE(quint8(buf.data().at(5)), quint8(stored));
        buf.seek(0);
        TFontRec back;
        ReadFontRecord(buf, back);
        QVERIFY(buf.atEnd());
        QCOMPARE(back.name, font.name.left(stored));
        QCOMPARE(back.size, font.size);
        QCOMPARE(back.pixelsPerInch, font.pixelsPerInch);
    }

    void writeFailingAfterEveryByteCount()
    {
        const QByteArray bytes = golden("full.kvt");
        for (qint64 n = 0; n < bytes.size(); ++n) {
            LimitedDevice dev(n);
            QVERIFY_THROWS_EXCEPTION(EInOutError, WriteSettingsFile(dev, fullSettings()));
            QCOMPARE(dev.taken, bytes.left(n));
        }
        LimitedDevice dev(bytes.size());
        WriteSettingsFile(dev, fullSettings());
        QCOMPARE(dev.taken, bytes);
    }

    void failedWriteKeepsThePreviousFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brief.kvt"));
        const QByteArray previous = golden("default.kvt");
        const QByteArray bytes = golden("full.kvt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previous);
        }
        for (qint64 n = 0; n < bytes.size(); n += (n < 130 ? 1 : 7)) {
            auto failingWrite = [n](QIODevice &out) {
                LimitedDevice dev(n, &out);
                WriteSettingsFile(dev, fullSettings());
            };
            QVERIFY_THROWS_EXCEPTION(EInOutError,
                                     WriteFileAtomically(path, TFileDurability::Synced, failingWrite));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll() == previous, QByteArray::number(n));
        }
        // No temporary files are left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("brief.kvt")});
        QVERIFY(WriteFileAtomically(path, TFileDurability::Synced, [](QIODevice &out) {
            WriteSettingsFile(out, fullSettings());
        }));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
    }

    void fullDiskKeepsThePreviousFile()
    {
        // The last buffered bytes fail to reach the disk (a file-size limit acts as a full disk):
        // the error is raised and the previous file stays whole.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("options.dat"));
        const QByteArray previous = golden("default.kvt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previous);
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = rlim_t(200);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool raised = false;
        try {
            WriteFileAtomically(path, TFileDurability::Synced, [](QIODevice &out) {
                WriteSettingsFile(out, fullSettings());
            });
        } catch (const EInOutError &) {
            raised = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(raised);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("options.dat")});
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
