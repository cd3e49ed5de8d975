#include "InkHelpers.h"
#include "TestEnvironment.h"

#include "render/EnvelopePicture.h"
#include "render/EnvelopeRenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

// A C6 page in landscape as a 300-dpi printer reports it, drawn at 96 dpi: the sheet is
// W = trunc(1913 * 96 / 300) = 612 by H = trunc(1346 * 96 / 300) = 430 pixels; with the default
// lengths m = trunc(15 / 25.39995 * 96) = 56, pw = 75, pg = 18.
constexpr int PageW = 1913, PageH = 1346, PrinterDpi = 300;
constexpr int W = 612, H = 430, M = 56, PW = 75, PG = 18;

namespace {

TFontRec sans()
{
    TFontRec f;
    f.name = QStringLiteral("Liberation Sans");
    f.size = 11;
    f.color = 0; // black
    return f;
}

EnvelopeValue plainEnvelope()
{
    EnvelopeValue e;
    e.recipientFont = sans();
    e.senderFont = sans();
    return e;
}

RenderTarget landscapeTarget(int dpi = 96, double zoom = 100)
{
    RenderTarget t;
    t.dpi = dpi;
    t.zoom = zoom;
    t.pageWidth = PageW;
    t.pageHeight = PageH;
    t.printerDpi = PrinterDpi;
    t.width = int(qint64(PageW) * dpi / PrinterDpi * zoom / 100);
    t.height = int(qint64(PageH) * dpi / PrinterDpi * zoom / 100);
    return t;
}

RenderTarget portraitTarget()
{
    RenderTarget t = landscapeTarget();
    std::swap(t.pageWidth, t.pageHeight);
    std::swap(t.width, t.height);
    return t;
}

struct Drawn
{
    QImage image;
    EnvelopeLayout layout;
};

Drawn draw(const EnvelopeValue &e, const RenderTarget &t, bool portrait = false)
{
    Drawn d{imageAtDpi(t.width, t.height, t.dpi), {}};
    QPainter p(&d.image);
    d.layout = portrait ? DrawEnvelopeHochformat(p, e, t) : DrawEnvelope(p, e, t);
    return d;
}

// Everything inside the one-pixel outline.
QRect inner(const QImage &image)
{
    return image.rect().adjusted(1, 1, -1, -1);
}

QFont qfont(int points)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSize(points);
    return f;
}

// The ink of lines drawn with plain drawText, their tops one line advance apart from topLeft.
QRect referenceInk(const QStringList &lines, QPoint topLeft, int points = 11, int dpi = 96)
{
    QImage image = imageAtDpi(W + 400, H, dpi);
    QPainter p(&image);
    p.setFont(qfont(points));
    p.setPen(Qt::black);
    const QFontMetrics fm = p.fontMetrics();
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(topLeft.x(), topLeft.y() + i * (fm.ascent() + fm.descent()) + fm.ascent()),
                   lines.at(i));
    p.end();
    return inkBox(image, image.rect());
}

int advanceAt(int points, int dpi)
{
    QImage image = imageAtDpi(10, 10, dpi);
    const QFontMetrics fm(qfont(points), &image);
    return fm.ascent() + fm.descent();
}

int widthOf(const QString &text)
{
    QImage image = imageAtDpi(10, 10, 96);
    return QFontMetrics(qfont(11), &image).horizontalAdvance(text);
}

