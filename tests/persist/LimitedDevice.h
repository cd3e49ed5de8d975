#pragma once

// A device that takes only a given number of bytes and then refuses every write, like a disk that
// fills up. It collects what it took, or passes it on to a target device.

#include <QByteArray>
#include <QIODevice>

class LimitedDevice : public QIODevice
{
public:
    explicit LimitedDevice(qint64 limit, QIODevice *target = nullptr)
        : m_limit(limit)
        , m_target(target)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray taken;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 room = m_limit - taken.size();
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = qMin(room, len);
        if (m_target && m_target->write(data, n) != n)
            return -1;
        taken.append(data, n);
        return n;
    }

private:
    qint64 m_limit;
    QIODevice *m_target;
};
