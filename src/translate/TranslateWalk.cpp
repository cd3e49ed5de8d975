// Placeholder; the translation subsystem replaces this file.
#include "TranslateWalk.h"

void TranslateComponentTree(QObject *) {}
