#include "shellview/wildcard_filter.h"

namespace lexivoce::shellview {

TWildcardFilter::TWildcardFilter(const QString &masks)
    : m_text(masks)
{
    for (const QString &mask : masks.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = mask.trimmed();
        if (!trimmed.isEmpty())
            m_masks.append(trimmed);
    }
}

bool TWildcardFilter::Matches(QStringView name) const
{
    for (const QString &mask : m_masks) {
        if (MatchesMask(mask, name))
            return true;
    }
    return false;
}

bool TWildcardFilter::MatchesMask(QStringView mask, QStringView name)
{
    // Greedy matching with one backtrack point: the last "*" seen. Linear
    // in practice, and never recursive, whatever the mask.
    qsizetype m = 0, n = 0;
    qsizetype starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size()
                   && (mask[m] == u'?' || mask[m].toCaseFolded() == name[n].toCaseFolded())) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

bool HasWildcards(QStringView text)
{
    return text.contains(u'*') || text.contains(u'?');
}

} // namespace lexivoce::shellview
