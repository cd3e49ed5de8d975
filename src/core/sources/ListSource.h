#pragma once

#include "RecordSource.h"

namespace sources {

// Records the program holds itself, one text each (the marked addresses of the address list). A
// record's fields are its text's lines, whatever line breaks (CR LF, CR or LF) stand between them.
class ListSource final : public RecordSource
{
public:
    explicit ListSource(QStringList texts);
    SourceFormat format() const override { return SourceFormat::List; }
    qsizetype recordCount() const override { return m_texts.size(); }
    QStringList record(qsizetype k) const override;

private:
    QStringList m_texts;
};

} // namespace sources
