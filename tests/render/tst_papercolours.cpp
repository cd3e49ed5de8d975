// Ink on paper under a dark desktop theme: the fonts' system colours print and preview as on a light
// desktop, and a colour chosen in the font dialog reaches the file, the preview and the printout.
#include "../print/PdfCheck.h"
#include "InkHelpers.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>

extern IsolatedEnvironment *TestEnv;

Q_DECLARE_METATYPE(QRgb)

namespace {

const QColor DarkWindow(32, 32, 32);
const QColor LightText(236, 236, 236);

// The lightest channel of the darkest ink pixel in area: 0 for black text, near 236 for the dark
// theme's window text; 256 when area holds no ink.
int darkestInk(const QImage &image, const QRect &area)
{
    int darkest = 256;
    inkBox(image, area, [&darkest](QRgb c) {
        if (!notWhite(c))
            return false;
        darkest = qMin(darkest, qMax(qRed(c), qMax(qGreen(c), qBlue(c))));
        return true;
    });
    return darkest;
}

int redPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    inkBox(image, area, [&n](QRgb c) {
        // Text antialiasing mixes the red with white: red stays strong, green and blue equal.
        const bool red = qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80;
        n += red ? 1 : 0;
        return red;
    });
    return n;
}

// The quarter of an image where the sender is (top left) and the one where the recipient starts
// (from the centre), each kept off the outline.
QRect senderQuarter(const QRect &sheet)
{
    return QRect(sheet.left() + 2, sheet.top() + 2, sheet.width() / 2 - 4, sheet.height() / 2 - 4);
}
QRect recipientQuarter(const QRect &sheet)
{
    return QRect(sheet.center().x(), sheet.center().y(), sheet.width() / 2 - 4, sheet.height() / 2 - 4);
}

