#pragma once

#include "dict/location.h"

#include <QFile>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace lexivoce::dict {

// An index file answered where it lies, without loading a word list: for the
// command line, which asks one question and ends. Positions, words and
// FindNearest are the word list's own; FindExact is answered by a binary
// search when the words are in the list's order, else left to the list.
class TIndexView
{
public:
    // Maps the index file and walks its lines once. Throws lexivoce::Error
    // as LoadIndex does.
    explicit TIndexView(const QString &indexPath);
    ~TIndexView();
    TIndexView(const TIndexView &) = delete;
    TIndexView &operator=(const TIndexView &) = delete;

    int Count() const { return static_cast<int>(m_lines.size()); }
    QString Word(int position) const;
    TLocation Location(int position) const;

    // As the word list's FindNearest.
    int FindNearest(QStringView key) const;

    // As the word list's FindExact, when the view can tell: the words are in
    // FindNearest's order, and neither they nor key hold a character whose
    // case folding differs from its lower-casing (the long s, the final
    // sigma, the dotted capital I...), so that the words equal to key
    // ignoring case are the run that FindNearest finds. nullopt otherwise.
    std::optional<int> FindExact(QStringView key) const;

    // Whether FindExact can answer at all.
    bool InOrder() const { return m_inOrder; }

private:
    QByteArrayView Line(int position) const;

    QFile m_file;
    QByteArrayView m_bytes;
    std::vector<qsizetype> m_lines; // where each word's line starts
    bool m_inOrder = true;
};

} // namespace lexivoce::dict
