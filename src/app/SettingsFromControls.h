#pragma once

#include "core/SettingsFile.h"

#include <QStringList>

struct EnvelopeControls;

// A length as the settings file holds it: millimetres, from the number a field shows (inches in inch
// mode). The product with the millimetres per inch is formed in extended precision and rounded once.
double FileLength(double shown, bool inchMode);

// What the settings file stores of the controls' envelope and the address list: each spin field's
// held value, lengths in millimetres.
TEnvelopeSettings SettingsFromControls(const EnvelopeControls &controls, const QStringList &addresses);
