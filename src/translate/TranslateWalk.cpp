#include "TranslateWalk.h"

#include "controls/FilenameEdit.h"
#include "controls/Memo.h"
#include "controls/RxSpinEdit.h"
#include "shell/Components.h"
#include "shell/MainUnit.h"
#include "shell/velmora.h"
#include "translateunit.h"

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

void translateWidgetToolTip(QWidget *w)
{
    const QString hint = w->toolTip();
    if (!hint.isEmpty())
        w->setToolTip(TranslateText(hint));
}

// Applies the first rule that matches the component's kind.
void translateComponent(QObject *x)
{
    if (auto *label = qobject_cast<QLabel *>(x)) {
        // The sheet size label shows what the preview computed.
        if (MainForm && label == MainForm->Label5)
            return;
        label->setText(TranslateText(label->text()));
        return;
    }
    if (auto *check = qobject_cast<QCheckBox *>(x)) {
        translateWidgetToolTip(check);
        check->setText(TranslateText(check->text()));
        return;
    }
    if (auto *w = qobject_cast<QWidget *>(x); w && w->isWindow() && !qobject_cast<QMenu *>(w)) {
        w->setWindowTitle(TranslateText(w->windowTitle()));
        return;
    }
    if (qobject_cast<QPushButton *>(x) || qobject_cast<QToolButton *>(x)) {
        auto *b = static_cast<QAbstractButton *>(x);
        b->setText(TranslateText(b->text()));
        translateWidgetToolTip(b);
        return;
    }
    if (auto *g = qobject_cast<QGroupBox *>(x)) {
        g->setTitle(TranslateText(g->title()));
        translateWidgetToolTip(g);
        return;
    }
    if (auto *a = qobject_cast<QAction *>(x)) {
        const bool ownTip = hasOwnToolTip(a);
        a->setText(TranslateText(a->text()));
        if (ownTip && !a->toolTip().isEmpty())
            a->setToolTip(TranslateText(a->toolTip()));
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
            combo->setItemText(i, TranslateText(combo->itemText(i)));
            combo->setCurrentIndex(selected);
        }
        return;
    }
    if (auto *grid = qobject_cast<QTableWidget *>(x)) {
        // Row 0 of the grid is its header row.
        const int n = grid->columnCount();
        for (int c = 0; c < n; ++c) {
            if (QTableWidgetItem *item = grid->horizontalHeaderItem(c))
                item->setText(TranslateText(item->text()));
        }
        return;
    }
    if (auto *list = qobject_cast<QTreeWidget *>(x)) {
        QTreeWidgetItem *header = list->headerItem();
        const int n = list->columnCount();
        for (int c = 0; header && c < n; ++c)
            header->setText(c, TranslateText(header->text(c)));
        return;
    }
    if (auto *dialog = qobject_cast<TOpenDialog *>(x)) {
        dialog->Filter = TranslateText(dialog->Filter);
        return;
    }
    if (auto *memo = qobject_cast<TMemo *>(x)) {
        // The lines are read from the document itself, so they are current without a repaint first.
        // A translation holding a line break adds lines; the later lines move down by as many.
        const QStringList lines = memo->lines();
        int shift = 0;
        for (int i = 0; i < lines.size(); ++i) {
            const QString translated = TranslateText(lines[i]);
            if (translated == lines[i])
                continue;
            const int before = memo->lineCount();
            memo->setLine(i + shift, translated);
            shift += memo->lineCount() - before;
        }
        return;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(x)) {
        edit->setText(TranslateText(edit->text()));
        // A hint shown in German would be the one German text left on an English screen.
        translateWidgetToolTip(edit);
        return;
    }
    if (auto *fileName = qobject_cast<TFilenameEdit *>(x)) {
        // The file name is the user's; the browse dialog's filter is the picture dialog's text.
        fileName->Filter = TranslateText(fileName->Filter);
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
