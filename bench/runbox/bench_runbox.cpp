// The run box over a CSV file of N lines (default 100,000; the first argument sets N), offscreen:
//  1. opening the file (counting and indexing it) and making the box (count and first envelope);
//  2. showing one record in the preview, i.e. fetching record k and drawing its envelope (a
//     synchronous repaint), for k = 1, N / 2 and N (median of 20 each) and for 1,000 steps of the
//     next button from N / 2 (median and slowest step);
//  3. the count with "Leere Zeilen auslassen" ticked, which looks at every record of the range.
// A second argument names a PNG file the box's picture is saved to, to look at.
// The envelope carries a sender, an info line and a 1200 x 800 PNG picture, as a real design does.

#include "BenchMeasure.h"
#include "TestEnvironment.h"

#include "app/RecordPreview.h"
#include "app/RunBox.h"
#include "core/sources/RecordSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    env.prepareApplication();
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100'000;

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("adressen.csv"));
    {
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        QByteArray all;
        for (int i = 1; i <= n; ++i)
            all += "Frau Erika Mustermann " + QByteArray::number(i) + ";Firma " + QByteArray::number(i % 97)
                   + ";;Musterstra\xC3\x9F"
                     "e "
                   + QByteArray::number(i) + ";" + QByteArray::number(10000 + i % 90000) + " Berlin\n";
        f.write(all);
    }
    const QString logo = dir.filePath(QStringLiteral("logo.png"));
    {
        QImage image(1200, 800, QImage::Format_RGB32);
        QRandomGenerator rng(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 255 / 1200, y * 255 / 800, int(rng.bounded(256))));
        image.save(logo);
    }

    QElapsedTimer t;
    t.start();
    sources::SourceOpenResult opened = sources::OpenRecordSourceFile(csv);
    if (opened.error)
        return 1;
    const double openMs = ElapsedMs(t);

    TRunQuestion q;
    q.countText = QStringLiteral("Umschläge: %1");
    q.source = opened.source.get();
    q.envelope.sender = QStringLiteral("Velmora GmbH\r\nAm Markt 1\r\n01067 Dresden");
    q.envelope.infoLine = QStringLiteral("Einschreiben");
    q.envelope.pictureFile = logo;
    t.restart();
    TRunBox box(q);
    box.resize(1000, 700);
    box.show();
    QCoreApplication::processEvents();
    box.preview()->repaint();
    const double boxMs = ElapsedMs(t);

    if (argc > 2)
        box.grab().save(QString::fromLocal8Bit(argv[2]));

    const auto show = [&box](int k) {
        box.showRecord(k);
        box.preview()->repaint();
    };
    std::printf("%d records, file %lld KiB; preview %dx%d at zoom %d\n",
                n,
                QFileInfo(csv).size() / 1024,
                box.preview()->sheetRect().width(),
                box.preview()->sheetRect().height(),
                box.preview()->zoom());
    std::printf("open and index the file %8.1f ms; make and show the box (count, first envelope) %8.1f ms\n",
                openMs,
                boxMs);
    for (int k : {1, n / 2, n}) {
        const double ms = MedianMs(
                20, [&] { show(k == 1 ? 2 : k - 1); }, [&] { show(k); });
        std::printf("jump to record %6d and draw it: median %6.2f ms\n", k, ms);
    }
    show(n / 2);
    std::vector<double> steps;
    const quint64 before = box.preview()->drawings();
    for (int i = 0; i < 1000 && box.nextButton()->isEnabled(); ++i) {
        QElapsedTimer s;
        s.start();
        box.nextButton()->click();
        box.preview()->repaint();
        steps.push_back(ElapsedMs(s));
    }
    const double slowest = steps.empty() ? 0 : *std::max_element(steps.begin(), steps.end());
    std::printf("%zu steps of the next button (%llu drawings): median %6.2f ms, slowest %6.2f ms, now at "
                "record %d\n",
                steps.size(),
                static_cast<unsigned long long>(box.preview()->drawings() - before),
                Median(steps),
                slowest,
                box.recordEdit()->value());
    t.restart();
    box.skipBox()->setChecked(true);
    std::printf("tick \"Leere Zeilen auslassen\" (recount every record, redraw) %8.1f ms\n", ElapsedMs(t));
    std::printf("peak resident memory %ld KiB\n", PeakResidentKib());
    return 0;
}
