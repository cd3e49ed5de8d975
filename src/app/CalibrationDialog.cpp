#include "app/CalibrationDialog.h"

#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "app/ThemedIcon.h"
#include "core/Errors.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "print/TestPage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *shiftField(double value, const QString &name, QWidget *parent)
{
    auto *field = new QDoubleSpinBox(parent);
    field->setObjectName(name);
    field->setDecimals(1);
    field->setRange(PrinterCalibration::MinShift, PrinterCalibration::MaxShift);
    field->setSingleStep(0.1);
    field->setAlignment(Qt::AlignRight);
    field->setValue(ClampShiftMm(value));
    return field;
}

QDoubleSpinBox *measureField(double value, double maximum, const QString &name, QWidget *parent)
{
    auto *field = new QDoubleSpinBox(parent);
    field->setObjectName(name);
    field->setDecimals(1);
    field->setRange(0, maximum);
    field->setSingleStep(0.5);
    field->setAlignment(Qt::AlignRight);
    field->setValue(value);
    return field;
}

// A small picture of an envelope going into a printer's slot, long or short edge first, in the
// palette's text colour so that it reads on light and dark themes alike.
QPixmap feedPicture(bool shortEdge, const QWidget *widget)
{
    const QSize size(64, 48);
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = widget->palette().color(QPalette::WindowText);
    p.setPen(QPen(ink, 2));
    // The slot along the top, the envelope below it with its stamp corner, and the way it goes.
    p.drawLine(QPointF(4, 6), QPointF(60, 6));
    const QRectF envelope = shortEdge ? QRectF(20, 12, 24, 34) : QRectF(8, 14, 48, 30);
    p.setPen(QPen(ink, 1.5));
    p.drawRect(envelope);
    p.fillRect(QRectF(envelope.right() - 7, envelope.top() + 3, 4, 5), ink);
    p.drawLine(QPointF(32, 11), QPointF(32, 8));
    return pixmap;
}

} // namespace

