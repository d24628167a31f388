#pragma once

#include "shellview/places.h"

#include <QComboBox>
#include <QPointer>

namespace lexivoce::shellview {

class TShellList;

// The folder combo: always the folder its list shows (by its name), with the
// top of the folders, its places and the folders leading to the one shown.
// Picking one shows it in the list; a path typed and confirmed with Enter
// does too.
class TShellCombo : public QComboBox
{
    Q_OBJECT

public:
    enum TRole { PathRole = Qt::UserRole, LevelRole };

    explicit TShellCombo(QWidget *parent = nullptr);

    // The link: from now on the combo follows list, and list goes where the
    // combo is set.
    void SetList(TShellList *list);
    void SetTexts(const TShellTexts &texts);
    // Fills the items again for the folder the list shows.
    void Rebuild();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Pick(int index);
    void GoToTyped();

    QPointer<TShellList> m_list;
    TShellTexts m_texts = TShellTexts::Defaults();
};

} // namespace lexivoce::shellview
