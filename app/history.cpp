#include "app/history.h"

#include <QListWidget>

namespace lexivoce::app {

std::optional<THistory::TItem> THistory::At(int index) const
{
    if (index < 0 || index >= m_items.size())
        return std::nullopt;
    return m_items.at(index);
}

void THistory::Record(const QString &word, dict::TLocation location)
{
    m_items.append({word, location});
    if (m_view)
        m_view->addItem(word);
    m_position = Count() - 1;
}

void THistory::Clear()
{
    m_items.clear();
    if (m_view)
        m_view->clear();
    m_position = -1;
}

bool THistory::Step(int step)
{
    const int target = m_position + step;
    if (target < 0 || target >= Count())
        return false;
    m_position = target;
    return true;
}

} // namespace lexivoce::app
