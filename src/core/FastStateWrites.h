#pragma once

#include "core/AtomicFile.h"

#include <functional>

// The durability the last state is written with now: synced, so that a power cut right after a
// user's command leaves the new file; fast only inside a FastStateWrites scope.
TFileDurability LastStateDurability();
// The write of the last state reports each fast write here, so the scope's end knows to sync.
void NoteFastStateWrite();

// A run that writes the last state once per record (the CSV list run) opens one of these: inside it
// those writes go fast, and finish() ends the run with one synced write when any fast one was made.
// Scopes nest; only the outermost one writes.
class FastStateWrites
{
public:
    // writeState writes the last state (the main window's SaveOptions), synced.
    explicit FastStateWrites(std::function<void()> writeState);
    // Leaving without finish() (an error stopped the run) still tries the synced write, quietly: the
    // error that stopped the run is the one reported.
    ~FastStateWrites();
    // Throws what the write of the last state throws.
    void finish();

    FastStateWrites(const FastStateWrites &) = delete;
    FastStateWrites &operator=(const FastStateWrites &) = delete;

private:
    bool close();

    std::function<void()> m_writeState;
    bool m_open = true;
};
