#pragma once

#include "core/Envelope.h"
#include "core/RecordText.h"

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TRecordPreview;

namespace sources {
class RecordSource;
}

enum class TRunKind { CsvPrint, CsvList, MarkedPrint };

// What a run over address records asks before it starts. Texts arrive translated.
struct TRunQuestion
{
    QString caption;
    QString text;
    // "%1" stands for the number of records, e.g. "Umschläge: %1".
    QString countText;
    TRunKind kind = TRunKind::CsvPrint;
    // The open address source. The box may choose another sheet, separator or address kind on it; the
    // caller then runs over it as left. Without one the box only shows the counts and first records
    // given below.
    sources::RecordSource *source = nullptr;
    // The file's name as shown in messages (a sheet that cannot be read names it).
    QString fileName;
    bool offerHeader = true;
    // The design: the preview draws it with the record shown as the recipient.
    EnvelopeValue envelope;
    // "Von" preset (a resumed run) and a line saying why.
    qsizetype presetFrom = 1;
    QString presetNote;

    // Without a source: the number of records and the first one, with and without the header line.
    int records = 0;
    QStringList firstRecord;
    int recordsAfterHeader = 0;
    QStringList firstRecordAfterHeader;
};

struct TRunAnswer
{
    TRunAnswer() = default;
    // {accepted, header}: the whole source, one job per envelope.
    TRunAnswer(bool accepted_,
               bool firstLineIsHeader_,
               TRunOptions options_ = {},
               TRunDestination destination_ = TRunDestination::JobPerEnvelope)
        : accepted(accepted_)
        , firstLineIsHeader(firstLineIsHeader_ || options_.firstLineIsHeader)
        , options(options_)
        , destination(destination_)
    {
        options.firstLineIsHeader = firstLineIsHeader;
    }

    bool accepted = false;
    bool firstLineIsHeader = false; // the same as options.firstLineIsHeader
    TRunOptions options;
    TRunDestination destination = TRunDestination::JobPerEnvelope;
};

// The box behind TDialogs::confirmRun, where a run is set up: the question's text with the information
// icon, the number of envelopes or addresses, the source's own choices (separator, sheet, address
// kind) and notes, the header line, blank lines, the range, every record's envelope with stepping, and
// for print runs where the envelopes go. The last choices (range aside) are kept in the per-user store.
class TRunBox : public QDialog
{
    Q_OBJECT
public:
    TRunBox(const TRunQuestion &question, QWidget *parent = nullptr);

    TRunAnswer answer() const;

    QLabel *countLabel() const { return m_count; }
    QLabel *recordLabel() const { return m_record; }
    QCheckBox *headerBox() const { return m_header; }
    QCheckBox *skipBox() const { return m_skip; }
    QSpinBox *fromEdit() const { return m_from; }
    QSpinBox *toEdit() const { return m_to; }
    QSpinBox *recordEdit() const { return m_number; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    TRecordPreview *preview() const { return m_preview; }
    QLabel *noLineLabel() const { return m_noLine; }
    QLabel *rangeLabel() const { return m_rangeNote; }
    QComboBox *separatorChoice() const { return m_separator; }
    QComboBox *sheetChoice() const { return m_sheet; }
    QComboBox *addressChoice() const { return m_address; }
    QLabel *sourceNote() const { return m_sourceNote; }
    QLabel *sheetError() const { return m_sheetError; }
    QRadioButton *destinationButton(TRunDestination destination) const;
    QPushButton *okButton() const { return m_ok; }

    // Record number k (1 from the first record after the header line when it is ticked) in the preview.
    void showRecord(int k);
    void stepRecord(int by);

    // The per-user store's group of the remembered choices.
    static QString storeGroup();

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWithoutSource();
    void buildWithSource();
    void showCounts();
    void sourceChanged();
    void rangesChanged();
    void redraw();
    TRunOptions options() const;
    void restoreChoices();
    void storeChoices() const;

    TRunQuestion m_question;
    QLabel *m_count = nullptr;
    QLabel *m_record = nullptr;
    QCheckBox *m_header = nullptr;
    QCheckBox *m_skip = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QSpinBox *m_number = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    TRecordPreview *m_preview = nullptr;
    QLabel *m_noLine = nullptr;
    QLabel *m_rangeNote = nullptr;
    QComboBox *m_separator = nullptr;
    QComboBox *m_sheet = nullptr;
    QComboBox *m_address = nullptr;
    QLabel *m_sourceNote = nullptr;
    QLabel *m_sheetError = nullptr;
    QButtonGroup *m_destination = nullptr;
    QPushButton *m_ok = nullptr;
    // Set while the controls are being brought in line, so their signals do not recount.
    bool m_adjusting = false;
};
