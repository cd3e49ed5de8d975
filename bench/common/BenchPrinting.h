#pragma once

// What the printing benchmarks share: the address file they print, the logo their envelopes carry,
// and waiting until a queue of the scheduler they started has no job left.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QThread>

#include <cups/cups.h>

// n CSV lines of four fields (semicolons, UTF-8, CR LF), each naming its number.
inline QByteArray addressList(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += "Firma M\xC3\xBCller " + QByteArray::number(i)
                 + ";z. Hd. Frau Meier;Hauptstra\xC3\x9F"
                   "e "
                 + QByteArray::number(i % 200 + 1) + ";" + QByteArray::number(10000 + i) + " Berlin\r\n";
    return bytes;
}

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
