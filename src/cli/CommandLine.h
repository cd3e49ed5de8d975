#pragma once

#include "core/RecordText.h"
#include "core/sources/RecordSource.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line can end with; the figures are the process's exit status.
enum class TExitCode : int {
    Printed = 0,        // every envelope was printed
    Usage = 1,          // wrong usage: an unknown option, a value that cannot be, options that clash
    Unreadable = 2,     // the document or the address file could not be read
    PrinterRefused = 3, // the printer (or the PDF file) refused
    Interrupted = 4,    // SIGINT or SIGTERM ended the run between two envelopes
};

// Where the envelopes go.
enum class TOutputKind {
    PrinterJobs, // one job per envelope on the printer
    OneJob,      // one job for the whole run
    PdfFile,     // one PDF file
};

// A print run as the command line asks for it.
struct TCliOptions
{
    QString document;  // the .kvt document
    QString addresses; // empty: the document's recipient, copies times
    TRunOptions run;
    QString sheet;                                  // empty: the first sheet
    std::optional<sources::CsvSeparator> separator; // empty: as the file's content suggests
    std::optional<QString> printer;                 // empty: the system's default
    TOutputKind output = TOutputKind::PrinterJobs;
    QString pdfFile;
    int copies = 1;
    bool resume = false;
};

// What parsing gave: options to run, or an exit with a text (stdout for --help and --version, else
// stderr).
struct TCliParse
{
    std::optional<TCliOptions> options;
    TExitCode exit = TExitCode::Printed;
    QString text;
};

// Whether the arguments (the program's name first) ask for the command line rather than the window:
// they name one of its options before a lone "--".
bool IsCommandLineRun(const QStringList &arguments);

// Parses the arguments (the program's name first). Texts are in the interface language.
TCliParse ParseCommandLine(const QStringList &arguments);

// "FROM-TO", "FROM-" or "FROM" (records numbered from 1; TO empty or 0 for the last) into the run's
// range; false for anything else, or TO before FROM.
bool ParseRange(const QString &text, TRunOptions &run);
