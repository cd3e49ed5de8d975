#include "app/RunBox.h"

#include "app/DialogButtons.h"
#include "core/translateunit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TRunBox::TRunBox(const TRunQuestion &question, QWidget *parent)
    : QDialog(parent)
    , m_question(question)
    , m_count(new QLabel(this))
    , m_record(new QLabel(this))
    , m_header(new QCheckBox(TranslateText(QStringLiteral("Erste Zeile ist eine Überschrift")), this))
{
    setObjectName(QStringLiteral("RunBox"));
    setWindowTitle(question.caption);

    auto *icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
            style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);

    auto *text = new QLabel(question.text, this);
    text->setWordWrap(true);
    m_count->setObjectName(QStringLiteral("RunBoxCount"));
    m_record->setObjectName(QStringLiteral("RunBoxRecord"));
    m_header->setObjectName(QStringLiteral("RunBoxHeader"));
    // The first record as it will be printed or stored, line by line, in a sunken frame.
    m_record->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_record->setTextFormat(Qt::PlainText);
    m_record->setMargin(6);
    m_record->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QDialogButtonBox *buttons = OkCancelButtons(this);
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

void TRunBox::showCounts()
{
    const bool header = m_header->isChecked();
    const int records = header ? m_question.recordsAfterHeader : m_question.records;
    const QStringList &first = header ? m_question.firstRecordAfterHeader : m_question.firstRecord;
    m_count->setText(m_question.countText.arg(records));
    m_record->setText(first.join(QLatin1Char('\n')));
    // A file with nothing to print or store has no first record to show.
    m_record->setVisible(!first.isEmpty());
}

TRunAnswer TRunBox::answer() const
{
    return {result() == QDialog::Accepted, m_header->isChecked()};
}
