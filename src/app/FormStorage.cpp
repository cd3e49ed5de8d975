#include "app/FormStorage.h"

#include "core/SettingsStore.h"

#include "app/Dialogs.h"
#include "core/translateunit.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <limits>
#include <optional>

namespace {

const QString FormVersionName = QStringLiteral("FormVersion");
const QString FlagsName = QStringLiteral("Flags");
const QString ShowCmdName = QStringLiteral("ShowCmd");
const QString PixelsPerInchName = QStringLiteral("PixelsPerInch");
const QString MinMaxPosName = QStringLiteral("MinMaxPos");
const QString NormPosName = QStringLiteral("NormPos");
const QString VisibleName = QStringLiteral("Visible");

constexpr Qt::WindowStates SizeStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
constexpr int RestoreToMaximized = 2; // placement flag: a minimized window comes back maximized

QSize screenSize()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize();
}

int screenPixelsPerInch()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInchX()) : 96;
}

QString programFileName()
{
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return base.isEmpty() ? QStringLiteral("kuvertino") : base;
}

// A stored integer as text; a missing or unreadable value gives fallback.
int readInt(const QSettings &store, const QString &name, int fallback)
{
    if (!store.contains(name))
        return fallback;
    bool ok = false;
    const int v = store.value(name).toString().trimmed().toInt(&ok);
    return ok ? v : fallback;
}

// A stored value as text. A hand-edited store may hold "1,2,3,4" without its quotation marks, which
// the store reads as a list: its parts are the same numbers.
QString storedText(const QSettings &store, const QString &name)
{
    const QVariant v = store.value(name);
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString();
}

// The value under its screen-size name, else under the plain name.
std::optional<QString> readScreenValue(const QSettings &store, const QString &name, const QSize &screen)
{
    const QString twin = ScreenSizeValueName(name, screen);
    if (store.contains(twin))
        return storedText(store, twin);
    if (store.contains(name))
        return storedText(store, name);
    return std::nullopt;
}

void reportStoreError(const QSettings &store, const QString &what)
{
    const QString error = SettingsStoreError(store, what);
    if (!error.isEmpty())
        ShowErrorReport(error);
}

QRect normalRect(const QWidget *form)
{
    const QRect r = form->normalGeometry();
    return r.isValid() ? r : form->geometry();
}

// The stored rectangle held to the free area of the screen it lands on (the one showing most of it,
// else the primary screen): first its size, then its place. A store from a larger monitor, or a
// damaged one, must not open a window larger than the screen or out of reach.
QRect keptOnScreen(const QRect &r)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || r.isEmpty())
        return r;
    qint64 bestArea = 0;
    for (const QScreen *s : QGuiApplication::screens()) {
        const QRect common = s->availableGeometry().intersected(r);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            screen = s;
        }
    }
    const QRect area = screen->availableGeometry();
    const QSize size = r.size().boundedTo(area.size());
    const auto fitted = [](qint64 start, qint64 areaStart, qint64 areaLength, qint64 length) {
        return int(qBound(areaStart, start, areaStart + areaLength - length));
    };
    return QRect(QPoint(fitted(r.left(), area.left(), area.width(), size.width()),
                        fitted(r.top(), area.top(), area.height(), size.height())),
                 size);
}

} // namespace

int ParsePlacementInts(const QString &text, std::array<int, 4> &values)
{
    const qsizetype len = text.size();
    qsizetype pos = 0;
    int read = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= len || text.at(pos) != QLatin1Char(','))
                break;
            ++pos;
        }
        while (pos < len && text.at(pos).isSpace())
            ++pos;
        qsizetype start = pos;
        if (pos < len && (text.at(pos) == QLatin1Char('-') || text.at(pos) == QLatin1Char('+')))
            ++pos;
        const qsizetype digits = pos;
        while (pos < len && text.at(pos) >= QLatin1Char('0') && text.at(pos) <= QLatin1Char('9'))
            ++pos;
        if (pos == digits)
            break;
        bool ok = false;
        const qlonglong v = QStringView(text).mid(start, pos - start).toLongLong(&ok);
        if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            break;
        values[i] = int(v);
        ++read;
    }
    return read;
}

