#pragma once

#include "core/SettingsStore.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>
#include <memory>

class QSettings;
class QWidget;

// What went wrong with the per-user settings store, as the user reads it: the sentence what (German,
// through the table, with %1 for the store's file), then the store's reason. Empty when nothing did.

// The window-placement memory of one window: read before each showing, written when the window
// closes and at program end if it was shown since. Kept in the per-user settings store
// (organisation "Velmora", application "Kuvertino") under "<program file name>/<window class>".
class TFormStorage : public QObject
{
    Q_OBJECT
public:
    TFormStorage(QWidget *form, const QString &windowClass);
    ~TFormStorage() override;

    // "<program file name without folder and extension>/<window class>".
    QString group() const;
    // What happens before each showing, and on closing (ending: at program end).
    void restorePlacement();
    void savePlacement(bool ending);
    // Whether the last showing took a stored rectangle (without one the window keeps the size and
    // place the program gave it).
    bool placementRestored() const { return m_restored; }

    // The store the records live in.
    static std::unique_ptr<QSettings> openStore();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void saveIfDue();

    QPointer<QWidget> m_form;
    QString m_windowClass;
    bool m_due = false; // shown since the record was last written
    bool m_restored = false;
};

// Up to four integers in the form "%d,%d,%d,%d", read the way a scanf of that format reads them:
// values[i] is replaced for each number read, in order, until the text stops matching. Returns how
// many were read.
int ParsePlacementInts(const QString &text, std::array<int, 4> &values);
QString FormatPlacementInts(const std::array<int, 4> &values);
// The window states a stored "ShowCmd" asks for: 2, 6 and 7 minimized, 3 maximized, others normal.
Qt::WindowStates WindowStateFromShowCmd(int showCmd);
// 2 minimized, 3 maximized, 1 otherwise.
int ShowCmdFromWindowState(Qt::WindowStates state);
// The screen-size twin of a value name, e.g. "NormPos(800x600)".
QString ScreenSizeValueName(const QString &name, const QSize &screenSize);
