#include "app/CalibrationDialog.h"

#include "print/Printer.h"
#include "print/TestPage.h"
#include "app/Dialogs.h"
#include "core/Errors.h"
#include "app/MainUnit.h"
#include "app/ThemedIcon.h"
#include "core/translateunit.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(TestPageBtn);
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto *root = new QVBoxLayout(this);
    root->addWidget(printerLabel);
    root->addWidget(FromEdgeCheck);
    root->addLayout(fields);
    root->addStretch(1);
    root->addLayout(buttons);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(TestPageBtn, &QPushButton::clicked, this, [this] {
        emit testPageRequested(this->calibration());
    });
}

PrinterCalibration CalibrationDialog::calibration() const
{
    PrinterCalibration c;
    c.fromPaperEdge = FromEdgeCheck->isChecked();
    c.shiftAcrossMm = ClampShiftMm(ShiftAcrossEd->value());
    c.shiftDownMm = ClampShiftMm(ShiftDownEd->value());
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
