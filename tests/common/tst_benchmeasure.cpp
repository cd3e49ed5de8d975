// The benchmarks' shared figures: which run is the median, and memory and processor time in the units
// their reports print.

#include "BenchMeasure.h"

#include <QTest>

#include <vector>

namespace {

struct Run
{
    double seconds = 0;
    long peak = 0;
};

} // namespace

class TestBenchMeasure : public QObject
{
    Q_OBJECT

private slots:
    void median_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("median");
        QTest::newRow("one") << QList<int>{7} << 7;
        QTest::newRow("odd, unordered") << QList<int>{9, 1, 5} << 5;
        QTest::newRow("even: the later middle") << QList<int>{4, 1, 3, 2} << 3;
        QTest::newRow("repeated values") << QList<int>{2, 2, 8, 2, 8} << 2;
        QTest::newRow("outliers do not move it") << QList<int>{1000000, 3, 4, -1000000, 5} << 4;
        QTest::newRow("none") << QList<int>{} << 0;
    }
    void median()
    {
        QFETCH(QList<int>, values);
        QFETCH(int, median);
        QCOMPARE(Median(std::vector<int>(values.begin(), values.end())), median);
    }

    void medianByKeepsTheWholeRun()
    {
        const std::vector<Run> runs{{3.0, 10}, {1.0, 30}, {2.0, 20}};
        const Run m = MedianBy(runs, [](const Run &r) { return r.seconds; });
        QCOMPARE(m.seconds, 2.0);
        QCOMPARE(m.peak, 20L);
    }

    void medianMsTimesOnlyTheWork()
    {
        int before = 0;
        int work = 0;
        // The untimed step is slow, the timed one is not: the median must show only the latter.
        const double ms = MedianMs(
                3,
                [&before] {
                    ++before;
                    QTest::qSleep(30);
                },
                [&work] { ++work; });
        QCOMPARE(before, 3);
        QCOMPARE(work, 3);
        QVERIFY2(ms >= 0 && ms < 20, qPrintable(QString::number(ms)));
        QVERIFY(MedianMs(
                        1, [] {}, [] { QTest::qSleep(25); })
                >= 20);
    }

    void memoryInKibAndProcessorTime()
    {
        const long now = ResidentKib();
        QVERIFY(now > 1024); // a Qt program holds more than a MiB
        // A 64 MiB block touched page by page raises the peak by about that much.
        const long peakBefore = PeakResidentKib();
        std::vector<char> block(64 << 20);
        for (size_t i = 0; i < block.size(); i += 4096)
            block[i] = char(i);
        const long after = ResidentKib();
        const long peak = PeakResidentKib();
        const QByteArray figures = QByteArray::number(now) + " " + QByteArray::number(after) + " "
                                   + QByteArray::number(peakBefore) + " " + QByteArray::number(peak);
        QVERIFY2(after >= now + 60 * 1024, figures);
        // The two figures come from different kernel counters that may lag each other by a few pages.
        QVERIFY2(peak >= peakBefore && peak >= after - 4096, figures);
        QVERIFY2(peak < 64L * 1024 * 1024, figures); // kilobytes, not bytes
        const double cpu = ProcessorSeconds();
        volatile double sink = 0;
        for (int i = 0; i < 20000000; ++i)
            sink = sink + i * 0.5;
        QVERIFY(ProcessorSeconds() > cpu);
    }
};

QTEST_GUILESS_MAIN(TestBenchMeasure)
#include "tst_benchmeasure.moc"
