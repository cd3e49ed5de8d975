#pragma once

// A pipe-like read-only device with no size to check a count against.

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

class SequentialDevice : public QIODevice
{
public:
    explicit SequentialDevice(const QByteArray &data)
        : m_data(data)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, m_data.size() - m_pos);
        if (n <= 0)
            return -1;
        std::memcpy(data, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};
