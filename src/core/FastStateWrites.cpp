#include "core/FastStateWrites.h"

#include <utility>

namespace {

int g_depth = 0;
bool g_unsynced = false; // a fast write happened since the last synced one

} // namespace

TFileDurability LastStateDurability()
{
    return g_depth > 0 ? TFileDurability::Fast : TFileDurability::Synced;
}

void NoteFastStateWrite()
{
    g_unsynced = true;
}

FastStateWrites::FastStateWrites(std::function<void()> writeState)
    : m_writeState(std::move(writeState))
{
    ++g_depth;
}

FastStateWrites::~FastStateWrites()
{
    if (!close())
        return;
    try {
        m_writeState();
    } catch (...) {
        // A destructor must not throw; the file on disk is still a whole one.
    }
}

void FastStateWrites::finish()
{
    if (close())
        m_writeState();
}

// Ends this scope; true when it was the outermost and the state still needs its synced write.
bool FastStateWrites::close()
{
    if (!m_open)
        return false;
    m_open = false;
    if (--g_depth > 0 || !g_unsynced)
        return false;
    g_unsynced = false;
    return true;
}
