#pragma once

#include <QString>
#include <QStringList>

// The program's one line-break rule, for every multi-line text (the address fields, the address list,
// the envelope's text blocks): CR LF, a lone CR and a lone LF each end a line.

// The text with each line break written as LF (the form Qt's text fields hold).
QString WithLineFeeds(const QString &text);

// The text with each line break written as CR LF (the form addresses are kept and stored in).
QString WithCrLf(const QString &text);

// The text's lines: a break at the very end starts no further line, so an empty text has no lines
// and "\r\n" has one empty line.
QStringList SplitTextLines(const QString &text);
