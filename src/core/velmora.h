#pragma once

#include <QString>
#include <QtGlobal>

// Where TDynaArray reports an allocation that failed (the dialog seam installs its message box;
// without one the text goes to the log).
// A plain function pointer: constant-initialised, so an installation during static start-up holds.
using TNoMemoryReport = void (*)(const QString &text);
void SetNoMemoryReport(TNoMemoryReport report);

// A growable array of fixed-size plain-data records in one contiguous block, growing and shrinking
// in steps of 100 records, handing out zero-filled records, with a cursor mirrored into a
// caller-owned pointer variable.
class TDynaArray
{
public:
    // typpoi: address of the caller's current-record variable, or null. Not written here.
    TDynaArray(quint32 thesize, void **typpoi);
    virtual ~TDynaArray();
    TDynaArray(const TDynaArray &) = delete;
    TDynaArray &operator=(const TDynaArray &) = delete;

    // Makes record Index current and returns it; Index is not checked (0 <= Index < count()).
    void *GetObject(quint32 Index);
    bool AllocMoreMem();
    void AllocLessMem();
    // Both return the new zero-filled current record, or null (array unchanged) when the storage
    // cannot grow: the out-of-memory message has been shown then. Insert also returns null for
    // nr outside 0..count().
    void *Add();
    void *Insert(qint32 nr);
    // Removes record nr (ignored outside 0..count()-1); afterwards there is no current record.
    void Delete(qint32 nr);
    void Change(qint32 nr1, qint32 nr2);
    void Clear();
    void First();
    bool Next();
    bool WhileNext();

    quint32 count() const { return m_count; }
    qint32 aobjnr() const { return m_aobjnr; }
    void *aobj() const { return m_aobj; }
    const void *storage() const { return m_poi; }
    quint32 amemsize() const { return m_amemsize; }
    quint32 size() const { return m_size; }
    static constexpr quint32 buffersize = 100;

    // Makes every block larger than bytes fail as if the memory were exhausted (0 = no limit), so the
    // out-of-memory path can be exercised.
    static void setAllocationLimitForTests(quint64 bytes);

private:
    enum class GrowResult { Fitted, NewBlock, Failed };
    quint64 wantedSize() const;
    GrowResult grow();
    unsigned char *record(quint32 index) const;
    void setCurrent(qint32 index);
    void clearCurrent();

    void **m_outeraobj;
    void *m_aobj = nullptr;
    unsigned char *m_poi = nullptr;
    quint32 m_count = 0;
    qint32 m_aobjnr = -1;
    quint32 m_amemsize = 0;
    quint32 m_size;
};

// The typed layer: records of type T, the caller's variable a T*.
template<class T>
class TTypedArray : public TDynaArray
{
public:
    explicit TTypedArray(T **current)
        : TDynaArray(sizeof(T), reinterpret_cast<void **>(current))
    {}
    T *at(quint32 index) { return static_cast<T *>(GetObject(index)); }
    T *add() { return static_cast<T *>(Add()); }
    T *insert(qint32 nr) { return static_cast<T *>(Insert(nr)); }
    T *current() const { return static_cast<T *>(aobj()); }
};
