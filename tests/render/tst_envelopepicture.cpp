#include "InkHelpers.h"
#include "TestEnvironment.h"

#include "render/EnvelopePicture.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class TestEnvelopePicture : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    static QImage solid(int w, int h, QColor c, QImage::Format f = QImage::Format_RGB32)
    {
        QImage image(w, h, f);
        image.fill(c);
        return image;
    }

    // Qt reads GIF but does not write it: a 4-colour GIF of one colour, LZW codes kept at 3 bits by
    // sending a clear code before every pair of pixels.
    static QByteArray solidGif(int w, int h, QRgb colour)
    {
        QByteArray out("GIF89a");
        auto u16 = [&out](int v) {
            out.append(char(v & 0xFF));
            out.append(char(v >> 8));
        };
        u16(w);
        u16(h);
        out.append(char(0x81)); // a global colour table of 4 entries
        out.append(char(0));
        out.append(char(0));
        for (int i = 0; i < 4; ++i) {
            out.append(char(qRed(colour)));
            out.append(char(qGreen(colour)));
            out.append(char(qBlue(colour)));
        }
        out.append(',');
        u16(0);
        u16(0);
        u16(w);
        u16(h);
        out.append(char(0));
        out.append(char(2)); // minimum code size
        QByteArray data;
        quint32 acc = 0;
        int bits = 0;
        auto code = [&](int c) {
            acc |= quint32(c) << bits;
            bits += 3;
            while (bits >= 8) {
                data.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        for (int i = 0; i < w * h; i += 2) {
            code(4);
            code(0);
            if (i + 1 < w * h)
                code(0);
        }
        code(5);
        if (bits > 0)
            data.append(char(acc & 0xFF));
        for (qsizetype i = 0; i < data.size(); i += 255) {
            const QByteArray block = data.mid(i, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
        out.append(';');
        return out;
    }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        for (const char *format : {"png", "jpg", "jpeg", "bmp", "ico", "tif", "tiff", "webp"})
            QVERIFY(solid(40, 30, Qt::red)
                            .save(path(QStringLiteral("red.") + QLatin1String(format)), format));
        QVERIFY(solid(40, 30, Qt::red).save(path(QStringLiteral("my picture.png")), "png"));
        writeFile(QStringLiteral("red.gif"), solidGif(40, 30, qRgb(255, 0, 0)));
        writeFile(QStringLiteral("logo.svg"),
                  "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='16' viewBox='0 0 64 16'>"
                  "<rect width='64' height='16' fill='#ff0000'/></svg>");
        writeFile(QStringLiteral("corrupt.png"), QByteArray("\x89PNG\r\n\x1a\n garbage"));
        writeFile(QStringLiteral("empty.png"), QByteArray());
        writeFile(QStringLiteral("text.jpg"), "not a picture at all");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
    }

    void filePath_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const QString spaced = path(QStringLiteral("my picture.png"));
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks only") << "   " << QString();
        QTest::newRow("existing name with blank") << spaced << spaced;
        QTest::newRow("quoted") << ('"' + spaced + '"') << spaced;
        QTest::newRow("quoted with more") << ('"' + spaced + "\" -x") << spaced;
        QTest::newRow("first token") << "/no/such/a.png /b.png"
                                     << "/no/such/a.png";
        QTest::newRow("leading blanks") << "  /no/such/a.png"
                                        << "/no/such/a.png";
        QTest::newRow("quotes inside a token") << "/no/\"su ch\"/a.png"
                                               << "/no/su ch/a.png";
        QTest::newRow("empty quotes") << "\"\"" << QString();
        QTest::newRow("missing name kept") << "/no/such.png"
                                           << "/no/such.png";
    }
    void filePath()
    {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QCOMPARE(PictureFilePath(field), expected);
    }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size"); // invalid: no picture
        QTest::newRow("png") << "red.png" << QSize(40, 30);
        QTest::newRow("jpg") << "red.jpg" << QSize(40, 30);
        QTest::newRow("bmp") << "red.bmp" << QSize(40, 30);
        QTest::newRow("gif") << "red.gif" << QSize(40, 30);
        // The rest of what the picture dialog's filter offers.
        for (const char *format : {"jpeg", "ico", "tif", "tiff", "webp"})
            QTest::newRow(format) << QStringLiteral("red.") + QLatin1String(format) << QSize(40, 30);
        QTest::newRow("svg") << "logo.svg" << QSize(64, 16);
        QTest::newRow("missing") << "nothing.png" << QSize();
        QTest::newRow("corrupt") << "corrupt.png" << QSize();
        QTest::newRow("empty file") << "empty.png" << QSize();
        QTest::newRow("text as jpeg") << "text.jpg" << QSize();
        QTest::newRow("folder") << "folder.png" << QSize();
        QTest::newRow("no name") << "" << QSize();
    }
    void load()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const auto picture = LoadEnvelopePicture(name.isEmpty() ? QString() : path(name));
        if (!size.isValid()) {
            QVERIFY(!picture);
            return;
        }
        QVERIFY(picture);
        QCOMPARE(picture->pixelSize(), size);
        // Stretched over the whole destination, nothing beyond it.
        QImage canvas = imageAtDpi(100, 60, 96, Qt::blue);
        {
            QPainter p(&canvas);
            picture->draw(p, QRect(10, 5, 50, 20));
        }
        QCOMPARE(inkBox(canvas, canvas.rect(), isRed), QRect(10, 5, 50, 20));
        QCOMPARE(inkBox(canvas, canvas.rect(), [](QRgb c) { return !isRed(c) && qBlue(c) < 200; }), QRect());
    }

    void transparencyBecomesWhite()
    {
        QImage clear = solid(20, 20, Qt::transparent, QImage::Format_ARGB32);
        QVERIFY(clear.save(path(QStringLiteral("clear.png"))));
        const auto picture = LoadEnvelopePicture(path(QStringLiteral("clear.png")));
        QVERIFY(picture);
        QImage canvas = imageAtDpi(40, 40, 96, Qt::blue);
        {
            QPainter p(&canvas);
            picture->draw(p, QRect(5, 5, 20, 20));
        }
        QCOMPARE(canvas.pixel(15, 15), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(2, 2), qRgb(0, 0, 255));
    }

    // Shrinking averages: a one-pixel checkerboard becomes even grey instead of black or white.
    void shrinkingAverages()
    {
        QImage checker(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                checker.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        QVERIFY(checker.save(path(QStringLiteral("checker.png"))));
        const auto picture = LoadEnvelopePicture(path(QStringLiteral("checker.png")));
        QVERIFY(picture);
        QImage canvas = imageAtDpi(30, 30, 96, Qt::blue);
        {
            QPainter p(&canvas);
            picture->draw(p, QRect(5, 5, 20, 20));
        }
        for (int y = 5; y < 25; ++y)
            for (int x = 5; x < 25; ++x) {
                const int g = qGray(canvas.pixel(x, y));
                QVERIFY2(g > 100 && g < 156, qPrintable(QStringLiteral("%1,%2: %3").arg(x).arg(y).arg(g)));
            }
    }

    void cacheKeepsUntilFileChanges()
    {
        const QString file = path(QStringLiteral("changing.png"));
        QVERIFY(solid(10, 10, Qt::red).save(file));
        PictureCache cache;
        const auto first = cache.load(file);
        QVERIFY(first);
        QCOMPARE(cache.load(file), first);
        QCOMPARE(cache.loads(), 1);

        // Same size, different content and time: read again.
        QFile f(file);
        QVERIFY(solid(10, 10, Qt::green).save(file));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime));
        f.close();
        const auto second = cache.load(file);
        QVERIFY(second);
        QVERIFY(second != first);
        QCOMPARE(cache.loads(), 2);

        // A bigger file with the same time: read again.
        const QDateTime time = QFileInfo(file).lastModified();
        QVERIFY(solid(30, 10, Qt::red).save(file));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
        f.close();
        const auto third = cache.load(file);
        QVERIFY(third);
        QCOMPARE(third->pixelSize(), QSize(30, 10));

        // Gone: nothing, and nothing kept.
        QVERIFY(QFile::remove(file));
        QVERIFY(!cache.load(file));
        QVERIFY(solid(5, 5, Qt::red).save(file));
        QCOMPARE(cache.load(file)->pixelSize(), QSize(5, 5));
    }
};

KUVERTINO_GUI_TEST_MAIN(TestEnvelopePicture)
#include "tst_envelopepicture.moc"
