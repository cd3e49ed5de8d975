#pragma once

#include "cli/CommandLine.h"
#include "core/Envelope.h"

#include <QString>
#include <QStringList>

// The interface language stored in options0.dat, read as the window reads it; English when none is
// stored.
int StoredInterfaceLanguage(const QString &settingsFolder);

// Prints as options ask, writing messages to standard error; returns the exit status. Needs the
// application object and the translation table.
TExitCode RunPrint(const TCliOptions &options);

// The command line's whole process, when main dispatches to it: an application without windows
// (no display needed), the stored interface language, parsing and the run. Returns the exit status.
int RunCommandLineProgram(int argc, char *argv[]);
