#pragma once

#include "shellview/file_operations.h"
#include "shellview/folder_model.h"

#include <QStringList>
#include <QItemSelection>
#include <QTimer>
#include <QTreeView>

#include <functional>

class QFileSystemWatcher;

namespace lexivoce::shellview {

// The folder view: one folder at a time, as a list (names only) or in
// details (name, size, type, date), with single or multiple selection that
// stays visible without the focus, rename in place (F2), drag and drop,
// copy, cut and paste of files, and the keys of a file manager: Backspace
// goes up, Enter opens the selected folder when the window has no default
// button to take it, F5 lists again, Ctrl+H shows hidden files. It follows
// changes on disk.
class TShellList : public QTreeView
{
    Q_OBJECT

public:
    explicit TShellList(QWidget *parent = nullptr);

    TFolderModel *FolderModel() const { return m_model; }
    void SetTexts(const TShellTexts &texts);

    // The folder shown, ending in "/"; "" at the top.
    QString Path() const;
    // Shows path ("" is the top). False when it cannot be shown; then
    // nothing changes and nothing is said. A large folder comes in from the
    // event loop: FolderChanged and Populated tell when.
    bool SetPath(const QString &path);
    // As SetPath, but a failure is told by FileError: for a user's move.
    // then runs once the new folder is in (see TFolderModel::Load).
    bool Navigate(const QString &path, std::function<void()> then = nullptr);
    bool IsTop() const { return m_model->IsTop(); }

    QString Mask() const { return m_model->Filter(); }
    void SetMask(const QString &masks);

    // The selected names, relative to the folder, in view order.
    QStringList SelectedNames() const;
    // Selects the items of those names that are here, focuses the view.
    void SetSelectedNames(const QStringList &names);
    // Selects one row and makes it current.
    void SelectRow(int row);

    // Up one level; at the top, nothing. The folder left is selected.
    void GoUp();
    // Makes a free "New Folder" here and starts editing its name. False
    // (told by FileError) when it cannot be made.
    bool CreateNewFolder();
    // Enters the selected folder, if one is selected.
    void DefaultAction();

    bool Details() const { return !isHeaderHidden(); }
    void SetDetails(bool details);
    bool MultiSelect() const { return selectionMode() == ExtendedSelection; }
    void SetMultiSelect(bool on);

    // Lists the folder again, keeping the selection and the current item;
    // then runs once the new list is in.
    void Refresh(std::function<void()> then = nullptr);
    bool IsLoading() const { return m_model->IsLoading(); }
    // A name is being edited in place.
    bool IsEditing() const { return state() == EditingState; }

Q_SIGNALS:
    void FolderChanged();
    void Populated();
    void SelectionChanged();
    void ItemDoubleClicked();
    void KeyReleased(int key, Qt::KeyboardModifiers modifiers);
    void FocusEntered();
    void FileError(const lexivoce::shellview::TFileError &error);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // The rows of names that are here (the first only without multiple
    // selection); first: the first such row, or -1.
    QItemSelection SelectionOf(const QStringList &names, int *first = nullptr) const;
    void Remember();
    void OnLoaded(bool newFolder);
    void Watch();
    void RefreshSoon();
    bool HasDefaultButton() const;
    void CopySelection(bool cut);
    void Paste();

    TFolderModel *m_model;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_refreshTimer;
    std::function<void()> m_afterLoad;
    QStringList m_remembered;
    QString m_rememberedCurrent;
};

} // namespace lexivoce::shellview
