#include "InkHelpers.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "print/Printer.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

// The preview on a screen scaled by 2: laid out at the logical resolution, drawn at device pixels.
class TestPreviewHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void drawsAtDevicePixels()
    {
        ScriptedDialogsGuard dialogs;
        CreateApplicationWindows();
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QCOMPARE(MainForm->PaintBox1->devicePixelRatioF(), 2.0);
        QPrinter &printer = Printer().qprinter();
        printer.setFullPage(true);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
        printer.setPageSize(QPageSize(QSizeF(4, 6), QPageSize::Inch, QString(), QPageSize::ExactMatch));
        printer.setPageOrientation(QPageLayout::Landscape);
        MainForm->Memo1->setText(QStringLiteral("Frau Erika Muster\r\nHauptstr. 1"));
        MainForm->Memo2->setText(QStringLiteral("Hans Absender"));
        const int dpi = MainForm->logicalDpiX();
        for (int i = 0; i < 3; ++i) {
            MainForm->PaintBox1Paint(nullptr);
            QCoreApplication::processEvents();
        }
        // Same logical size as on an unscaled screen of that resolution.
        const QSize sheet(6 * dpi, 4 * dpi);
        QCOMPARE(MainForm->PaintBox1->size(), sheet + QSize(16, 16));

        const QImage shot = MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), 2 * (sheet + QSize(16, 16)));
        // The outline covers the sheet's outermost device pixels on all four sides.
        auto isBlack = [](QRgb c) { return (c & 0xFFFFFF) == 0; };
        QCOMPARE(inkBox(shot, shot.rect(), isBlack), QRect(QPoint(16, 16), 2 * sheet));
        const int right = 16 + 2 * sheet.width() - 1, bottom = 16 + 2 * sheet.height() - 1;
        for (int d : {0, 1}) {
            QVERIFY(isBlack(shot.pixel(16 + d, 40)) && isBlack(shot.pixel(right - d, 40)));
            QVERIFY(isBlack(shot.pixel(40, 16 + d)) && isBlack(shot.pixel(40, bottom - d)));
        }
        QCOMPARE(shot.pixel(18, 40), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(right - 2, 40), qRgb(255, 255, 255));

        QImage expected(2 * sheet, QImage::Format_RGB32);
        expected.setDevicePixelRatio(2);
        const int dpm = int(std::lround(dpi / 0.0254));
        expected.setDotsPerMeterX(dpm);
        expected.setDotsPerMeterY(dpm);
        {
            QPainter p(&expected);
            MainForm->PaintToCanvas(p, dpi, sheet.width(), sheet.height(), 100, false);
        }
        expected.setDevicePixelRatio(1);
        QImage part = shot.copy(QRect(QPoint(16, 16), 2 * sheet));
        part.setDevicePixelRatio(1);
        QCOMPARE(part, expected);

        // Sharp, not a blown-up logical drawing.
        QImage logical = imageAtDpi(sheet.width(), sheet.height(), dpi);
        {
            QPainter p(&logical);
            MainForm->PaintToCanvas(p, dpi, sheet.width(), sheet.height(), 100, false);
        }
        const QImage blownUp = logical.scaled(2 * sheet);
        QVERIFY(part != blownUp);
        const QRect small = inkBox(logical, logical.rect().adjusted(1, 1, -1, -1));
        const QRect large = inkBox(part, part.rect().adjusted(4, 4, -4, -4));
        QVERIFY(qAbs(large.left() - 2 * small.left()) <= 2
                && qAbs(large.bottom() - 2 * small.bottom() - 1) <= 2);
        DestroyApplicationWindows();
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    return RunIsolatedGuiTest<TestPreviewHiDpi>(argc, argv);
}
#include "tst_preview_hidpi.moc"
