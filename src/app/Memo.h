#pragma once

#include <QPlainTextEdit>

// A multi-line text field whose text, as the rest of the program sees it, has its lines separated
// by CR LF. A lone CR or LF in a text that is set starts a new line as well.
class TMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TMemo(QWidget *parent = nullptr);
    QString text() const;
    void setText(const QString &text);
    QStringList lines() const;
    void setLine(int index, const QString &line);
    void insertLine(int index, const QString &line);
    void deleteLine(int index);
    int lineCount() const;
};
