#include "app/TranslateWalk.h"

#include "app/Components.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "core/translateunit.h"
#include "core/velmora.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// One record of the walk's two arrays: a component reference.
struct TComponentRef
{
    QObject *component;
};

// An action's tool tip reads as its text when none was set; that is no hint of its own.
bool hasOwnToolTip(QAction *a)
{
    const QString text = a->text();
    const QString tip = a->toolTip();
    const QSignalBlocker block(a);
    a->setText(text + QLatin1Char('X'));
    const bool own = a->toolTip() == tip;
    a->setText(text);
    return own;
}

// Looks a text up and hands the translation to set. Nothing is set when the text is empty or its
// translation is the same: setting a label's empty text would drop its picture, and setting an
// unchanged text would only fire change events.
template<class Set>
void replaceText(const QString &text, Set set)
{
    if (text.isEmpty())
        return;
    const QString translated = TranslateText(text);
    if (translated != text)
        set(translated);
}

void translateWidgetToolTip(QWidget *w)
{
    replaceText(w->toolTip(), [w](const QString &t) { w->setToolTip(t); });
}

// A least width set for the German text lets the layout squeeze the control down to it, which would
// cut a longer translation; the least width grows to what the translated text needs.
void keepRoomForText(QWidget *w)
{
    if (w->minimumWidth() > 0)
        w->setMinimumWidth(qMax(w->minimumWidth(), w->sizeHint().width()));
}

// What a screen reader announces for a widget passes through the table like its captions; a file
// name field's own line and browse button carry theirs on its behalf.
void translateAccessibleTexts(QWidget *w)
{
    replaceText(w->accessibleName(), [w](const QString &t) { w->setAccessibleName(t); });
    replaceText(w->accessibleDescription(), [w](const QString &t) { w->setAccessibleDescription(t); });
    if (auto *fileName = qobject_cast<TFilenameEdit *>(w)) {
        translateAccessibleTexts(fileName->lineEdit());
        translateAccessibleTexts(fileName->browseButton());
        translateWidgetToolTip(fileName->browseButton());
    }
}

