#include "LimitedDevice.h"
#include "SequentialDevice.h"

#include "core/BinaryIO.h"
#include "core/Errors.h"

#include <QBuffer>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

enum class Field { Int32, UInt32, Float64, Byte, Flag, Wide };

// Writes one field both ways (into a byte image and onto a device); the two must agree.
QByteArray encoded(Field field, const QVariant &value)
{
    QByteArray image;
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    switch (field) {
    case Field::Int32:
        AppendInt32(image, value.value<qint32>());
        WriteInt32(device, value.value<qint32>());
        break;
    case Field::UInt32:
        AppendUInt32(image, value.value<quint32>());
        WriteUInt32(device, value.value<quint32>());
        break;
    case Field::Float64:
        AppendFloat64(image, value.toDouble());
        WriteFloat64(device, value.toDouble());
        break;
    case Field::Byte:
        AppendByte(image, value.value<quint8>());
        WriteByte(device, value.value<quint8>());
        break;
    case Field::Flag:
        AppendFlag(image, value.toBool());
        WriteFlag(device, value.toBool());
        break;
    case Field::Wide:
        AppendWideRecord(image, value.toString());
        WriteWideRecord(device, value.toString());
        break;
    }
    if (image != device.data())
        return QByteArray("image and device differ");
    return image;
}

QVariant decoded(Field field, QIODevice &device)
{
    switch (field) {
    case Field::Int32:
        return QVariant::fromValue(ReadInt32(device));
    case Field::UInt32:
        return QVariant::fromValue(ReadUInt32(device));
    case Field::Float64:
        return ReadFloat64(device);
    case Field::Byte:
        return QVariant::fromValue(ReadByte(device));
    case Field::Flag:
        return ReadFlag(device);
    case Field::Wide: {
        QString text = QStringLiteral("before");
        ReadWideRecord(device, text);
        return text;
    }
    }
    return {};
}

QString toEnglish(const QString &german)
{
    if (german == QStringLiteral("Fehler beim Schreiben der Datei"))
        return QStringLiteral("Error writing the file");
    if (german == QStringLiteral("Lesen über das Dateiende hinaus"))
        return QStringLiteral("Read beyond end of file");
    return QStringLiteral("[") + german + QStringLiteral("]");
}

} // namespace

Q_DECLARE_METATYPE(Field)

