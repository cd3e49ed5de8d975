#pragma once

// Figures for the benchmark programs: medians of repeated runs, and the processor time and memory of
// this process. Every benchmark measures through these, so their figures mean the same thing.

#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <vector>

// The run in the middle when ordered by key (of two middles, the later); a default value for none.
template<class T, class Key>
T MedianBy(std::vector<T> runs, Key key)
{
    if (runs.empty())
        return T{};
    const auto middle = runs.begin() + runs.size() / 2;
    std::nth_element(
            runs.begin(), middle, runs.end(), [&key](const T &a, const T &b) { return key(a) < key(b); });
    return *middle;
}

template<class T>
T Median(std::vector<T> values)
{
    return MedianBy(std::move(values), [](const T &v) { return v; });
}

// Milliseconds since the timer started, to the nanosecond the timer offers.
inline double ElapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Median milliseconds of one call of work over runs calls; before runs untimed ahead of each.
inline double MedianMs(int runs, const std::function<void()> &before, const std::function<void()> &work)
{
    std::vector<double> ms;
    ms.reserve(size_t(std::max(runs, 0)));
    for (int i = 0; i < runs; ++i) {
        before();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(ElapsedMs(t));
    }
    return Median(std::move(ms));
}

// Processor time (user and system) of this process so far: on a shared machine a steadier figure than
// the wall clock.
inline double ProcessorSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The most resident memory this process has had, in KiB.
inline long PeakResidentKib()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss; // kilobytes on Linux
}

// Resident memory now, in KiB; -1 where the system does not say.
inline long ResidentKib()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}
