#pragma once

#include <QApplication>
#include <QIcon>
#include <QStyle>

// The desktop theme's icon of that name, or the style's own picture where the theme has none.
inline QIcon ThemedIcon(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QLatin1String(name), QApplication::style()->standardIcon(fallback));
}
