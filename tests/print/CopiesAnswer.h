#pragma once

// Answers the next copy-count dialog with a count and OK.

#include "ScriptedDialogs.h"
#include "app/KopienFUnit.h"
#include "app/RxSpinEdit.h"

inline void QueueCopiesAnswer(ScriptedDialogs &dialogs, int copies)
{
    dialogs.modalAnswers.enqueue([copies](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(copies);
        form->accept();
        return form->result();
    });
}
