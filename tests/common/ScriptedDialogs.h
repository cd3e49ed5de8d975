#pragma once

// A dialog seam for tests: answers come from queues, and everything shown is recorded.

#include "app/Dialogs.h"

#include <QDialog>
#include <QList>
#include <QQueue>
#include <QString>

#include <functional>
#include <memory>

class ScriptedDialogs : public TDialogs
{
public:
    struct Message
    {
        QString text;
        QString caption;
        TMsgIcon icon;
        TMsgButtons buttons;
    };
    struct FileRequest
    {
        QString kind; // "open" or "save"
        QString filter;
        QString defaultExt;
    };

    // Queued answers; when a queue is empty: messages answer Ok (Yes for Yes/No questions), file
    // dialogs cancel, font and printer dialogs cancel, modal windows are rejected.
    QQueue<TMsgResult> messageAnswers;
    QQueue<std::optional<QString>> fileAnswers;          // nullopt = cancel
    QQueue<std::function<bool(TFontRec &)>> fontAnswers; // edits the font, returns accepted
    QQueue<std::function<bool(TPrinter &)>> printerAnswers;
    QQueue<std::function<int(QDialog *)>> modalAnswers; // runs while the dialog is "open"
    QQueue<TRunAnswer> runAnswers;                      // empty: OK, first line not a header,
                                                        // whole source, one job per envelope

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QList<QUrl> openedUrls;
    int fontDialogs = 0;
    int printerDialogs = 0;
    QList<QDialog *> modalDialogs;
    QList<TRunQuestion> runQuestions;

    TMsgResult messageBox(QWidget *,
                          const QString &text,
                          const QString &caption,
                          TMsgIcon icon,
                          TMsgButtons buttons) override
    {
        messages.append({text, caption, icon, buttons});
        if (!messageAnswers.isEmpty())
            return messageAnswers.dequeue();
        return (buttons == TMsgButtons::YesNo || buttons == TMsgButtons::YesNoCancel) ? TMsgResult::Yes
                                                                                      : TMsgResult::Ok;
    }
    std::optional<QString>
    openFile(QWidget *, const QString &filter, const QString &defaultExt, const QString &) override
    {
        fileRequests.append({QStringLiteral("open"), filter, defaultExt});
        return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
    }
    std::optional<QString>
    saveFile(QWidget *, const QString &filter, const QString &defaultExt, const QString &) override
    {
        fileRequests.append({QStringLiteral("save"), filter, defaultExt});
        if (fileAnswers.isEmpty())
            return std::nullopt;
        auto answer = fileAnswers.dequeue();
        if (answer)
            return WithDefaultExtension(*answer, defaultExt);
        return answer;
    }
    bool chooseFont(QWidget *, TFontRec &font) override
    {
        ++fontDialogs;
        return fontAnswers.isEmpty() ? false : fontAnswers.dequeue()(font);
    }
    bool printerSetup(QWidget *, TPrinter &printer) override
    {
        ++printerDialogs;
        return printerAnswers.isEmpty() ? false : printerAnswers.dequeue()(printer);
    }
    int execModal(QDialog *dialog) override
    {
        modalDialogs.append(dialog);
        // Shown for the duration of the call, as a modal window would be.
        dialog->setModal(true);
        dialog->show();
        int result = QDialog::Rejected;
        if (!modalAnswers.isEmpty())
            result = modalAnswers.dequeue()(dialog);
        dialog->hide();
        dialog->setModal(false);
        return result;
    }
    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return true;
    }
    TRunAnswer confirmRun(QWidget *, const TRunQuestion &question) override
    {
        runQuestions.append(question);
        TRunAnswer answer = runAnswers.isEmpty() ? TRunAnswer{true, false} : runAnswers.dequeue();
        // The box opens with "Von" preset; an answer that names no range takes it as shown.
        if (answer.options.from == 1 && answer.options.to == 0)
            answer.options.from = question.presetFrom;
        return answer;
    }
};

// Installs a fresh ScriptedDialogs for the lifetime of the guard and gives access to it.
class ScriptedDialogsGuard
{
public:
    ScriptedDialogsGuard()
    {
        auto d = std::make_unique<ScriptedDialogs>();
        m_dialogs = d.get();
        m_previous = SetDialogs(std::move(d));
    }
    ~ScriptedDialogsGuard() { SetDialogs(std::move(m_previous)); }
    ScriptedDialogs *operator->() const { return m_dialogs; }
    ScriptedDialogs &operator*() const { return *m_dialogs; }

private:
    ScriptedDialogs *m_dialogs;
    std::unique_ptr<TDialogs> m_previous;
};
