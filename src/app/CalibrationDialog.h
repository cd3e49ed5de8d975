#pragma once

#include "print/PrinterCalibration.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The small dialog that sets one printer's set-up: measure from the paper's edge, the shift across and
// down, and a test page printed with what the dialog shows at that moment.
class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    CalibrationDialog(const QString &printerName, const PrinterCalibration &calibration, QWidget *parent);

    // The set-up as the dialog's controls show it now.
    PrinterCalibration calibration() const;

    QCheckBox *FromEdgeCheck = nullptr;
    // How the printer takes envelopes.
    QRadioButton *LongEdgeRadio = nullptr;
    QRadioButton *ShortEdgeRadio = nullptr;
    QCheckBox *TurnedCheck = nullptr;
    QDoubleSpinBox *ShiftAcrossEd = nullptr;
    QDoubleSpinBox *ShiftDownEd = nullptr;
    // What the ruler shows on the printed test page; "Verschiebung übernehmen" turns it into the shift.
    QDoubleSpinBox *CrossLeftEd = nullptr;
    QDoubleSpinBox *CrossTopEd = nullptr;
    QDoubleSpinBox *LineAcrossEd = nullptr; // 0: not measured
    QDoubleSpinBox *LineDownEd = nullptr;
    QPushButton *ApplyMeasureBtn = nullptr;
    QLabel *ScalingLabel = nullptr; // says that the page was scaled on its way, when a line shows it
    QPushButton *TestPageBtn = nullptr;
    QPushButton *OkBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    // Sets the shift from the measurement, says whether the page was scaled, and offers a new test page.
    void applyMeasurement();

signals:
    void testPageRequested(const PrinterCalibration &calibration);
};
