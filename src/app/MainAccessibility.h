#pragma once

#include <QString>

class TMainForm;

// Gives each field of the main window the name and description a screen reader announces (the
// German caption of its label; the walk translates them with the captions), names the preview by
// what it shows, and hides the focus target under the preview and its label from screen readers.
void DescribeMainWindowControls(TMainForm *form);

// Keyboard access: the desktop's standard keys on the menu items, F10 for the menu bar, the picture's
// browse button in the tab order and the hidden focus target out of it.
void AddKeyboardAccess(TMainForm *form);

// What the preview shows, in the interface language: paper, orientation, the recipient's first line.
QString PreviewAccessibleName(const TMainForm *form);

// Adds the notice that says where the built-in PDF printer put a print run's files, below the
// preview, and has every finished run report to it.
void InstallPdfNotice(TMainForm *form);
