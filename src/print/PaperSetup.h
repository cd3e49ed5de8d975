#pragma once

class TPrinter;

// Sets the printer up for an entry of the paper list and the orientation, from the printer's
// defaults: selecting the printer again discards earlier set-up choices.
void ApplyPaperFormat(TPrinter &printer, int entry, bool portrait);
