#include "app/RunBox.h"

#include "app/DialogButtons.h"
#include "app/FormStorage.h"
#include "app/RecordPreview.h"
#include "app/ThemedIcon.h"
#include "core/sources/RecordSource.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "print/SourceRecords.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <limits>

namespace {

// Keys of the remembered choices.
constexpr char HeaderKey[] = "FirstLineIsHeader";
constexpr char SkipKey[] = "SkipEmptyLines";
constexpr char DestinationKey[] = "Destination";

const char *destinationName(TRunDestination d)
{
    switch (d) {
    case TRunDestination::OneJob:
        return "OneJob";
    case TRunDestination::PdfFile:
        return "PdfFile";
    case TRunDestination::JobPerEnvelope:
        break;
    }
    return "JobPerEnvelope";
}

int spinValue(qsizetype n)
{
    return int(qBound(qsizetype(1), n, qsizetype(std::numeric_limits<int>::max())));
}

// Gives each labelled control a keyboard mnemonic: the first letter of its text that no earlier control
// has taken. Done on the translated texts, so every language gets mnemonics without table entries.
void assignMnemonics(const QList<QObject *> &controls)
{
    QSet<QChar> taken;
    const auto pick = [&taken](QString text) {
        if (text.contains(QLatin1Char('&')))
            return text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i].toLower();
            if (!c.isLetterOrNumber() || taken.contains(c))
                continue;
            taken.insert(c);
            text.insert(i, QLatin1Char('&'));
            return text;
        }
        return text;
    };
    for (QObject *o : controls) {
        if (auto *label = qobject_cast<QLabel *>(o))
            label->setText(pick(label->text()));
        else if (auto *button = qobject_cast<QAbstractButton *>(o))
            button->setText(pick(button->text()));
        else if (auto *group = qobject_cast<QGroupBox *>(o))
            group->setTitle(pick(group->title()));
    }
}

QLabel *wrappedNote(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    // A wrapped label in a layout is given the least width; it needs room for a few words a line.
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 30);
    return label;
}

} // namespace

TRunBox::TRunBox(const TRunQuestion &question, QWidget *parent)
    : QDialog(parent)
    , m_question(question)
    , m_count(new QLabel(this))
    , m_record(new QLabel(this))
    , m_header(new QCheckBox(TranslateText(QStringLiteral("Erste Zeile ist eine Überschrift")), this))
{
    setObjectName(QStringLiteral("RunBox"));
    setWindowTitle(question.caption);
    m_count->setObjectName(QStringLiteral("RunBoxCount"));
    m_record->setObjectName(QStringLiteral("RunBoxRecord"));
    m_header->setObjectName(QStringLiteral("RunBoxHeader"));
    if (question.source)
        buildWithSource();
    else
        buildWithoutSource();
}

QString TRunBox::storeGroup()
{
    return QStringLiteral("RunBox");
}

