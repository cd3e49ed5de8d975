#pragma once

// What the printing benchmarks share: the logo their envelopes carry, and waiting until a queue of
// the scheduler they started has no job left.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QThread>

#include <cups/cups.h>

// A 400 x 300 PNG logo in folder; returns its path.
inline QString makeLogo(const QString &folder)
{
    QImage logo(400, 300, QImage::Format_RGB32);
    QPainter p(&logo);
    QLinearGradient g(0, 0, 400, 300);
    g.setColorAt(0, QColor(20, 60, 160));
    g.setColorAt(1, QColor(240, 200, 40));
    p.fillRect(logo.rect(), g);
    p.setPen(QPen(Qt::white, 12));
    p.drawEllipse(QRect(60, 40, 280, 220));
    p.end();
    const QString file = folder + QStringLiteral("/logo.png");
    logo.save(file, "PNG");
    return file;
}

// Whether the queue ran empty within ten minutes.
inline bool queueIdle(const QString &queue)
{
    for (int i = 0; i < 6000; ++i) {
        cups_job_t *jobs = nullptr;
        const int n = cupsGetJobs2(
                CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
        cupsFreeJobs(n, jobs);
        if (n == 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}
