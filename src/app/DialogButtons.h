#pragma once

class QDialog;
class QDialogButtonBox;

// OK and Cancel as the program's dialogs show them: texts from the translation table, the desktop
// theme's pictures, and accept and reject of dialog behind them.
QDialogButtonBox *OkCancelButtons(QDialog *dialog);