// Applies the first rule that matches the component's kind.
void translateComponent(QObject *x)
{
    if (auto *w = qobject_cast<QWidget *>(x))
        translateAccessibleTexts(w);
    if (auto *label = qobject_cast<QLabel *>(x)) {
        // The sheet size label shows what the preview computed.
        if (MainForm && label == MainForm->Label5)
            return;
        replaceText(label->text(), [label](const QString &t) { label->setText(t); });
        return;
    }
    if (auto *check = qobject_cast<QCheckBox *>(x)) {
        translateWidgetToolTip(check);
        replaceText(check->text(), [check](const QString &t) {
            check->setText(t);
            keepRoomForText(check);
        });
        return;
    }
    if (auto *w = qobject_cast<QWidget *>(x); w && w->isWindow() && !qobject_cast<QMenu *>(w)) {
        replaceText(w->windowTitle(), [w](const QString &t) { w->setWindowTitle(t); });
        return;
    }
    if (qobject_cast<QPushButton *>(x) || qobject_cast<QToolButton *>(x)) {
        auto *b = static_cast<QAbstractButton *>(x);
        replaceText(b->text(), [b](const QString &t) {
            b->setText(t);
            keepRoomForText(b);
        });
        translateWidgetToolTip(b);
        return;
    }
    if (auto *g = qobject_cast<QGroupBox *>(x)) {
        replaceText(g->title(), [g](const QString &t) { g->setTitle(t); });
        translateWidgetToolTip(g);
        return;
    }
    if (auto *a = qobject_cast<QAction *>(x)) {
        if (a->isSeparator()) {
            // A separator's caption is "-"; it is looked up like any caption, but a menu draws
            // no text on a separator line, so there is nothing to set.
            TranslateText(QStringLiteral("-"));
            return;
        }
        const bool ownTip = hasOwnToolTip(a);
        replaceText(a->text(), [a](const QString &t) { a->setText(t); });
        if (ownTip)
            replaceText(a->toolTip(), [a](const QString &t) { a->setToolTip(t); });
        return;
    }
    if (auto *spin = qobject_cast<TRxSpinEdit *>(x)) {
        translateWidgetToolTip(spin);
        return;
    }
    if (auto *combo = qobject_cast<QComboBox *>(x)) {
        const int n = combo->count();
        for (int i = 0; i < n; ++i) {
            const int selected = combo->currentIndex();
            replaceText(combo->itemText(i), [combo, i](const QString &t) { combo->setItemText(i, t); });
            combo->setCurrentIndex(selected);
        }
        keepRoomForText(combo);
        return;
    }
    if (auto *grid = qobject_cast<QTableWidget *>(x)) {
        // Row 0 of the grid is its header row.
        const int n = grid->columnCount();
        for (int c = 0; c < n; ++c) {
            if (QTableWidgetItem *item = grid->horizontalHeaderItem(c))
                replaceText(item->text(), [item](const QString &t) { item->setText(t); });
        }
        return;
    }
    if (auto *list = qobject_cast<QTreeWidget *>(x)) {
        QTreeWidgetItem *header = list->headerItem();
        const int n = list->columnCount();
        for (int c = 0; header && c < n; ++c)
            replaceText(header->text(c), [header, c](const QString &t) { header->setText(c, t); });
        return;
    }
    if (auto *dialog = qobject_cast<TOpenDialog *>(x)) {
        replaceText(dialog->Filter, [dialog](const QString &t) { dialog->Filter = t; });
        return;
    }
    if (auto *memo = qobject_cast<TMemo *>(x)) {
        // The lines are read from the document itself, so they are current without a repaint first.
        // A translation holding a line break adds lines; the later lines move down by as many.
        const QStringList lines = memo->lines();
        int shift = 0;
        for (int i = 0; i < lines.size(); ++i) {
            replaceText(lines[i], [&](const QString &t) {
                const int before = memo->lineCount();
                memo->setLine(i + shift, t);
                shift += memo->lineCount() - before;
            });
        }
        return;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(x)) {
        replaceText(edit->text(), [edit](const QString &t) { edit->setText(t); });
        // A hint shown in German would be the one German text left on an English screen.
        translateWidgetToolTip(edit);
        return;
    }
    if (auto *fileName = qobject_cast<TFilenameEdit *>(x)) {
        // The file name is the user's; the browse dialog's filter is the picture dialog's text.
        replaceText(fileName->Filter, [fileName](const QString &t) { fileName->Filter = t; });
        return;
    }
}

// What a component owns, in creation order (nothing for a component that owns nothing).
const QList<QObject *> *ownedComponents(QObject *c)
{
    if (auto *list = dynamic_cast<TComponentList *>(c))
        return &list->Components;
    return nullptr;
}

} // namespace

void TranslateComponentTree(QObject *root)
{
    if (!root)
        return;
    TComponentRef *queueCurrent = nullptr;
    TComponentRef *childCurrent = nullptr;
    TTypedArray<TComponentRef> queue(&queueCurrent);
    TTypedArray<TComponentRef> children(&childCurrent);

    if (TComponentRef *first = queue.add())
        first->component = root;
    while (queue.count() > 0) {
        children.Clear();
        QObject *c = queue.at(0)->component;
        if (const QList<QObject *> *owned = ownedComponents(c)) {
            for (qsizetype i = owned->size() - 1; i >= 0; --i) {
                QObject *x = owned->at(i);
                if (!x)
                    continue;
                if (TComponentRef *rec = children.add())
                    rec->component = x;
                translateComponent(x);
            }
        }
        queue.Delete(0);
        children.First();
        while (children.WhileNext()) {
            if (TComponentRef *rec = queue.add())
                rec->component = childCurrent->component;
        }
        children.Clear();
    }
}
