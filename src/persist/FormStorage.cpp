// Placeholder; the persistence subsystem replaces this file.
#include "FormStorage.h"

#include <QWidget>

TFormStorage::TFormStorage(QWidget *form, const QString &)
    : QObject(form)
{}
TFormStorage::~TFormStorage() = default;
