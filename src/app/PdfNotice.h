#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;
class QToolButton;

// A bar in the main window that says where the built-in PDF printer put a print run's files and
// opens their folder. It takes no focus and blocks nothing: the next print replaces it, its close
// button hides it.
class TPdfNotice : public QFrame
{
    Q_OBJECT
public:
    explicit TPdfNotice(QWidget *parent = nullptr);

    // Shows the notice for a run that wrote `files` PDF files, the last of them lastFile.
    void showFiles(const QString &lastFile, int files);
    QString folder() const { return m_folder; }
    QLabel *textLabel() const { return m_text; }
    QPushButton *openButton() const { return m_open; }
    QToolButton *closeButton() const { return m_close; }

    // The sentence for a run's files in the interface language.
    static QString noticeText(const QString &lastFile, int files);

private:
    void openFolder();

    QLabel *m_text;
    QPushButton *m_open;
    QToolButton *m_close;
    QString m_folder;
};

// Makes screen readers announce a shown notice as an alert.
void InstallPdfNoticeAccessibility();