QStringList pdfFiles()
{
    return QDir(TestEnv->pdfFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

QImage printedPage()
{
    for (const QString &f : pdfFiles())
        QFile::remove(QDir(TestEnv->pdfFolder()).filePath(f));
    MainForm->Drucken1Click();
    const QStringList files = pdfFiles();
    if (files.size() != 1)
        return QImage();
    return RenderPdfPage(QDir(TestEnv->pdfFolder()).filePath(files.first()), 150)
            .convertToFormat(QImage::Format_RGB32);
}

QImage previewSheet()
{
    for (int i = 0; i < 3; ++i) {
        MainForm->PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
    }
    const QImage shot = MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The sheet lies 8 pixels inside the paint box.
    return shot.copy(shot.rect().adjusted(8, 8, -8, -8));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPaperColours : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

private slots:
    void initTestCase()
    {
        // A dark desktop: light window text on a dark window, set before any window exists.
        QPalette dark = QGuiApplication::palette();
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            dark.setColor(g, QPalette::Window, DarkWindow);
            dark.setColor(g, QPalette::Base, DarkWindow);
            dark.setColor(g, QPalette::WindowText, LightText);
            dark.setColor(g, QPalette::Text, LightText);
            dark.setColor(g, QPalette::HighlightedText, LightText);
        }
        QGuiApplication::setPalette(dark);
    }

    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        MainForm->Memo1->setText(QStringLiteral("Herrn\r\nMax Mustermann\r\nHauptstraße 1\r\n12345 Berlin"));
        MainForm->Memo2->setText(QStringLiteral("Anna Schmidt\r\nWeg 2\r\n54321 Köln"));
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    // The colour table does not follow the desktop: these rows run under the dark palette.
    void systemColourOnPaper_data()
    {
        QTest::addColumn<quint32>("stored");
        QTest::addColumn<QRgb>("drawn");
        QTest::newRow("window text, the default") << 0xFF000008u << qRgb(0, 0, 0);
        QTest::newRow("window background") << 0xFF000005u << qRgb(255, 255, 255);
        QTest::newRow("highlighted text") << 0xFF00000Eu << qRgb(255, 255, 255);
        QTest::newRow("highlight") << 0xFF00000Du << qRgb(0, 120, 215);
        QTest::newRow("grey text") << 0xFF000011u << qRgb(109, 109, 109);
        QTest::newRow("button text") << 0xFF000012u << qRgb(0, 0, 0);
        QTest::newRow("tooltip background") << 0xFF000018u << qRgb(255, 255, 225);
        QTest::newRow("menu bar, the last") << 0xFF00001Eu << qRgb(240, 240, 240);
        QTest::newRow("unknown number is ink") << 0xFF0000C8u << qRgb(0, 0, 0);
        QTest::newRow("RGB, red in the low byte") << 0x00336699u << qRgb(0x99, 0x66, 0x33);
        QTest::newRow("RGB white") << 0x00FFFFFFu << qRgb(255, 255, 255);
    }
    void systemColourOnPaper()
    {
        QFETCH(quint32, stored);
        QFETCH(QRgb, drawn);
        TFontRec rec;
        rec.color = stored;
        QCOMPARE(rec.toQColor().rgb(), drawn);
    }

    void colourValueIsRgbWithRedLow_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("red") << QColor(200, 0, 0) << 0x000000C8u;
        QTest::newRow("mixed") << QColor(0x12, 0x34, 0x56) << 0x00563412u;
        QTest::newRow("alpha dropped") << QColor(1, 2, 3, 100) << 0x00030201u;
        QTest::newRow("hsv converted") << QColor::fromHsv(240, 255, 255) << 0x00FF0000u;
    }
    void colourValueIsRgbWithRedLow()
    {
        QFETCH(QColor, colour);
        QFETCH(quint32, stored);
        QCOMPARE(TFontRec::colorValue(colour), stored);
    }

    void printedTextIsBlackOnADarkDesktop()
    {
        const QImage page = printedPage();
        QVERIFY(!page.isNull());
        QVERIFY2(darkestInk(page, recipientQuarter(page.rect())) < 60,
                 qPrintable(QString::number(darkestInk(page, recipientQuarter(page.rect())))));
        QVERIFY(darkestInk(page, senderQuarter(page.rect())) < 60);
    }

    void previewTextIsDarkOnADarkDesktop()
    {
        const QImage sheet = previewSheet();
        QVERIFY(!sheet.isNull());
        QCOMPARE(sheet.pixel(sheet.width() / 2 - 20, 4), qRgb(255, 255, 255));
        QVERIFY2(darkestInk(sheet, recipientQuarter(sheet.rect())) < 60,
                 qPrintable(QString::number(darkestInk(sheet, recipientQuarter(sheet.rect())))));
        QVERIFY(darkestInk(sheet, senderQuarter(sheet.rect())) < 60);
        // The window itself keeps the desktop's theme.
        QCOMPARE(MainForm->palette().color(QPalette::Window), DarkWindow);
        QCOMPARE(MainForm->Memo1->palette().color(QPalette::Text), LightText);
    }

    void chosenColourReachesFileAndPrint()
    {
        (*m_dialogs)->fontAnswers.enqueue([](TFontRec &font) {
            font.color = TFontRec::colorValue(QColor(200, 0, 0));
            return true;
        });
        MainForm->Memo1->setText(QStringLiteral("Rot"));
        MainForm->Memo2->setText(QStringLiteral("Schwarz"));
        MainForm->Schrift1Btn->click();
        QCOMPARE((*m_dialogs)->fontDialogs, 1);

        const QString doc = TestEnv->path(QStringLiteral("colour.kvt"));
        MainForm->SaveOptionsFile(doc);
        const QByteArray bytes = fileBytes(doc);
        // Fields 1 to 8: "Rot", "Schwarz", no picture, three doubles, two int32; then the recipient font
        // record (charset, four colour bytes, ...) and the sender's, whose face "Arial" has 5 units.
        const int recipientFont = (4 + 6) + (4 + 14) + 4 + 24 + 8;
        const int senderFont = recipientFont + 16 + 2 * 5;
        QCOMPARE(bytes.mid(recipientFont + 1, 4).toHex(' '), QByteArray("c8 00 00 00"));
        QCOMPARE(bytes.mid(senderFont + 1, 4).toHex(' '), QByteArray("08 00 00 ff"));

        const QImage page = printedPage();
        QVERIFY(!page.isNull());
        QVERIFY(redPixels(page, recipientQuarter(page.rect())) > 20);
        QCOMPARE(redPixels(page, senderQuarter(page.rect())), 0);
        QVERIFY(darkestInk(page, senderQuarter(page.rect())) < 60);

        const QImage sheet = previewSheet();
        QVERIFY(redPixels(sheet, recipientQuarter(sheet.rect())) > 10);
        QCOMPARE(redPixels(sheet, senderQuarter(sheet.rect())), 0);
    }

    void colourComesBackFromTheFile()
    {
        (*m_dialogs)->fontAnswers.enqueue([](TFontRec &font) {
            font.color = TFontRec::colorValue(QColor(0x10, 0x80, 0x20));
            return true;
        });
        MainForm->Schrift2Btn->click();
        const QString doc = TestEnv->path(QStringLiteral("green.kvt"));
        MainForm->SaveOptionsFile(doc);
        MainForm->FontDialog2->Font = TFontRec();
        MainForm->LoadOptionsFile(doc);
        QCOMPARE(MainForm->FontDialog2->Font.color, 0x00208010u);
        QCOMPARE(MainForm->FontDialog1->Font.color, TFontRec::WindowTextColor);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestPaperColours)
#include "tst_papercolours.moc"
