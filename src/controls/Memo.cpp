#include "Memo.h"

#include <QTextBlock>
#include <QTextCursor>

namespace {
// CR LF, CR and LF each end a line.
QString toQtText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
} // namespace

TMemo::TMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

QString TMemo::text() const
{
    QString t = toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

void TMemo::setText(const QString &text)
{
    setPlainText(toQtText(text));
}

QStringList TMemo::lines() const
{
    const QString t = toPlainText();
    if (t.isEmpty())
        return {};
    QStringList l = t.split(QLatin1Char('\n'));
    // A final line break starts no further line.
    if (l.size() > 1 && l.last().isEmpty())
        l.removeLast();
    return l;
}

int TMemo::lineCount() const
{
    return int(lines().size());
}

void TMemo::setLine(int index, const QString &line)
{
    QTextBlock block = document()->findBlockByNumber(index);
    if (!block.isValid())
        return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(toQtText(line));
}

void TMemo::insertLine(int index, const QString &line)
{
    QTextBlock block = document()->findBlockByNumber(index);
    QTextCursor c(document());
    if (block.isValid()) {
        c.setPosition(block.position());
        c.insertText(toQtText(line) + QLatin1Char('\n'));
    } else {
        c.movePosition(QTextCursor::End);
        c.insertText((document()->isEmpty() ? QString() : QStringLiteral("\n")) + toQtText(line));
    }
}

void TMemo::deleteLine(int index)
{
    QTextBlock block = document()->findBlockByNumber(index);
    if (!block.isValid())
        return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    if (block.next().isValid())
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    else if (block.previous().isValid()) {
        c.setPosition(block.position() - 1);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.setPosition(block.position() - 1);
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
}
