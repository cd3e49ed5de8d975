#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A file-name field with a browse button that opens a file dialog (through the dialog seam).
class TFilenameEdit : public QWidget
{
    Q_OBJECT
public:
    explicit TFilenameEdit(QWidget *parent = nullptr);
    QString text() const;
    void setText(const QString &text);
    QString Filter; // "Description|*.ext" form, set to the picture dialog's filter at start-up
    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *browseButton() const { return m_button; }

signals:
    void textChanged(const QString &text);

private:
    void browse();
    QLineEdit *m_edit;
    QToolButton *m_button;
};