class TestBinaryIO : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetIoTextTranslator(nullptr); }

    void fieldBytes_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("int32 0") << Field::Int32 << QVariant::fromValue(qint32(0)) << QByteArray("00000000");
        QTest::newRow("int32 -1") << Field::Int32 << QVariant::fromValue(qint32(-1))
                                  << QByteArray("ffffffff");
        QTest::newRow("int32 order") << Field::Int32 << QVariant::fromValue(qint32(0x12345678))
                                     << QByteArray("78563412");
        QTest::newRow("int32 min") << Field::Int32 << QVariant::fromValue(std::numeric_limits<qint32>::min())
                                   << QByteArray("00000080");
        QTest::newRow("uint32 system colour 8")
                << Field::UInt32 << QVariant::fromValue(quint32(0xFF000008)) << QByteArray("080000ff");
        QTest::newRow("float64 15") << Field::Float64 << QVariant(15.0) << QByteArray("0000000000002e40");
        QTest::newRow("float64 -0") << Field::Float64 << QVariant(-0.0) << QByteArray("0000000000000080");
        QTest::newRow("float64 0.1") << Field::Float64 << QVariant(0.1) << QByteArray("9a9999999999b93f");
        QTest::newRow("byte") << Field::Byte << QVariant::fromValue(quint8(0xAB)) << QByteArray("ab");
        QTest::newRow("flag true") << Field::Flag << QVariant(true) << QByteArray("01");
        QTest::newRow("flag false") << Field::Flag << QVariant(false) << QByteArray("00");
        QTest::newRow("wide empty") << Field::Wide << QVariant(QString()) << QByteArray("00000000");
        QTest::newRow("wide abc") << Field::Wide << QVariant(QStringLiteral("abc"))
                                  << QByteArray("03000000610062006300");
        QTest::newRow("wide umlaut euro")
                << Field::Wide << QVariant(QStringLiteral("ü€")) << QByteArray("02000000fc00ac20");
        QTest::newRow("wide surrogates")
                << Field::Wide << QVariant(QStringLiteral("\U0001F4EE")) << QByteArray("020000003dd8eedc");
        QTest::newRow("wide byte order mark kept")
                << Field::Wide << QVariant(QStringLiteral("\uFEFFx")) << QByteArray("02000000fffe7800");
    }
    void fieldBytes()
    {
        QFETCH(Field, field);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, hex);
        const QByteArray bytes = encoded(field, value);
        QCOMPARE(bytes.toHex(), hex);

        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        const QVariant back = decoded(field, in);
        QVERIFY(in.atEnd());
        if (field == Field::Float64)
            QCOMPARE(std::signbit(back.toDouble()), std::signbit(value.toDouble()));
        QCOMPARE(back.toString(), value.toString());

        // Cut anywhere inside, the field is an error and no value, on both kinds of device.
        for (qsizetype len = 0; len < bytes.size(); ++len) {
            QBuffer cut;
            cut.setData(bytes.left(len));
            cut.open(QIODevice::ReadOnly);
            try {
                decoded(field, cut);
                QFAIL(qPrintable(QStringLiteral("no error at length %1").arg(len)));
            } catch (const EInOutError &e) {
                QCOMPARE(e.message(), QStringLiteral("Lesen über das Dateiende hinaus"));
            }
            SequentialDevice pipe(bytes.left(len));
            QVERIFY_THROWS_EXCEPTION(EInOutError, decoded(field, pipe));
        }
    }

    void wideRecordWithNegativeCountIsEmpty()
    {
        QBuffer in;
        in.setData(QByteArray::fromHex("feffffff 01000000 4100"));
        in.open(QIODevice::ReadOnly);
        QString text = QStringLiteral("before");
        ReadWideRecord(in, text);
        QCOMPARE(text, QString());
        QCOMPARE(in.pos(), qint64(4)); // only the count was consumed
        ReadWideRecord(in, text);
        QCOMPARE(text, QStringLiteral("A"));
    }

    void cutWideRecordLeavesTheText()
    {
        // A count far beyond what follows fails before any text is taken, on a file and on a pipe.
        const QByteArray bytes = QByteArray::fromHex("ffffff3f") + QByteArray(64, 'x');
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        QString text = QStringLiteral("before");
        QVERIFY_THROWS_EXCEPTION(EInOutError, ReadWideRecord(in, text));
        QCOMPARE(text, QStringLiteral("before"));
        SequentialDevice pipe(bytes);
        QVERIFY_THROWS_EXCEPTION(EInOutError, ReadWideRecord(pipe, text));
        QCOMPARE(text, QStringLiteral("before"));
    }

    void utf16UnitsOnlyWithoutCount()
    {
        QByteArray image;
        AppendUtf16(image, u"Ab\u00DF");
        QCOMPARE(image.toHex(), QByteArray("41006200df00"));
        QBuffer in;
        in.setData(image);
        in.open(QIODevice::ReadOnly);
        QCOMPARE(ReadUtf16(in, 2), QStringLiteral("Ab"));
        QCOMPARE(ReadUtf16(in, 0), QString());
        QVERIFY_THROWS_EXCEPTION(EInOutError, ReadUtf16(in, 2));
    }

    void failedWriteSaysWhy_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<int>("taken");
        QTest::newRow("nothing fits") << qint64(0) << 0;
        QTest::newRow("part of the field") << qint64(3) << 3;
        QTest::newRow("all but one byte") << qint64(9) << 9;
    }
    void failedWriteSaysWhy()
    {
        QFETCH(qint64, room);
        QFETCH(int, taken);
        LimitedDevice device(room);
        try {
            WriteWideRecord(device, QStringLiteral("abc"));
            QFAIL("a refused write must raise");
        } catch (const EInOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("Fehler beim Schreiben der Datei: No space left on device"));
        }
        QCOMPARE(device.taken, QByteArray::fromHex("03000000610062006300").left(taken));
        LimitedDevice roomy(10);
        WriteWideRecord(roomy, QStringLiteral("abc"));
        QCOMPARE(roomy.taken.size(), 10);
    }

    void errorTexts_data()
    {
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("expected");
        QTest::newRow("write, no reason") << false << "write"
                                          << ""
                                          << "Fehler beim Schreiben der Datei";
        QTest::newRow("write, unknown") << false << "write"
                                        << "Unknown error"
                                        << "Fehler beim Schreiben der Datei";
        QTest::newRow("write, reason") << false << "write"
                                       << "File too large"
                                       << "Fehler beim Schreiben der Datei: File too large";
        QTest::newRow("write, English") << true << "write"
                                        << "File too large"
                                        << "Error writing the file: File too large";
        QTest::newRow("read") << false << "read"
                              << ""
                              << "Lesen über das Dateiende hinaus";
        QTest::newRow("read, English") << true << "read"
                                       << ""
                                       << "Read beyond end of file";
        QTest::newRow("create") << false << "create"
                                << "Permission denied"
                                << "Die Datei \"/a/b.kvt\" kann nicht angelegt werden: Permission denied";
        // The name is put in after the lookup: the key stays the same for every file.
        QTest::newRow("create, translated") << true << "create"
                                            << ""
                                            << "[Die Datei \"/a/b.kvt\" kann nicht angelegt werden]";
    }
    void errorTexts()
    {
        QFETCH(bool, translated);
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(QString, expected);
        if (translated)
            SetIoTextTranslator(&toEnglish);
        QString text;
        if (kind == QLatin1String("write"))
            text = WriteFailedMessage(reason);
        else if (kind == QLatin1String("read"))
            text = ShortReadMessage();
        else
            text = CannotCreateMessage(QStringLiteral("/a/b.kvt"), reason);
        QCOMPARE(text, expected);
    }

    void translatorReachesTheRaisedErrors()
    {
        SetIoTextTranslator(&toEnglish);
        QBuffer empty;
        empty.open(QIODevice::ReadOnly);
        try {
            ReadInt32(empty);
            QFAIL("reading an empty device must raise");
        } catch (const EInOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("Read beyond end of file"));
        }
        SetIoTextTranslator(nullptr);
        try {
            ReadFlag(empty);
            QFAIL("reading an empty device must raise");
        } catch (const EInOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("Lesen über das Dateiende hinaus"));
        }
    }
};

QTEST_GUILESS_MAIN(TestBinaryIO)
#include "tst_binaryio.moc"
