#pragma once

#include "app/RunBox.h"
#include "core/FontRec.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QDialog;
class QWidget;
class TPrinter;

enum class TMsgIcon { None, Error, Information, Question, Warning };
enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

// Every message box and standard dialog the handlers show goes through this seam, so tests can
// answer them from a script. The program installs the Qt implementation at start-up.
class TDialogs
{
public:
    virtual ~TDialogs() = default;

    // caption empty = the platform's default caption.
    virtual TMsgResult messageBox(
            QWidget *parent, const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons buttons)
            = 0;
    // filter in the form "Description|*.ext|Description2|*.a;*.b"; defaultExt like ".kvt"
    // (appended to a chosen name that has no extension). Empty optional = cancelled.
    virtual std::optional<QString> openFile(QWidget *parent,
                                            const QString &filter,
                                            const QString &defaultExt,
                                            const QString &startPath = QString())
            = 0;
    virtual std::optional<QString> saveFile(QWidget *parent,
                                            const QString &filter,
                                            const QString &defaultExt,
                                            const QString &startPath = QString())
            = 0;
    // Edits font in place, its colour included; returns whether the user confirmed (Cancel changes
    // nothing).
    virtual bool chooseFont(QWidget *parent, TFontRec &font) = 0;
    // The printer set-up dialog over the current printer (choice, paper, orientation).
    virtual bool printerSetup(QWidget *parent, TPrinter &printer) = 0;
    // Runs a modal window of our own (copies, address list, editor, information) and returns its result.
    virtual int execModal(QDialog *dialog) = 0;
    // The shell's "open" for a web address.
    virtual bool openUrl(const QUrl &url) = 0;
    // The confirmation before a run over a file's records (TRunBox).
    virtual TRunAnswer confirmRun(QWidget *parent, const TRunQuestion &question) = 0;
};

TDialogs &Dialogs();
// Installs the implementation (the program's Qt one, or a test script); returns the previous one.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

// A filter of the form "Text|*.a|Text2|*.b" as a Qt name filter list "Text (*.a);;Text2 (*.b)".
QString QtFilterFromPipeFilter(const QString &filter);
// Appends defaultExt (".kvt") to fileName when its last path component has no extension.
QString WithDefaultExtension(const QString &fileName, const QString &defaultExt);

// The general error report: shows an error's text with the error icon.
void ShowErrorReport(const QString &text);
