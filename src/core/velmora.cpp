#include "core/velmora.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace {

quint64 g_allocationLimit = 0; // 0 = no limit

// A fresh zero-filled block, or null when the memory cannot be had (or a test's limit forbids it).
unsigned char *obtainBlock(quint64 bytes)
{
    if (bytes > std::numeric_limits<quint32>::max())
        return nullptr;
    if (g_allocationLimit != 0 && bytes > g_allocationLimit)
        return nullptr;
    return static_cast<unsigned char *>(std::calloc(static_cast<size_t>(bytes), 1));
}

TNoMemoryReport g_noMemoryReport = nullptr;

void reportNoMemory(int situation, quint64 bytes)
{
    const QString text = QStringLiteral("Error %1 while trying to allocate ").arg(situation)
                         + QString::number(bytes) + QStringLiteral(" bytes of RAM. Not enough memory.");
    if (g_noMemoryReport)
        g_noMemoryReport(text);
    else
        qWarning("%s", qUtf8Printable(text));
}

} // namespace

void SetNoMemoryReport(TNoMemoryReport report)
{
    g_noMemoryReport = report;
}

TDynaArray::TDynaArray(quint32 thesize, void **typpoi)
    : m_outeraobj(typpoi)
    , m_size(thesize)
{}

TDynaArray::~TDynaArray()
{
    std::free(m_poi);
    m_poi = nullptr;
    m_aobj = nullptr;
    m_aobjnr = -1;
}

void TDynaArray::setAllocationLimitForTests(quint64 bytes)
{
    g_allocationLimit = bytes;
}

// The size is computed in 64 bits: a record size times 100 records that does not fit the 32-bit
// size field must fail as an allocation, not wrap around to a block too small for the records.
quint64 TDynaArray::wantedSize() const
{
    if (m_count == 0)
        return 0;
    return (quint64(m_count - 1) / buffersize + 1) * quint64(m_size) * buffersize;
}

unsigned char *TDynaArray::record(quint32 index) const
{
    return m_poi + size_t(index) * m_size;
}

void TDynaArray::setCurrent(qint32 index)
{
    m_aobjnr = index;
    m_aobj = record(quint32(index));
    if (m_outeraobj)
        *m_outeraobj = m_aobj;
}

void TDynaArray::clearCurrent()
{
    m_aobjnr = -1;
    m_aobj = nullptr;
    if (m_outeraobj)
        *m_outeraobj = nullptr;
}

TDynaArray::GrowResult TDynaArray::grow()
{
    const quint64 wanted = wantedSize();
    // A block kept after a failed shrink is larger than wanted and still fits.
    if (m_poi && wanted <= m_amemsize)
        return GrowResult::Fitted;
    unsigned char *block = obtainBlock(wanted);
    if (!block) {
        reportNoMemory(m_poi ? 2 : 1, wanted);
        return GrowResult::Failed;
    }
    if (m_poi) {
        std::memcpy(block, m_poi, m_amemsize);
        std::free(m_poi);
    }
    m_poi = block;
    m_amemsize = quint32(wanted);
    return GrowResult::NewBlock;
}

bool TDynaArray::AllocMoreMem()
{
    return grow() == GrowResult::NewBlock;
}

void TDynaArray::AllocLessMem()
{
    if (m_count == 0) {
        std::free(m_poi);
        m_poi = nullptr;
        m_amemsize = 0;
        return;
    }
    const quint64 wanted = wantedSize();
    if (wanted == m_amemsize)
        return;
    unsigned char *block = obtainBlock(wanted);
    if (!block) {
        // The old, larger block still holds every record; keep it.
        reportNoMemory(3, wanted);
        return;
    }
    std::memcpy(block, m_poi, size_t(wanted));
    std::free(m_poi);
    m_poi = block;
    m_amemsize = quint32(wanted);
}

void *TDynaArray::GetObject(quint32 Index)
{
    setCurrent(qint32(Index));
    return m_aobj;
}

void *TDynaArray::Add()
{
    if (m_count == std::numeric_limits<quint32>::max()
        || m_count >= quint32(std::numeric_limits<qint32>::max()))
        return nullptr;
    ++m_count;
    const GrowResult r = grow();
    if (r == GrowResult::Failed) {
        --m_count;
        return nullptr;
    }
    if (r == GrowResult::Fitted)
        std::memset(record(m_count - 1), 0, m_size);
    return GetObject(m_count - 1);
}

void *TDynaArray::Insert(qint32 nr)
{
    if (nr < 0 || quint32(nr) > m_count || m_count >= quint32(std::numeric_limits<qint32>::max()))
        return nullptr;
    ++m_count;
    if (grow() == GrowResult::Failed) {
        --m_count;
        return nullptr;
    }
    const size_t moved = size_t(m_size) * (m_count - quint32(nr) - 1);
    if (moved)
        std::memmove(record(quint32(nr) + 1), record(quint32(nr)), moved);
    std::memset(record(quint32(nr)), 0, m_size);
    setCurrent(nr);
    return m_aobj;
}

void TDynaArray::Delete(qint32 nr)
{
    if (nr < 0 || quint32(nr) >= m_count)
        return;
    for (quint32 i = quint32(nr) + 1; i < m_count; ++i)
        std::memcpy(record(i - 1), record(i), m_size);
    --m_count;
    AllocLessMem();
    clearCurrent();
}

void TDynaArray::Change(qint32 nr1, qint32 nr2)
{
    if (nr1 < 0 || quint32(nr1) >= m_count || nr2 < 0 || quint32(nr2) >= m_count)
        return;
    if (nr1 != nr2) {
        const std::unique_ptr<unsigned char[]> buffer(new unsigned char[m_size]);
        std::memcpy(buffer.get(), record(quint32(nr1)), m_size);
        std::memcpy(record(quint32(nr1)), record(quint32(nr2)), m_size);
        std::memcpy(record(quint32(nr2)), buffer.get(), m_size);
    }
    setCurrent(nr2);
}

void TDynaArray::Clear()
{
    m_count = 0;
    std::free(m_poi);
    m_poi = nullptr;
    m_amemsize = 0;
    clearCurrent();
}

void TDynaArray::First()
{
    if (m_count > 0)
        setCurrent(0);
}

bool TDynaArray::Next()
{
    if (m_count == 0)
        return false;
    if (m_aobjnr >= 0 && qint64(m_aobjnr) >= qint64(m_count) - 1)
        return false;
    if (m_aobjnr < -1)
        return false;
    setCurrent(m_aobjnr + 1);
    return true;
}

bool TDynaArray::WhileNext()
{
    if (m_count == 0 || m_aobjnr < 0 || qint64(m_aobjnr) > qint64(m_count) - 1)
        return false;
    setCurrent(m_aobjnr);
    ++m_aobjnr;
    return true;
}
