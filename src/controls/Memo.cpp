#include "Memo.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// CR LF, CR and LF each end a line.
QString toQtText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

// The document's text with LF between lines. Unlike toPlainText() it keeps no-break spaces: an
// address must come back exactly as it was set.
QString documentText(const QTextDocument *document)
{
    QString t = document->toRawText();
    for (QChar &c : t) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QChar(0xFDD0)
            || c == QChar(0xFDD1))
            c = QLatin1Char('\n');
    }
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
    QString t = documentText(document());
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

void TMemo::setText(const QString &text)
{
    setPlainText(toQtText(text));
}

QStringList TMemo::lines() const
{
    const QString t = documentText(document());
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