QString FormatPlacementInts(const std::array<int, 4> &v)
{
    return QStringLiteral("%1,%2,%3,%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

Qt::WindowStates WindowStateFromShowCmd(int showCmd)
{
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

int ShowCmdFromWindowState(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return 2;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 3;
    return 1;
}

QString ScreenSizeValueName(const QString &name, const QSize &screenSize)
{
    return QStringLiteral("%1(%2x%3)").arg(name).arg(screenSize.width()).arg(screenSize.height());
}

TFormStorage::TFormStorage(QWidget *form, const QString &windowClass)
    : QObject(form)
    , m_form(form)
    , m_windowClass(windowClass)
{
    if (form)
        form->installEventFilter(this);
    // At program end a window still shown writes its record once more.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &TFormStorage::saveIfDue);
}

TFormStorage::~TFormStorage()
{
    saveIfDue();
}

QString TFormStorage::group() const
{
    return programFileName() + QLatin1Char('/') + m_windowClass;
}

std::unique_ptr<QSettings> TFormStorage::openStore()
{
    return OpenSettingsStore();
}

void TFormStorage::saveIfDue()
{
    if (m_due && m_form) {
        m_due = false;
        savePlacement(true);
    }
}

bool TFormStorage::eventFilter(QObject *watched, QEvent *event)
{
    // Spontaneous show and hide events come from minimizing and restoring; only real showings and
    // closings count.
    if (watched == m_form && !event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            restorePlacement();
            m_due = true;
        } else if (event->type() == QEvent::Hide && m_due) {
            m_due = false;
            savePlacement(false);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TFormStorage::restorePlacement()
{
    m_restored = false;
    if (!m_form)
        return;
    auto store = openStore();
    store->beginGroup(group());
    reportStoreError(*store, QStringLiteral("Die Fensterposition kann nicht aus „%1“ gelesen werden."));
    if (readInt(*store, FormVersionName, 0) < 0)
        return;

    const QSize screen = screenSize();
    std::array<int, 4> minMax{0, 0, 0, 0};
    const QRect current = normalRect(m_form);
    std::array<int, 4> norm{current.left(),
                            current.top(),
                            current.left() + current.width(),
                            current.top() + current.height()};
    const std::optional<QString> minMaxText = readScreenValue(*store, MinMaxPosName, screen);
    const std::optional<QString> normText = readScreenValue(*store, NormPosName, screen);
    if (minMaxText)
        ParsePlacementInts(*minMaxText, minMax); // kept for the format; Qt places minimized windows itself
    // A placement without a single number in it counts as none: the window then takes the size of a
    // first start instead of keeping whatever it was created with.
    const bool normRead = normText && ParsePlacementInts(*normText, norm) > 0;
    const int ppi = readInt(*store, PixelsPerInchName, screenPixelsPerInch());
    const Qt::WindowStates wanted = WindowStateFromShowCmd(readInt(*store, ShowCmdName, 1));

    // Placements saved at another resolution would be wrong in size; the window keeps its designed
    // place then.
    // The edges come from the store as any integers: a damaged record whose width or height does
    // not fit an int is no rectangle (the subtraction would overflow).
    const qint64 width = qint64(norm[2]) - norm[0];
    const qint64 height = qint64(norm[3]) - norm[1];
    const bool representable = width <= std::numeric_limits<int>::max()
                               && height >= std::numeric_limits<int>::min()
                               && height <= std::numeric_limits<int>::max();
    if ((normRead || (minMaxText && !normText)) && ppi == screenPixelsPerInch() && norm[0] < norm[2]
        && representable) {
        if (m_form->windowState() & SizeStates)
            m_form->setWindowState(m_form->windowState() & ~SizeStates);
        const QRect r(QPoint(norm[0], norm[1]), QSize(int(width), int(height)));
        const bool fixedSize = m_form->minimumSize() == m_form->maximumSize();
        m_form->setGeometry(keptOnScreen(fixedSize ? QRect(r.topLeft(), m_form->size()) : r));
        m_restored = true;
    }
    m_form->setWindowState((m_form->windowState() & ~SizeStates) | wanted);
}

void TFormStorage::savePlacement(bool ending)
{
    if (!m_form)
        return;
    const QSize screen = screenSize();
    const QRect n = normalRect(m_form);
    const Qt::WindowStates state = m_form->windowState();
    const QScreen *s = m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen();
    const QPoint maxPos = s ? s->availableGeometry().topLeft() : QPoint();
    const QString minMax = FormatPlacementInts({-1, -1, maxPos.x(), maxPos.y()});
    const QString norm = FormatPlacementInts({n.left(), n.top(), n.left() + n.width(), n.top() + n.height()});
    const bool restoreToMax = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized);

    auto store = openStore();
    store->beginGroup(group());
    store->setValue(FormVersionName, QStringLiteral("0"));
    store->setValue(FlagsName, QString::number(restoreToMax ? RestoreToMaximized : 0));
    store->setValue(ShowCmdName, QString::number(ShowCmdFromWindowState(state)));
    store->setValue(PixelsPerInchName, QString::number(screenPixelsPerInch()));
    store->setValue(MinMaxPosName, minMax);
    store->setValue(NormPosName, norm);
    store->setValue(ScreenSizeValueName(MinMaxPosName, screen), minMax);
    store->setValue(ScreenSizeValueName(NormPosName, screen), norm);
    store->setValue(VisibleName, ending ? QStringLiteral("1") : QStringLiteral("0"));
    store->endGroup();
    store->sync();
    reportStoreError(*store, QStringLiteral("Die Fensterposition kann nicht in „%1“ gespeichert werden."));
}
