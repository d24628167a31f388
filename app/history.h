#pragma once

#include "dict/location.h"

#include <QList>
#include <QString>

#include <optional>

class QListWidget;

namespace lexivoce::app {

// The words looked up since the dictionary was opened, in order, each with
// where its entry lies, and the position Back and Forward move from. Shown
// by a list widget (the window's history list), which it keeps in step.
class THistory
{
public:
    struct TItem
    {
        QString Word; // as it was looked up
        dict::TLocation Location;
    };

    // The list that shows the words; may be set once, before any word.
    void SetView(QListWidget *view) { m_view = view; }

    int Count() const { return static_cast<int>(m_items.size()); }
    // The item at index, or none out of range.
    std::optional<TItem> At(int index) const;
    // -1 when empty.
    int Position() const { return m_position; }

    // Appends a look-up; the position moves to it.
    void Record(const QString &word, dict::TLocation location);
    void Clear();

    bool CanGoBack() const { return m_position > 0; }
    bool CanGoForward() const { return m_position < Count() - 1; }
    // Moves the position by step (-1 Back, +1 Forward); false, and the
    // position stays, past either end.
    bool Step(int step);

private:
    QList<TItem> m_items;
    int m_position = -1;
    QListWidget *m_view = nullptr;
};

} // namespace lexivoce::app
