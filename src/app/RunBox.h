#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

// What a run over the records of a file asks before it starts: what it will do, how many records
// it will handle, the first of them, and whether the file's first line is a header. Texts arrive
// translated.
struct TRunQuestion
{
    QString caption;
    QString text;
    // "%1" stands for the number of records, e.g. "Umschläge: %1".
    QString countText;
    int records = 0;
    QStringList firstRecord;
    // The same with the first line passed over as a header.
    int recordsAfterHeader = 0;
    QStringList firstRecordAfterHeader;
};

struct TRunAnswer
{
    bool accepted = false;
    bool firstLineIsHeader = false;
};

// The box behind TDialogs::confirmRun: the question's text with the information icon, the number of
// records and the first one, the header check box (unticked), OK and Cancel.
class TRunBox : public QDialog
{
    Q_OBJECT
public:
    TRunBox(const TRunQuestion &question, QWidget *parent = nullptr);

    TRunAnswer answer() const;

    QLabel *countLabel() const { return m_count; }
    QLabel *recordLabel() const { return m_record; }
    QCheckBox *headerBox() const { return m_header; }

private:
    void showCounts();

    TRunQuestion m_question;
    QLabel *m_count;
    QLabel *m_record;
    QCheckBox *m_header;
};