QString rectText(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestEnvelopeRenderer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString redPicture; // 200 x 101 pixels: on the sheet 75 x trunc(101 * 75 / 200) = 37
    QString corruptPicture;
    const int adv = advanceAt(11, 96);

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QCOMPARE(QFontInfo(qfont(11)).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(adv, 17);
        redPicture = dir.filePath(QStringLiteral("red.png"));
        QImage red(200, 101, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(redPicture));
        corruptPicture = dir.filePath(QStringLiteral("corrupt.png"));
        QFile f(corruptPicture);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n cut off here");
    }

    void senderAtMarginWrapsAtMiddle()
    {
        const QString word = QStringLiteral("WWWWWWWWWW");
        QVERIFY(widthOf(word) < W / 2 - M);
        QVERIFY(widthOf(word + u' ' + word) > W / 2 - M);
        EnvelopeValue e = plainEnvelope();
        e.sender = word + u' ' + word + QStringLiteral("\r\nHans");
        const Drawn d = draw(e, landscapeTarget());
        QCOMPARE(inkBox(d.image, inner(d.image)), referenceInk({word, word, "Hans"}, QPoint(M, M)));
        QCOMPARE(d.layout.senderRect, QRect(M, M, widthOf(word), 3 * adv));
    }

    void longSenderWordRunsPastMiddle()
    {
        EnvelopeValue e = plainEnvelope();
        e.sender = QStringLiteral("Absender WWWWWWWWWWWWWWWWWWWWWWW-WWWW");
        const Drawn d = draw(e, landscapeTarget());
        const QRect ink = inkBox(d.image, inner(d.image));
        QCOMPARE(ink, referenceInk({"Absender", "WWWWWWWWWWWWWWWWWWWWWWW-WWWW"}, QPoint(M, M)));
        QVERIFY2(ink.right() > W / 2 + 50, qPrintable(rectText(ink)));
    }

    void recipientAtCentre()
    {
        EnvelopeValue e = plainEnvelope();
        e.recipient = QStringLiteral("Frau Erika Muster\r\nHauptstr. 1 & 2\r\n\r\n12345 Tab\tStadt");
        const Drawn d = draw(e, landscapeTarget());
        QCOMPARE(inkBox(d.image, inner(d.image)),
                 referenceInk({"Frau Erika Muster",
                               "Hauptstr. 1 & 2",
                               "",
                               QString("12345 Tab") + QChar(0xA0) + "Stadt"},
                              QPoint(306, 215)));
        QCOMPARE(d.layout.recipientRect, QRect(QPoint(306, 215), QPoint(W - M - 1, H - M - 1)));
    }

    void recipientAnchorRounding_data()
    {
        QTest::addColumn<double>("leftPercent");
        QTest::addColumn<double>("topPercent");
        QTest::addColumn<QPoint>("anchor");
        QTest::newRow("centre") << 50.0 << 50.0 << QPoint(306, 215);
        QTest::newRow("76.5 to even 76") << 12.5 << 50.0 << QPoint(76, 215);
        QTest::newRow("229.5 to even 230") << 37.5 << 50.0 << QPoint(230, 215);
        QTest::newRow("107.5 to even 108") << 50.0 << 25.0 << QPoint(306, 108);
        QTest::newRow("322.5 to even 322") << 50.0 << 75.0 << QPoint(306, 322);
        QTest::newRow("nearest, not truncated") << 33.33 << 66.67 << QPoint(204, 287);
        QTest::newRow("zero") << 0.0 << 0.0 << QPoint(0, 0);
    }
    void recipientAnchorRounding()
    {
        QFETCH(double, leftPercent);
        QFETCH(double, topPercent);
        QFETCH(QPoint, anchor);
        EnvelopeValue e = plainEnvelope();
        e.recipient = QStringLiteral("H");
        e.recipientAcross = leftPercent;
        e.recipientDown = topPercent;
        const Drawn d = draw(e, landscapeTarget());
        QCOMPARE(d.layout.recipientRect.topLeft(), anchor);
        QCOMPARE(inkBox(d.image, inner(d.image)), referenceInk({"H"}, anchor));
    }

    // With the info line the address's pixels are exactly those without it, moved down by the
    // info line's lines; above them is the info line alone.
    void infoLinePushesAddress_data()
    {
        QTest::addColumn<QString>("info");
        QTest::addColumn<int>("lines");
        QTest::newRow("none") << QString() << 0;
        QTest::newRow("one line") << "Antwort" << 1;
        QTest::newRow("wrapped") << "Antwort Antwort Antwort Antwort Antwort" << 2;
    }
    void infoLinePushesAddress()
    {
        QFETCH(QString, info);
        QFETCH(int, lines);
        EnvelopeValue e = plainEnvelope();
        e.recipient = QStringLiteral("Herrn Max Muster\r\nWeg 7");
        const Drawn without = draw(e, landscapeTarget());
        e.infoLine = info;
        const Drawn with = draw(e, landscapeTarget());
        e.recipient.clear();
        const Drawn infoOnly = draw(e, landscapeTarget());
        const int shift = lines * adv;
        QCOMPARE(with.layout.recipientRect.top(), 215 + shift);
        if (lines)
            QCOMPARE(with.layout.infoRect.height(), shift);
        for (int y = 215; y < H - M; ++y)
            for (int x = 306; x < W - M; ++x) {
                const QRgb expected
                        = y < 215 + shift ? infoOnly.image.pixel(x, y) : without.image.pixel(x, y - shift);
                if (with.image.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
            }
    }

    // Ink beyond the glyph advances (an italic j's tail, an italic f's hook) lies outside the
    // measured block; the sender and the info line still show whole.
    void measuredBlocksKeepTheirOverhang_data()
    {
        QTest::addColumn<bool>("info");
        QTest::newRow("sender") << false;
        QTest::newRow("info line") << true;
    }
    void measuredBlocksKeepTheirOverhang()
    {
        QFETCH(bool, info);
        const QString text = QStringLiteral("jolly staff");
        TFontRec italic = sans();
        italic.name = QStringLiteral("Liberation Serif");
        italic.size = 30;
        italic.style = TFontRec::Italic;
        EnvelopeValue e = plainEnvelope();
        (info ? e.recipientFont : e.senderFont) = italic;
        (info ? e.infoLine : e.sender) = text;
        const Drawn d = draw(e, landscapeTarget());
        const QPoint topLeft = info ? QPoint(W / 2, H / 2) : QPoint(M, M);
        const QRect area
                = info ? QRect(W / 2 - 30, H / 2, W / 2 + 29, H / 2 - M) : QRect(1, 1, W / 2 + 30, H / 2 - 1);

        QImage reference = imageAtDpi(W, H, 96);
        QPainter p(&reference);
        p.setFont(italic.toQFont());
        p.setPen(Qt::black);
        p.drawText(QPoint(topLeft.x(), topLeft.y() + p.fontMetrics().ascent()), text);
        p.end();
        const QRect expected = inkBox(reference, area);
        QVERIFY(expected.left() < topLeft.x()); // the font does overhang
        QCOMPARE(inkBox(d.image, area), expected);
    }

    void recipientCutAtMargins()
    {
        EnvelopeValue e = plainEnvelope();
        QStringList lines;
        for (int i = 0; i < 12; ++i)
            lines << QStringLiteral("HHHH");
        lines[0] = QStringLiteral("HWWWWWWWWWWWWWWWWWWWWWWWWWW");
        QVERIFY(widthOf(lines[0]) > W - M - 306);
        e.recipient = lines.join(QStringLiteral("\r\n"));
        const Drawn d = draw(e, landscapeTarget());
        const QRect ink = inkBox(d.image, inner(d.image));
        // Line 10 starts at 215 + 9 * 17 = 368 and is drawn cut at H - m = 374; the long first
        // line is cut at W - m = 556.
        QCOMPARE(ink,
                 QRect(QPoint(referenceInk({"H"}, QPoint(306, 215)).left(),
                              referenceInk({"H"}, QPoint(306, 215)).top()),
                       QPoint(W - M - 1, H - M - 1)));
    }

    void finalBreakKeepsPictureBelowSender()
    {
        EnvelopeValue e = plainEnvelope();
        e.pictureFile = redPicture;
        e.sender = QStringLiteral("Hans\r\nWeg 1");
        const Drawn plain = draw(e, landscapeTarget());
        e.sender += QStringLiteral("\r\n");
        const Drawn withBreak = draw(e, landscapeTarget());
        QCOMPARE(withBreak.layout.pictureRect, QRect(M, M + 2 * adv + PG, PW, 37));
        QCOMPARE(inkBox(withBreak.image, inner(withBreak.image), isRed), withBreak.layout.pictureRect);
        QCOMPARE(withBreak.image, plain.image);
    }

    void pictures_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("file"); // "red", "corrupt", "missing" or a field text
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QRect>("picture");
        QTest::addColumn<int>("senderLeft");
        // 101 * 75 / 200 = 37.875: the bottom is truncated, not rounded.
        QTest::newRow("left of the sender") << 0 << "red"
                                            << "Hans" << QRect(M, M, PW, 37) << M + PW + PG;
        QTest::newRow("left, missing file") << 0 << "missing"
                                            << "Hans" << QRect() << M;
        QTest::newRow("left, unreadable file") << 0 << "corrupt"
                                               << "Hans" << QRect() << M;
        QTest::newRow("left, empty name") << 0 << ""
                                          << "Hans" << QRect() << M;
        QTest::newRow("below the sender") << 1 << "red"
                                          << "Hans" << QRect(M, M + adv + PG, PW, 37) << M;
        QTest::newRow("below an empty sender") << 1 << "red"
                                               << "" << QRect(M, M + PG, PW, 37) << M;
        QTest::newRow("below, missing file") << 1 << "missing"
                                             << "Hans" << QRect() << M;
        QTest::newRow("stamp") << 2 << "red"
                               << "Hans" << QRect(W - M - PW, M, PW, 37) << M;
        QTest::newRow("quoted name with arguments") << 2 << "quoted"
                                                    << "Hans" << QRect(W - M - PW, M, PW, 37) << M;
        QTest::newRow("no such position") << 3 << "red"
                                          << "Hans" << QRect() << M;
        QTest::newRow("nothing chosen") << -1 << "red"
                                        << "Hans" << QRect() << M;
    }
    void pictures()
    {
        QFETCH(int, position);
        QFETCH(QString, file);
        QFETCH(QString, sender);
        QFETCH(QRect, picture);
        QFETCH(int, senderLeft);
        EnvelopeValue e = plainEnvelope();
        e.sender = sender;
        e.recipient = QStringLiteral("Empfänger");
        e.picturePosition = position;
        if (file == u"red")
            e.pictureFile = redPicture;
        else if (file == u"corrupt")
            e.pictureFile = corruptPicture;
        else if (file == u"missing")
            e.pictureFile = dir.filePath(QStringLiteral("none.png"));
        else if (file == u"quoted")
            e.pictureFile = u'"' + redPicture + QStringLiteral("\" /s");
        const Drawn d = draw(e, landscapeTarget());
        QCOMPARE(inkBox(d.image, inner(d.image), isRed), picture);
        QCOMPARE(d.layout.pictureRect, picture);
        QCOMPARE(d.layout.senderRect.left(), senderLeft);
        if (!sender.isEmpty()) {
            // The sender's ink, seen outside the picture.
            QImage rest = d.image;
            if (!picture.isNull()) {
                QPainter p(&rest);
                p.fillRect(picture, Qt::white);
            }
            QRect senderArea(M, M, W / 2 - M + 100, 60);
            QCOMPARE(inkBox(rest, senderArea), referenceInk({sender}, QPoint(senderLeft, M)));
        }
    }

    void zoomedPointSize_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("expected");
        QTest::newRow("actual size") << 11 << 100.0 << 11;
        QTest::newRow("zoom 10: 1.1 to 1") << 11 << 10.0 << 1;
        QTest::newRow("below one point") << 9 << 10.0 << 1;
        QTest::newRow("5.5 truncated") << 11 << 50.0 << 5;
        QTest::newRow("16.5 truncated") << 11 << 150.0 << 16;
        QTest::newRow("zoom 1000") << 11 << 1000.0 << 110;
        QTest::newRow("beyond int, kept in range") << INT_MAX << 1000.0 << 1000000000;
    }
    void zoomedPointSize()
    {
        QFETCH(int, points);
        QFETCH(double, zoom);
        QFETCH(int, expected);
        QCOMPARE(ZoomedPointSize(points, zoom), expected);
    }

    // The drawn font shows in the info line's height: one line advance of the font at that size and
    // the target's resolution.
    void fontSizeOnTarget_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("points");
        QTest::newRow("preview zoom 10") << 96 << 10.0 << 1;
        QTest::newRow("preview zoom 200") << 96 << 200.0 << 22;
        QTest::newRow("printer 300 dpi") << 300 << 100.0 << 11;
        QTest::newRow("printer 600 dpi") << 600 << 100.0 << 11;
    }
    void fontSizeOnTarget()
    {
        QFETCH(int, dpi);
        QFETCH(double, zoom);
        QFETCH(int, points);
        EnvelopeValue e = plainEnvelope();
        e.infoLine = QStringLiteral("Antwort");
        e.recipient = QStringLiteral("Hans");
        const Drawn d = draw(e, landscapeTarget(dpi, zoom));
        QCOMPARE(d.layout.infoRect.height(), advanceAt(points, dpi));
        QCOMPARE(d.layout.recipientRect.top(), d.layout.infoRect.bottom() + 1);
    }

    void backgroundOnlyInPreview_data()
    {
        QTest::addColumn<bool>("printit");
        QTest::newRow("preview") << false;
        QTest::newRow("printing") << true;
    }
    void backgroundOnlyInPreview()
    {
        QFETCH(bool, printit);
        RenderTarget t = landscapeTarget();
        t.printit = printit;
        QImage image = imageAtDpi(t.width, t.height, 96, Qt::gray);
        const QImage before = image;
        {
            QPainter p(&image);
            DrawEnvelope(p, plainEnvelope(), t);
        }
        if (printit) {
            QCOMPARE(image, before);
            return;
        }
        const QRect all = image.rect();
        auto isBlack = [](QRgb c) { return (c & 0xFFFFFF) == 0; };
        QCOMPARE(inkBox(image, all, isBlack), all);
        QCOMPARE(inkBox(image, inner(image), isBlack), QRect());
        QCOMPARE(inkBox(image, inner(image), notWhite), QRect());
        for (int x = 0; x < t.width; ++x)
            QVERIFY(isBlack(image.pixel(x, 0)) && isBlack(image.pixel(x, t.height - 1)));
        for (int y = 0; y < t.height; ++y)
            QVERIFY(isBlack(image.pixel(0, y)) && isBlack(image.pixel(t.width - 1, y)));
    }

    void portraitPictureTurnsExactly_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("canvasRect");
        // Layout (x, y) lands at (430 - y, x): the stamp (481, 56, 75 x 37) covers canvas columns
        // 430 - 93 .. 430 - 57 and rows 481 .. 555.
        QTest::newRow("stamp") << 2 << QRect(337, 481, 37, 75);
        QTest::newRow("left of the sender") << 0 << QRect(337, 56, 37, 75);
    }
    void portraitPictureTurnsExactly()
    {
        QFETCH(int, position);
        QFETCH(QRect, canvasRect);
        EnvelopeValue e = plainEnvelope();
        e.pictureFile = redPicture;
        e.picturePosition = position;
        const Drawn d = draw(e, portraitTarget(), true);
        QCOMPARE(d.image.size(), QSize(430, 612));
        QCOMPARE(d.layout.W, 612);
        QCOMPARE(d.layout.H, 430);
        QCOMPARE(inkBox(d.image, inner(d.image), isRed), canvasRect);
    }

    void portraitSenderReadsDownFromTopRight()
    {
        EnvelopeValue e = plainEnvelope();
        e.sender = QStringLiteral("Hans Muster");
        const Drawn lying = draw(e, landscapeTarget());
        const Drawn one = draw(e, portraitTarget(), true);
        e.sender += QStringLiteral("\r\nHans Muster");
        const Drawn two = draw(e, portraitTarget(), true);

        const QRect l = inkBox(lying.image, inner(lying.image));
        const QRect p = inkBox(one.image, inner(one.image));
        // Turned glyphs are rasterised anew, so allow one pixel either way.
        const QRect expected(430 - l.bottom() - 1, l.left(), l.height(), l.width());
        QVERIFY2(qAbs(p.left() - expected.left()) <= 1 && qAbs(p.right() - expected.right()) <= 1
                         && qAbs(p.top() - expected.top()) <= 1 && qAbs(p.bottom() - expected.bottom()) <= 1,
                 qPrintable(rectText(p) + " vs " + rectText(expected)));
        QVERIFY(p.right() < 430 - M && p.right() > 430 - M - adv);
        QVERIFY(p.top() >= M && p.top() < M + 3);
        QVERIFY(p.height() > p.width() * 3); // reads downward

        // The second line lies exactly one advance further left.
        const QRect q = inkBox(two.image, inner(two.image));
        QCOMPARE(q, QRect(QPoint(p.left() - adv, p.top()), p.bottomRight()));
    }

    void portraitRecipientAtPageCentre()
    {
        EnvelopeValue e = plainEnvelope();
        e.recipient = QStringLiteral("HHHH");
        const Drawn d = draw(e, portraitTarget(), true);
        QCOMPARE(d.layout.recipientRect.topLeft(), QPoint(306, 215));
        const QRect ink = inkBox(d.image, inner(d.image));
        // Layout (306, 215) is the canvas point (215, 306), the middle of the 430 x 612 page.
        QVERIFY2(ink.right() < 215 && ink.right() > 215 - 6 && ink.top() >= 306 && ink.top() < 306 + 3,
                 qPrintable(rectText(ink)));
    }

    void portraitBackgroundUnturned()
    {
        const Drawn d = draw(plainEnvelope(), portraitTarget(), true);
        auto isBlack = [](QRgb c) { return (c & 0xFFFFFF) == 0; };
        QCOMPARE(inkBox(d.image, d.image.rect(), isBlack), QRect(0, 0, 430, 612));
        QCOMPARE(inkBox(d.image, inner(d.image), notWhite), QRect());
    }

    void portraitRestoresTransform_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("world transform on") << true;
        QTest::newRow("world transform off") << false;
    }
    void portraitRestoresTransform()
    {
        QFETCH(bool, enabled);
        RenderTarget t = portraitTarget();
        QImage image = imageAtDpi(t.width, t.height, 96);
        QPainter p(&image);
        const QTransform before = QTransform::fromTranslate(3, 4).scale(1, 1);
        p.setWorldTransform(before);
        p.setWorldMatrixEnabled(enabled);
        DrawEnvelopeHochformat(p, plainEnvelope(), t);
        QCOMPARE(p.worldTransform(), before);
        QCOMPARE(p.worldMatrixEnabled(), enabled);
        p.setWorldMatrixEnabled(true);
        p.fillRect(QRect(10, 20, 30, 5), Qt::red);
        p.end();
        QCOMPARE(inkBox(image, image.rect(), isRed), QRect(13, 24, 30, 5));
    }

    // A 1000 mm wide, very tall picture at zoom 1000 reaches far beyond int coordinates: it is drawn
    // over everything visible, without overflow.
    void hugePictureStaysInRange()
    {
        const QString tall = dir.filePath(QStringLiteral("tall.png"));
        QImage image(1, 60000, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(tall));
        EnvelopeValue e = plainEnvelope();
        e.margin = 0;
        e.pictureWidth = 1000;
        e.pictureFile = tall;
        e.picturePosition = 2;
        RenderTarget t = landscapeTarget(96, 1000);
        t.width = 200;
        t.height = 150;
        const Drawn d = draw(e, t);
        QCOMPARE(d.layout.pictureRect.top(), 0);
        QCOMPARE(d.layout.pictureRect.bottom(), 1000000000 - 1);
        QCOMPARE(inkBox(d.image, d.image.rect(), isRed), d.image.rect());
    }

    void pictureCacheServesRepeatedDrawings()
    {
        EnvelopeValue e = plainEnvelope();
        e.pictureFile = redPicture;
        PictureCache cache;
        QImage a = imageAtDpi(W, H, 96), b = imageAtDpi(W, H, 96);
        {
            QPainter p(&a);
            DrawEnvelope(p, e, landscapeTarget(), &cache);
        }
        {
            QPainter p(&b);
            DrawEnvelope(p, e, landscapeTarget(), &cache);
        }
        QCOMPARE(cache.loads(), 1);
        QCOMPARE(a, b);
        QCOMPARE(a, draw(e, landscapeTarget()).image);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestEnvelopeRenderer)
#include "tst_enveloperenderer.moc"
