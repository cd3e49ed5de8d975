#pragma once

#include "core/FontRec.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// What a window owns, in the order its components were created (the order the interface walk
// and the window tables use), independent of how Qt nests the widgets visually.
class TComponentList
{
public:
    virtual ~TComponentList() = default;
    QList<QObject *> Components;

    template<class T>
    T *own(T *component, const QString &name)
    {
        component->setObjectName(name);
        Components.append(component);
        return component;
    }
};

// The open/save/picture dialog objects: they hold their settings; the dialog itself is shown
// through the dialog seam when a command needs it.
class TOpenDialog : public QObject
{
    Q_OBJECT
public:
    explicit TOpenDialog(QObject *parent = nullptr)
        : QObject(parent)
    {}
    QString Filter;     // "Description|*.ext" form
    QString DefaultExt; // ".kvt"
    QString FileName;   // last chosen name
};

class TSaveDialog : public TOpenDialog
{
    Q_OBJECT
public:
    using TOpenDialog::TOpenDialog;
};

class TOpenPictureDialog : public TOpenDialog
{
    Q_OBJECT
public:
    using TOpenDialog::TOpenDialog;
};

class TFontDialog : public QObject
{
    Q_OBJECT
public:
    explicit TFontDialog(QObject *parent = nullptr)
        : QObject(parent)
    {}
    TFontRec Font;
};

class TPrinterSetupDialog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
};

// The application object: its title and the five windows in creation order.
class TApplicationObject : public QObject, public TComponentList
{
    Q_OBJECT
public:
    using QObject::QObject;
    QString Title = QStringLiteral("Kuvertino");
};

extern TApplicationObject *Application;

// Runs a handler the way the event loop does: what it raises is shown by the general error report
// and the operation stops there.
void Guarded(const std::function<void()> &handler);

// How every window wires a signal to one of its handlers: the handler runs guarded, so an error it
// raises is reported and the sender carries on. The handler takes the signal's first arguments, or
// none. The connection ends with the window.
template<class Sender, class Signal, class Form, class... Args>
QMetaObject::Connection
ConnectGuarded(const Sender *sender, Signal signal, Form *form, void (Form::*handler)(Args...))
{
    return QObject::connect(sender, signal, form, [form, handler](Args... args) {
        Guarded([&] { (form->*handler)(args...); });
    });
}
