#pragma once

class QObject;

// Translates every text of the application's windows into the active language, breadth first over
// what each window owns.
void TranslateComponentTree(QObject *root);
