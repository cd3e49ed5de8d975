#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user key-value store (QSettings, native format, user scope, "Velmora/Kuvertino") that
// window placement, printer set-up and the resume points of CSV runs share.
std::unique_ptr<QSettings> OpenSettingsStore();

// Empty when the store could be read and written; else what (a sentence with %1 for the store's
// file) translated, with the reason.
QString SettingsStoreError(const QSettings &store, const QString &what);
