// Preview paint times, offscreen, in the real main window:
//  1. C6 at zoom 100 with a 1600 x 1200 PNG logo below the sender: one PaintBox1Paint (a synchronous
//     repaint of the paint box), median of 200; also with the decoded picture dropped before each
//     paint, i.e. the file decoded every time.
//  2. C3 at zoom 1000 scrolled to the middle: one paint of the visible part, median of 20, and the
//     process's peak resident memory afterwards (getrusage).

#include "BenchMeasure.h"
#include "TestEnvironment.h"

#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "print/Printer.h"
#include "render/EnvelopePicture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdio>

namespace {

long peakRssMb()
{
    return PeakResidentKib() / 1024;
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        MainForm->PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    env.prepareApplication();
    CreateApplicationWindows();
    // Large enough that the whole C6 preview is exposed.
    MainForm->resize(1000, 900);
    MainForm->show();
    QCoreApplication::processEvents();

    // A photo-like logo: noise over a gradient, so decoding is not trivially cheap.
    QImage logo(1600, 1200, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < logo.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(logo.scanLine(y));
        for (int x = 0; x < logo.width(); ++x)
            line[x] = qRgb((x * 255 / 1600 + int(rng.bounded(40))) & 255,
                           (y * 255 / 1200) & 255,
                           int(rng.bounded(256)));
    }
    const QString logoPath = env.path(QStringLiteral("logo.png"));
    logo.save(logoPath);

    MainForm->Memo1->setText(
            QStringLiteral("Frau\r\nErika Mustermann\r\nHauptstraße 12\r\n12345 Musterstadt"));
    MainForm->Memo2->setText(QStringLiteral("Hans Absender\r\nNebenweg 3\r\n54321 Anderswo"));
    MainForm->FilenameEdit1->setText(logoPath);
    MainForm->ComboBox2->setCurrentIndex(1);
    MainForm->ZoomEd->setValue(100);
    settle();
    const QSize c6 = MainForm->PaintBox1->size();
    const quint64 drawnBefore = PreviewSheetDrawings();
    const double warm = MedianMs(
            200, [] {}, [] { MainForm->PaintBox1->repaint(); });
    const double cold = MedianMs(
            50, [] { SharedPictureCache().clear(); }, [] { MainForm->PaintBox1->repaint(); });
    if (PreviewSheetDrawings() - drawnBefore != 250) {
        std::fprintf(stderr,
                     "expected 250 sheet drawings, got %llu\n",
                     (unsigned long long)(PreviewSheetDrawings() - drawnBefore));
        return 1;
    }
    const QSize sheet = c6 - QSize(16, 16);
    const double whole = MedianMs(
            200,
            [] {},
            [sheet] {
                QImage image(sheet, QImage::Format_RGB32);
                QPainter p(&image);
                MainForm->PaintToCanvas(
                        p, MainForm->logicalDpiX(), sheet.width(), sheet.height(), 100, false);
            });
    const QSize view = MainForm->ScrollBox1->viewport()->size();
    std::printf("C6 zoom 100, 1600x1200 PNG below the sender, paint box %dx%d, viewport %dx%d:\n",
                c6.width(),
                c6.height(),
                view.width(),
                view.height());
    std::printf("  PaintBox1Paint median %.3f ms (picture reused), %.3f ms (picture decoded every paint)\n",
                warm,
                cold);
    std::printf("  PaintToCanvas of the whole sheet into an image: median %.3f ms\n", whole);
    std::printf("  peak RSS so far %ld MB\n", peakRssMb());

    MainForm->ComboBox1->setCurrentIndex(8);
    MainForm->Papierformat(8);
    MainForm->ZoomEd->setValue(1000);
    settle();
    QScrollBar *h = MainForm->ScrollBox1->horizontalScrollBar();
    QScrollBar *v = MainForm->ScrollBox1->verticalScrollBar();
    h->setValue(h->maximum() / 2);
    v->setValue(v->maximum() / 2);
    QCoreApplication::processEvents();
    QWidget *viewport = MainForm->ScrollBox1->viewport();
    const quint64 c3Before = PreviewSheetDrawings();
    const double c3 = MedianMs(
            20, [] {}, [] { MainForm->PaintBox1->repaint(); });
    if (PreviewSheetDrawings() - c3Before != 20) {
        std::fprintf(stderr,
                     "expected 20 sheet drawings, got %llu\n",
                     (unsigned long long)(PreviewSheetDrawings() - c3Before));
        return 1;
    }
    const QSize box = MainForm->PaintBox1->size();
    std::printf("C3 zoom 1000, paint box %dx%d, scrolled to %d,%d, viewport %dx%d:\n",
                box.width(),
                box.height(),
                h->value(),
                v->value(),
                viewport->width(),
                viewport->height());
    std::printf("  one paint median %.3f ms\n", c3);
    std::printf("  peak RSS %ld MB\n", peakRssMb());
    DestroyApplicationWindows();
    return 0;
}