CalibrationDialog::CalibrationDialog(const QString &printerName,
                                     const PrinterCalibration &calibration,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(TranslateText(QStringLiteral("Drucker justieren")));

    const QString shown = printerName.isEmpty() ? TranslateText(QStringLiteral("PDF-Datei")) : printerName;
    auto *printerLabel = new QLabel(TranslateText(QStringLiteral("Drucker: %1")).arg(shown), this);
    printerLabel->setObjectName(QStringLiteral("PrinterLabel"));
    FromEdgeCheck = new QCheckBox(TranslateText(QStringLiteral("Vom Papierrand messen")), this);
    FromEdgeCheck->setObjectName(QStringLiteral("FromEdgeCheck"));
    FromEdgeCheck->setChecked(calibration.fromPaperEdge);
    ShiftAcrossEd = shiftField(calibration.shiftAcrossMm, QStringLiteral("ShiftAcrossEd"), this);
    ShiftDownEd = shiftField(calibration.shiftDownMm, QStringLiteral("ShiftDownEd"), this);
    LongEdgeRadio = new QRadioButton(TranslateText(QStringLiteral("Lange Kante zuerst")), this);
    LongEdgeRadio->setObjectName(QStringLiteral("LongEdgeRadio"));
    ShortEdgeRadio = new QRadioButton(TranslateText(QStringLiteral("Kurze Kante zuerst")), this);
    ShortEdgeRadio->setObjectName(QStringLiteral("ShortEdgeRadio"));
    (calibration.shortEdgeFirst ? ShortEdgeRadio : LongEdgeRadio)->setChecked(true);
    TurnedCheck = new QCheckBox(TranslateText(QStringLiteral("Um 180° gedreht")), this);
    TurnedCheck->setObjectName(QStringLiteral("TurnedCheck"));
    TurnedCheck->setChecked(calibration.turnedHalf);
    auto *feed = new QGroupBox(TranslateText(QStringLiteral("So nimmt der Drucker Umschläge")), this);
    auto *feedGrid = new QGridLayout(feed);
    const auto feedRow = [&](int row, QRadioButton *choice, bool shortEdge, const QString &sentence) {
        auto *picture = new QLabel(feed);
        picture->setPixmap(feedPicture(shortEdge, this));
        auto *text = new QLabel(sentence, feed);
        text->setWordWrap(true);
        // A wrapped label in a grid is given the least width; it needs room for a few words a line.
        text->setMinimumWidth(text->fontMetrics().averageCharWidth() * 30);
        text->setBuddy(choice);
        feedGrid->addWidget(choice, row, 0);
        feedGrid->addWidget(picture, row, 1);
        feedGrid->addWidget(text, row, 2);
    };
    feedRow(0,
            LongEdgeRadio,
            false,
            TranslateText(QStringLiteral("Der Umschlag geht mit der langen Kante voran in den Drucker.")));
    feedRow(1,
            ShortEdgeRadio,
            true,
            TranslateText(QStringLiteral("Der Umschlag geht mit der kurzen Kante voran in den Drucker; der "
                                         "Druck wird dafür gedreht.")));
    feedGrid->addWidget(TurnedCheck, 2, 0, 1, 3);
    feedGrid->setColumnStretch(2, 1);

    CrossLeftEd = measureField(TestPageCrossMm, 100, QStringLiteral("CrossLeftEd"), this);
    CrossTopEd = measureField(TestPageCrossMm, 100, QStringLiteral("CrossTopEd"), this);
    const QString notMeasured = TranslateText(QStringLiteral("nicht gemessen"));
    LineAcrossEd = measureField(0, 200, QStringLiteral("LineAcrossEd"), this);
    LineAcrossEd->setSpecialValueText(notMeasured);
    LineDownEd = measureField(0, 200, QStringLiteral("LineDownEd"), this);
    LineDownEd->setSpecialValueText(notMeasured);
    ApplyMeasureBtn = new QPushButton(TranslateText(QStringLiteral("Verschiebung übernehmen")), this);
    ApplyMeasureBtn->setObjectName(QStringLiteral("ApplyMeasureBtn"));
    ApplyMeasureBtn->setIcon(ThemedIcon("go-jump", QStyle::SP_ArrowRight));
    auto *signLabel
            = new QLabel(TranslateText(QStringLiteral(
                                 "Liegt das Kreuz weiter rechts oder tiefer als 30 mm, wird der Druck "
                                 "um den Unterschied nach links oder oben verschoben.")),
                         this);
    signLabel->setWordWrap(true);
    ScalingLabel = new QLabel(this);
    ScalingLabel->setObjectName(QStringLiteral("ScalingLabel"));
    ScalingLabel->setWordWrap(true);
    ScalingLabel->hide();
    TestPageBtn = new QPushButton(TranslateText(QStringLiteral("Testseite drucken")), this);
    TestPageBtn->setObjectName(QStringLiteral("TestPageBtn"));
    TestPageBtn->setIcon(ThemedIcon("document-print", QStyle::SP_FileIcon));
    OkBtn = new QPushButton(TranslateText(QStringLiteral("OK")), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setIcon(ThemedIcon("dialog-ok", QStyle::SP_DialogOkButton));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(TranslateText(QStringLiteral("Abbrechen")), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setIcon(ThemedIcon("dialog-cancel", QStyle::SP_DialogCancelButton));

    auto *fields = new QFormLayout;
    fields->addRow(TranslateText(QStringLiteral("Verschiebung nach rechts (mm):")), ShiftAcrossEd);
    fields->addRow(TranslateText(QStringLiteral("Verschiebung nach unten (mm):")), ShiftDownEd);

    auto *measured = new QGroupBox(TranslateText(QStringLiteral("Auf der Testseite gemessen")), this);
    auto *measuredFields = new QFormLayout;
    measuredFields->addRow(TranslateText(QStringLiteral("Kreuz vom linken Rand (mm):")), CrossLeftEd);
    measuredFields->addRow(TranslateText(QStringLiteral("Kreuz vom oberen Rand (mm):")), CrossTopEd);
    measuredFields->addRow(TranslateText(QStringLiteral("Linie waagerecht (mm):")), LineAcrossEd);
    measuredFields->addRow(TranslateText(QStringLiteral("Linie senkrecht (mm):")), LineDownEd);
    auto *measuredBox = new QVBoxLayout(measured);
    measuredBox->addLayout(measuredFields);
    measuredBox->addWidget(signLabel);
    measuredBox->addWidget(ApplyMeasureBtn, 0, Qt::AlignRight);
    measuredBox->addWidget(ScalingLabel);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(TestPageBtn);
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto *root = new QVBoxLayout(this);
    root->addWidget(printerLabel);
    root->addWidget(FromEdgeCheck);
    root->addLayout(fields);
    // Side by side: one above the other, the dialog would not fit a laptop screen at 150 %.
    auto *groups = new QHBoxLayout;
    groups->addWidget(feed, 1);
    groups->addWidget(measured, 1);
    root->addLayout(groups);
    root->addStretch(1);
    root->addLayout(buttons);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ApplyMeasureBtn, &QPushButton::clicked, this, &CalibrationDialog::applyMeasurement);
    connect(TestPageBtn, &QPushButton::clicked, this, [this] {
        emit testPageRequested(this->calibration());
    });
}

void CalibrationDialog::applyMeasurement()
{
    const PrinterCalibration c
            = CalibrationFromMeasurement(calibration(), CrossLeftEd->value(), CrossTopEd->value());
    ShiftAcrossEd->setValue(c.shiftAcrossMm);
    ShiftDownEd->setValue(c.shiftDownMm);
    // The shift cannot make up for a page that was made larger or smaller: that is said, not corrected.
    QStringList scaled;
    for (const QDoubleSpinBox *line : {LineAcrossEd, LineDownEd}) {
        if (line->value() > 0 && LineShowsScaling(line->value()))
            scaled << QLocale().toString(line->value(), 'f', 1);
    }
    ScalingLabel->setVisible(!scaled.isEmpty());
    if (!scaled.isEmpty())
        ScalingLabel->setText(
                TranslateText(
                        QStringLiteral("Die 100-mm-Linie ist %1 mm lang: Der Drucker oder der Druckdienst "
                                       "verkleinert oder vergrößert die Seite. Meist ist „An Seite "
                                       "anpassen“ eingeschaltet, im Druckdialog oder in den "
                                       "Einstellungen des Druckers. Schalten Sie es aus und drucken Sie "
                                       "die Testseite noch einmal."))
                        .arg(scaled.join(QStringLiteral(" / "))));
    // The shift now in the fields is checked best on a new test page.
    if (Dialogs().messageBox(this,
                             TranslateText(QStringLiteral("Die Verschiebung ist eingetragen. Testseite zur "
                                                          "Kontrolle noch einmal drucken?")),
                             windowTitle(),
                             TMsgIcon::Question,
                             TMsgButtons::YesNo)
        == TMsgResult::Yes)
        emit testPageRequested(calibration());
}

PrinterCalibration CalibrationDialog::calibration() const
{
    PrinterCalibration c;
    c.fromPaperEdge = FromEdgeCheck->isChecked();
    c.shiftAcrossMm = ClampShiftMm(ShiftAcrossEd->value());
    c.shiftDownMm = ClampShiftMm(ShiftDownEd->value());
    c.shortEdgeFirst = ShortEdgeRadio->isChecked();
    c.turnedHalf = TurnedCheck->isChecked();
    return c;
}

void TMainForm::Druckerjustieren1Click()
{
    TPrinter &printer = Printer();
    const QString name = printer.printerName();
    CalibrationDialog dialog(name, printer.calibration(), this);
    connect(&dialog, &CalibrationDialog::testPageRequested, &dialog, [&printer](const PrinterCalibration &c) {
        // A failed test page is reported and the dialog stays open for another try.
        try {
            PrintTestPage(printer, c);
        } catch (const EKuvertinoError &e) {
            ShowErrorReport(e.message());
        }
    });
    if (Dialogs().execModal(&dialog) != QDialog::Accepted)
        return;
    const PrinterCalibration chosen = dialog.calibration();
    printer.setCalibration(chosen);
    // The preview follows: whole paper with the border line, or the printable area again.
    PaintBox1Paint(nullptr);
    // Taken for this session even when the store cannot keep it; the report says so.
    SaveCalibration(name, chosen);
}
