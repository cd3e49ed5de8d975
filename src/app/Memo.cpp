#include "app/Memo.h"

#include "core/LineBreaks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
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
    return WithCrLf(documentText(document()));
}

void TMemo::setText(const QString &text)
{
    setPlainText(WithLineFeeds(text));
}

QStringList TMemo::lines() const
{
    return SplitTextLines(documentText(document()));
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
    c.insertText(WithLineFeeds(line));
}

void TMemo::insertLine(int index, const QString &line)
{
    QTextBlock block = document()->findBlockByNumber(index);
    QTextCursor c(document());
    if (block.isValid()) {
        c.setPosition(block.position());
        c.insertText(WithLineFeeds(line) + QLatin1Char('\n'));
    } else {
        c.movePosition(QTextCursor::End);
        c.insertText((document()->isEmpty() ? QString() : QStringLiteral("\n")) + WithLineFeeds(line));
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
