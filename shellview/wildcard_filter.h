#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace lexivoce::shellview {

// A file filter made of wildcard masks separated by ";" ("*.dict;*.txt").
// "*" stands for any run of characters, "?" for one; letters match without
// regard to case, as users of the dialog expect. Folders are never
// filtered: the filter only says which files show. "." matches no file (no
// file is named "."), which is how a folder-only view is asked for.
class TWildcardFilter
{
public:
    explicit TWildcardFilter(const QString &masks = QStringLiteral("*"));

    // As given.
    QString Masks() const { return m_text; }
    // A file name matches when one mask matches it whole.
    bool Matches(QStringView name) const;

    static bool MatchesMask(QStringView mask, QStringView name);

private:
    QString m_text;
    QStringList m_masks;
};

// Whether text holds "*" or "?": a typed pattern rather than a name.
bool HasWildcards(QStringView text);

} // namespace lexivoce::shellview
