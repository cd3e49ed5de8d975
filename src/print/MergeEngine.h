#pragma once

#include "core/Envelope.h"

#include <QString>

#include <exception>
#include <optional>

class TPrintWaiter;

// One record of a run: the recipient's text and where it came from, so a stopped run can say which
// record is next.
struct TMergeRecord
{
    QString recipient; // CR LF between lines, as the recipient field gives it back
    int number = 0;    // its record number in the source (after the header line), as "Von" takes it; 0: none
    int line = 0;      // where it starts in the file (a CSV file's line), 0 when it has none
    QString firstLine; // its first address line, for the messages
};

// The records of a run, pulled one at a time: a file of 5,000 lines is never held whole.
class TRecordSource
{
public:
    virtual ~TRecordSource() = default;
    // The next record; false at the end.
    virtual bool next(TMergeRecord &record) = 0;
};

// Where the envelopes of a run go. One job per envelope (TPrinterJobTarget) hands each envelope over
// as it is drawn; a target that makes one job or one PDF file of the whole run (handsOverAtEnd) opens
// it with its first envelope and hands it over in endRun.
class TPrintTarget
{
public:
    virtual ~TPrintTarget() = default;
    // total: the envelopes the run expects (the progress figure; a run may stop earlier).
    virtual void beginRun(int total) = 0;
    // The record whose envelope comes next, before printEnvelope (a target that names the records it
    // could not hand over keeps the number).
    virtual void recordNext(const TMergeRecord &) {}
    // Prints one envelope. Throws EPrintCancelled when the user cancelled while it waited for the
    // printer, EPrinterError (or another EKuvertinoError) when it could not be printed; either way
    // the envelope was not printed.
    virtual void printEnvelope(const EnvelopeValue &envelope) = 0;
    // After the last envelope of a run that printed every record. A target that hands over at the
    // end throws EPrintCancelled (cancelled while waiting for the printer) or another EKuvertinoError
    // when nothing of the run could be handed over.
    virtual void endRun() = 0;
    // Instead of endRun after a run that was cancelled or failed, or that an unexpected error broke
    // off: a target that hands over at the end drops all of the run. Throws nothing.
    virtual void abortRun() { endRun(); }
    // True when nothing of the run reaches the printer or the disk before endRun has returned.
    virtual bool handsOverAtEnd() const { return false; }
};

// What the run tells and asks on its way. The application shows it in its windows; the engine itself
// never opens one.
class TMergeProgress
{
public:
    virtual ~TMergeProgress() = default;
    // Asked before each record: true ends the run there (the record is not printed).
    virtual bool cancelRequested() { return false; }
    // The record about to be printed and its envelope (the CSV run shows it in the recipient field).
    virtual void recordStarting(const TMergeRecord &, const EnvelopeValue &) {}
    // One more envelope was handed to the target.
    virtual void envelopePrinted() {}
};

// Where a stopped run can go on (the CSV run keeps it per file); the engine only reports it.
class TResumePoint
{
public:
    virtual ~TResumePoint() = default;
    // The run printed every record.
    virtual void runCompleted() = 0;
    // The run stopped before next; printedInRun envelopes of this run were printed.
    virtual void runStopped(const TMergeRecord &next, int printedInRun) = 0;
};

enum class TMergeEnd { Completed, Cancelled, Failed };

struct TMergeResult
{
    TMergeEnd end = TMergeEnd::Completed;
    int printed = 0;                  // envelopes of this run handed over
    std::optional<TMergeRecord> next; // the record not printed, when the run stopped early
    std::exception_ptr failure;       // Failed: the EKuvertinoError that stopped it
    QString failureText;              // its message
};

// What the engine is given besides the records: the waiter it waits through while the print service
// is full, progress and Cancel, and where a stopped run is kept. Any may be absent.
struct TMergeServices
{
    TPrintWaiter *waiter = nullptr;
    TMergeProgress *progress = nullptr;
    TResumePoint *resume = nullptr;
};

// The merge: for each record the envelope value with that record as the recipient, handed to the
// target. The target's EPrintCancelled ends the run as Cancelled and any other EKuvertinoError as
// Failed, at that record; anything else is thrown on after the target's abortRun. The same errors of
// endRun end the run so too; for a target that hands over at the end, a run that does not complete
// has printed nothing and stops at the first record handed to it. total is passed to the target's
// beginRun.
TMergeResult RunMerge(TRecordSource &records,
                      const EnvelopeValue &envelope,
                      TPrintTarget &target,
                      int total,
                      const TMergeServices &services = {});

// The envelope of one record: envelope with the record's text as the recipient.
EnvelopeValue EnvelopeForRecord(const EnvelopeValue &envelope, const TMergeRecord &record);