namespace {

// The information icon of a message box, at the top of its cell.
QLabel *informationIcon(QWidget *box)
{
    auto *icon = new QLabel(box);
    const int side = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
    icon->setPixmap(
            box->style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, box).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

} // namespace

void TRunBox::buildWithoutSource()
{
    QLabel *icon = informationIcon(this);

    auto *text = new QLabel(m_question.text, this);
    text->setWordWrap(true);
    // The first record as it will be printed or stored, line by line, in a sunken frame.
    m_record->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_record->setTextFormat(Qt::PlainText);
    m_record->setMargin(6);
    m_record->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QDialogButtonBox *buttons = OkCancelButtons(this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(m_header, &QCheckBox::toggled, this, &TRunBox::showCounts);

    auto *grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 4, 1);
    grid->addWidget(text, 0, 1);
    grid->addWidget(m_count, 1, 1);
    grid->addWidget(m_record, 2, 1);
    grid->addWidget(m_header, 3, 1);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showCounts();
}

void TRunBox::buildWithSource()
{
    sources::RecordSource &source = *m_question.source;
    QList<QObject *> labelled;

    QLabel *icon = informationIcon(this);
    auto *text = new QLabel(m_question.text, this);
    text->setWordWrap(true);
    auto *preset = wrappedNote(this, "RunBoxPresetNote");
    preset->setText(m_question.presetNote);
    preset->setVisible(!m_question.presetNote.isEmpty());
    m_record->hide();

    // The source's own choices, each only where it applies.
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    const auto choice = [&](const char *name, const QString &labelText) {
        auto *combo = new QComboBox(this);
        combo->setObjectName(QString::fromLatin1(name));
        auto *label = new QLabel(labelText, this);
        label->setBuddy(combo);
        combo->setAccessibleName(labelText);
        form->addRow(label, combo);
        labelled << label;
        return combo;
    };
    if (source.format() == sources::SourceFormat::Csv) {
        m_separator = choice("RunBoxSeparator", TranslateText(QStringLiteral("Trennzeichen:")));
        m_separator->addItem(TranslateText(QStringLiteral("Semikolon")),
                             int(sources::CsvSeparator::Semicolon));
        m_separator->addItem(TranslateText(QStringLiteral("Komma")), int(sources::CsvSeparator::Comma));
        m_separator->addItem(TranslateText(QStringLiteral("Tabulator")), int(sources::CsvSeparator::Tab));
        m_separator->setCurrentIndex(m_separator->findData(int(source.separator())));
        connect(m_separator, &QComboBox::currentIndexChanged, this, [this] {
            m_question.source->setSeparator(sources::CsvSeparator(m_separator->currentData().toInt()));
            sourceChanged();
        });
    }
    if (source.sheetNames().size() > 1) {
        m_sheet = choice("RunBoxSheet", TranslateText(QStringLiteral("Tabellenblatt:")));
        m_sheet->addItems(source.sheetNames());
        m_sheet->setCurrentIndex(source.currentSheet());
        connect(m_sheet, &QComboBox::currentIndexChanged, this, [this](int index) {
            sources::RecordSource &s = *m_question.source;
            if (index < 0 || index == s.currentSheet())
                return;
            const sources::SourceError error = s.selectSheet(index);
            m_sheetError->setText(error ? TranslateText(sources::SourceErrorText(error.kind))
                                                  .arg(m_question.fileName, error.detail)
                                        : QString());
            m_sheetError->setVisible(bool(error));
            if (error) {
                // The previous sheet stays chosen: the list says so.
                const QSignalBlocker block(m_sheet);
                m_sheet->setCurrentIndex(s.currentSheet());
                return;
            }
            sourceChanged();
        });
    }
    if (source.format() == sources::SourceFormat::VCard) {
        m_address = choice("RunBoxAddressKind", TranslateText(QStringLiteral("Anschrift:")));
        m_address->addItem(TranslateText(QStringLiteral("Bevorzugt")), int(sources::AddressKind::Preferred));
        m_address->addItem(TranslateText(QStringLiteral("Geschäftlich")), int(sources::AddressKind::Work));
        m_address->addItem(TranslateText(QStringLiteral("Privat")), int(sources::AddressKind::Home));
        m_address->setCurrentIndex(m_address->findData(int(source.addressKind())));
        connect(m_address, &QComboBox::currentIndexChanged, this, [this] {
            m_question.source->setAddressKind(sources::AddressKind(m_address->currentData().toInt()));
            sourceChanged();
        });
    }
    m_sheetError = wrappedNote(this, "RunBoxSheetError");
    m_sheetError->hide();
    m_sourceNote = wrappedNote(this, "RunBoxSourceNote");
    form->addRow(m_sheetError);
    form->addRow(m_sourceNote);

    m_header->setVisible(m_question.offerHeader);
    m_skip = new QCheckBox(TranslateText(QStringLiteral("Leere Zeilen auslassen")), this);
    m_skip->setObjectName(QStringLiteral("RunBoxSkipEmptyLines"));
    form->addRow(m_header);
    form->addRow(m_skip);
    if (m_question.offerHeader)
        labelled << m_header;
    labelled << m_skip;

    // The range, in record numbers.
    m_from = new QSpinBox(this);
    m_from->setObjectName(QStringLiteral("RunBoxFrom"));
    m_to = new QSpinBox(this);
    m_to->setObjectName(QStringLiteral("RunBoxTo"));
    auto *fromLabel = new QLabel(TranslateText(QStringLiteral("Von Datensatz:")), this);
    auto *toLabel = new QLabel(TranslateText(QStringLiteral("bis:")), this);
    fromLabel->setBuddy(m_from);
    toLabel->setBuddy(m_to);
    m_from->setAccessibleName(fromLabel->text());
    m_to->setAccessibleName(TranslateText(QStringLiteral("bis Datensatz")));
    auto *range = new QHBoxLayout;
    range->addWidget(m_from, 1);
    range->addWidget(toLabel);
    range->addWidget(m_to, 1);
    form->addRow(fromLabel, range);
    labelled << fromLabel << toLabel;
    m_rangeNote = wrappedNote(this, "RunBoxRangeNote");
    m_rangeNote->setText(TranslateText(QStringLiteral("Der Bereich ist leer: „bis“ liegt vor „Von“.")));
    m_rangeNote->hide();
    form->addRow(m_rangeNote);

    auto *left = new QVBoxLayout;
    left->addWidget(text);
    left->addWidget(preset);
    m_count->setTextFormat(Qt::PlainText);
    left->addWidget(m_count);
    left->addLayout(form);

    // Where a print run goes.
    if (m_question.kind != TRunKind::CsvList) {
        auto *group = new QGroupBox(TranslateText(QStringLiteral("Ausgabe")), this);
        group->setObjectName(QStringLiteral("RunBoxDestination"));
        auto *column = new QVBoxLayout(group);
        m_destination = new QButtonGroup(this);
        const std::pair<TRunDestination, QString> destinations[]
                = {{TRunDestination::JobPerEnvelope,
                    TranslateText(QStringLiteral("Jeder Umschlag ein Druckauftrag"))},
                   {TRunDestination::OneJob, TranslateText(QStringLiteral("Als ein Druckauftrag"))},
                   {TRunDestination::PdfFile, TranslateText(QStringLiteral("In eine PDF-Datei"))}};
        for (const auto &[destination, label] : destinations) {
            auto *radio = new QRadioButton(label, group);
            radio->setObjectName(QStringLiteral("RunBoxDestination")
                                 + QLatin1String(destinationName(destination)));
            m_destination->addButton(radio, int(destination));
            column->addWidget(radio);
            labelled << radio;
        }
        m_destination->button(int(TRunDestination::JobPerEnvelope))->setChecked(true);
        left->addWidget(group);
    }
    left->addStretch(1);

    // Every record's envelope, with stepping.
    auto *previewGroup = new QGroupBox(TranslateText(QStringLiteral("Vorschau")), this);
    m_preview = new TRecordPreview(previewGroup);
    m_preview->setObjectName(QStringLiteral("RunBoxPreview"));
    m_preview->setPage(PreviewPageOf(Printer()));
    m_preview->setAccessibleName(TranslateText(QStringLiteral("Vorschau")));
    m_previous = new QPushButton(ThemedIcon("go-previous", QStyle::SP_ArrowLeft), QString(), previewGroup);
    m_next = new QPushButton(ThemedIcon("go-next", QStyle::SP_ArrowRight), QString(), previewGroup);
    m_previous->setObjectName(QStringLiteral("RunBoxPrevious"));
    m_next->setObjectName(QStringLiteral("RunBoxNext"));
    m_previous->setAutoDefault(false);
    m_next->setAutoDefault(false);
    const QString previousText = TranslateText(QStringLiteral("Vorheriger Datensatz"));
    const QString nextText = TranslateText(QStringLiteral("Nächster Datensatz"));
    m_previous->setAccessibleName(previousText);
    m_next->setAccessibleName(nextText);
    m_previous->setToolTip(previousText + QStringLiteral(" (")
                           + QKeySequence(Qt::Key_PageUp).toString(QKeySequence::NativeText) + u')');
    m_next->setToolTip(nextText + QStringLiteral(" (")
                       + QKeySequence(Qt::Key_PageDown).toString(QKeySequence::NativeText) + u')');
    m_number = new QSpinBox(previewGroup);
    m_number->setObjectName(QStringLiteral("RunBoxRecordNumber"));
    m_number->setAccessibleName(TranslateText(QStringLiteral("Angezeigter Datensatz")));
    m_number->setAlignment(Qt::AlignCenter);
    m_number->installEventFilter(this);
    m_noLine = wrappedNote(previewGroup, "RunBoxNoLine");
    m_noLine->setText(
            TranslateText(QStringLiteral("Dieser Datensatz ergibt keine Zeile und wird ausgelassen.")));
    QSizePolicy keepRoom = m_noLine->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_noLine->setSizePolicy(keepRoom);
    m_noLine->hide();
    auto *steps = new QHBoxLayout;
    steps->addWidget(m_previous);
    steps->addWidget(m_number, 1);
    steps->addWidget(m_next);
    auto *previewColumn = new QVBoxLayout(previewGroup);
    previewColumn->addWidget(m_preview, 1);
    previewColumn->addLayout(steps);
    previewColumn->addWidget(m_noLine);
    connect(m_previous, &QPushButton::clicked, this, [this] { stepRecord(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { stepRecord(1); });
    for (const auto &[key, by] : {std::pair{Qt::Key_PageUp, -1}, std::pair{Qt::Key_PageDown, 1}}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        // A copy: not every compiler lets a lambda capture a structured binding.
        const int step = by;
        connect(shortcut, &QShortcut::activated, this, [this, step] { stepRecord(step); });
    }

    QDialogButtonBox *buttons = OkCancelButtons(this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setDefault(true);

    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(left, 2);
    top->addWidget(previewGroup, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    assignMnemonics(labelled);
    // Tab goes down the choices, then through the stepping, then to the buttons.
    QList<QWidget *> chain;
    for (QWidget *w : {static_cast<QWidget *>(m_separator),
                       static_cast<QWidget *>(m_sheet),
                       static_cast<QWidget *>(m_address),
                       static_cast<QWidget *>(m_header),
                       static_cast<QWidget *>(m_skip),
                       static_cast<QWidget *>(m_from),
                       static_cast<QWidget *>(m_to)})
        if (w)
            chain << w;
    if (m_destination)
        for (QAbstractButton *b : m_destination->buttons())
            chain << b;
    chain << m_previous << m_number << m_next << m_ok << buttons->button(QDialogButtonBox::Cancel);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    restoreChoices();
    connect(m_header, &QCheckBox::toggled, this, &TRunBox::rangesChanged);
    connect(m_skip, &QCheckBox::toggled, this, [this] {
        showCounts();
        redraw();
    });
    connect(m_from, &QSpinBox::valueChanged, this, [this](int from) {
        if (m_adjusting)
            return;
        showCounts();
        // The run's first envelope is the one to see.
        showRecord(from);
    });
    connect(m_to, &QSpinBox::valueChanged, this, [this] {
        if (!m_adjusting)
            showCounts();
    });
    connect(m_number, &QSpinBox::valueChanged, this, [this] {
        if (!m_adjusting)
            redraw();
    });

    sourceChanged();
    if (m_question.presetFrom > 1) {
        m_from->setValue(spinValue(m_question.presetFrom));
        showRecord(m_from->value());
    }
    m_ok->setFocus();
}

QRadioButton *TRunBox::destinationButton(TRunDestination destination) const
{
    return m_destination ? qobject_cast<QRadioButton *>(m_destination->button(int(destination))) : nullptr;
}

void TRunBox::sourceChanged()
{
    const sources::RecordSource &source = *m_question.source;
    QString note;
    QString names;
    if (source.contactsWithoutAddress() > 0) {
        note = TranslateText(sources::ContactsWithoutAddressText()).arg(source.contactsWithoutAddress());
        names = source.contactsWithoutAddressNames().join(QLatin1Char('\n'));
    } else if (source.hiddenRowsSkipped() > 0) {
        note = TranslateText(sources::HiddenRowsSkippedText()).arg(source.hiddenRowsSkipped());
    }
    m_sourceNote->setText(note);
    m_sourceNote->setToolTip(names);
    m_sourceNote->setAccessibleDescription(names);
    m_sourceNote->setVisible(!note.isEmpty());
    // Record numbers mean other records now: the whole source again.
    m_adjusting = true;
    m_from->setValue(1);
    m_number->setValue(1);
    m_to->setMaximum(std::numeric_limits<int>::max());
    m_to->setValue(std::numeric_limits<int>::max());
    m_adjusting = false;
    rangesChanged();
}

void TRunBox::rangesChanged()
{
    const qsizetype records = RecordsAfterHeader(*m_question.source, options().firstLineIsHeader);
    const int last = spinValue(records);
    m_adjusting = true;
    // A range that reached the end goes on reaching it when the header line comes or goes.
    const bool toTheEnd = m_to->value() >= m_to->maximum();
    for (QSpinBox *spin : {m_from, m_to, m_number}) {
        spin->setRange(1, last);
        spin->setEnabled(records > 0);
    }
    if (toTheEnd)
        m_to->setValue(last);
    const QString of = TranslateText(QStringLiteral("Datensatz %1 von %2"));
    const qsizetype at = of.indexOf(QStringLiteral("%1"));
    m_number->setPrefix(at < 0 ? QString() : of.left(at));
    m_number->setSuffix(at < 0 ? QString()
                               : of.mid(at + 2).replace(QStringLiteral("%2"), QString::number(records)));
    m_adjusting = false;
    showCounts();
    redraw();
}

TRunOptions TRunBox::options() const
{
    TRunOptions o;
    o.firstLineIsHeader = m_header->isChecked() && (!m_question.source || m_question.offerHeader);
    if (!m_question.source)
        return o;
    o.skipEmptyLines = m_skip->isChecked();
    const bool any = RecordsAfterHeader(*m_question.source, o.firstLineIsHeader) > 0;
    o.from = any ? m_from->value() : 1;
    o.to = any ? m_to->value() : 0;
    return o;
}

void TRunBox::showCounts()
{
    if (!m_question.source) {
        const bool header = m_header->isChecked();
        const int records = header ? m_question.recordsAfterHeader : m_question.records;
        const QStringList &first = header ? m_question.firstRecordAfterHeader : m_question.firstRecord;
        m_count->setText(m_question.countText.arg(records));
        m_record->setText(first.join(QLatin1Char('\n')));
        // A file with nothing to print or store has no first record to show.
        m_record->setVisible(!first.isEmpty());
        return;
    }
    const TRunOptions o = options();
    const bool backwards = o.to > 0 && o.to < o.from;
    m_count->setText(m_question.countText.arg(backwards ? 0 : CountRunRecords(*m_question.source, o)));
    m_rangeNote->setVisible(backwards);
    m_ok->setEnabled(!backwards);
}

void TRunBox::redraw()
{
    const TRunOptions o = options();
    const qsizetype records = RecordsAfterHeader(*m_question.source, o.firstLineIsHeader);
    const int k = m_number->value();
    const qsizetype index = records > 0 ? SourceIndexOf(*m_question.source, o.firstLineIsHeader, k) : -1;
    const QStringList fields = index >= 0 ? m_question.source->record(index) : QStringList();
    m_preview->setRecord(m_question.envelope, fields, o.skipEmptyLines);
    const QStringList lines = RecordLines(fields, o.skipEmptyLines);
    m_noLine->setVisible(index >= 0 && lines.isEmpty());
    m_preview->setAccessibleDescription(lines.join(QStringLiteral(", ")));
    m_previous->setEnabled(records > 0 && k > 1);
    m_next->setEnabled(records > 0 && k < records);
}

void TRunBox::showRecord(int k)
{
    if (m_number)
        m_number->setValue(k);
}

void TRunBox::stepRecord(int by)
{
    if (m_number && m_number->isEnabled())
        m_number->setValue(m_number->value() + by);
}

bool TRunBox::eventFilter(QObject *watched, QEvent *event)
{
    // Enter after a typed record number shows that record; it does not start the run.
    if (watched == m_number && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_number->interpretText();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRunBox::restoreChoices()
{
    const std::unique_ptr<QSettings> store = TFormStorage::openStore();
    if (!store)
        return;
    store->beginGroup(storeGroup());
    if (m_question.offerHeader)
        m_header->setChecked(store->value(QLatin1String(HeaderKey), false).toBool());
    m_skip->setChecked(store->value(QLatin1String(SkipKey), false).toBool());
    if (m_destination) {
        const QString stored = store->value(QLatin1String(DestinationKey)).toString();
        for (TRunDestination d :
             {TRunDestination::JobPerEnvelope, TRunDestination::OneJob, TRunDestination::PdfFile})
            if (stored == QLatin1String(destinationName(d)))
                m_destination->button(int(d))->setChecked(true);
    }
}

void TRunBox::storeChoices() const
{
    const std::unique_ptr<QSettings> store = TFormStorage::openStore();
    if (!store)
        return;
    store->beginGroup(storeGroup());
    if (m_question.offerHeader)
        store->setValue(QLatin1String(HeaderKey), m_header->isChecked());
    store->setValue(QLatin1String(SkipKey), m_skip->isChecked());
    if (m_destination)
        store->setValue(QLatin1String(DestinationKey),
                        QLatin1String(destinationName(TRunDestination(m_destination->checkedId()))));
}

void TRunBox::done(int result)
{
    if (result == QDialog::Accepted && m_question.source)
        storeChoices();
    QDialog::done(result);
}

TRunAnswer TRunBox::answer() const
{
    TRunAnswer a;
    a.accepted = result() == QDialog::Accepted;
    a.options = options();
    a.firstLineIsHeader = a.options.firstLineIsHeader;
    if (m_destination && m_question.kind != TRunKind::CsvList)
        a.destination = TRunDestination(m_destination->checkedId());
    return a;
}
