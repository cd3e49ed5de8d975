#include "ListSource.h"

#include <QRegularExpression>

#include <utility>

namespace sources {

ListSource::ListSource(QStringList texts)
    : m_texts(std::move(texts))
{}

QStringList ListSource::record(qsizetype k) const
{
    if (k < 0 || k >= m_texts.size())
        return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return m_texts[k].split(lineBreak);
}

} // namespace sources
