#pragma once

#include "print/PrinterCalibration.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

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
    QDoubleSpinBox *ShiftAcrossEd = nullptr;
    QDoubleSpinBox *ShiftDownEd = nullptr;
    QPushButton *TestPageBtn = nullptr;
    QPushButton *OkBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

signals:
    void testPageRequested(const PrinterCalibration &calibration);
};
