#pragma once

#include "shellview/file_operations.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace lexivoce::lang {
class TLocalize;
struct TMessage;
}
namespace lexivoce::speech {
class TSpeakingComponent;
}
namespace lexivoce::shellview {
class TShellCombo;
class TShellList;
}

namespace lexivoce::dialogs {

// What OK does: open a file, save to one, or choose a folder.
enum TFileDialogMode : std::uint8_t { fdmOpen = 0, fdmSave = 1, fdmSelectFolder = 2 };

// The program's own file dialog: one folder at a time in a folder view,
// the folder combo above it, the file name and file type below, every
// control spoken through the caller's speaking component and translated
// through its localizer, all of it usable from the keyboard alone.
//
// Use: set SpeakingComponent and Localizer, SetInitialFolder,
// TranslateComponent, SetFilterList, SetFilterIndex, SetDialogMode,
// SetMultiSelect, attach the speaking component, exec(); after 1 (OK) read
// FileName. Cancel gives 2.
class TfrmFileDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFileDialog(QWidget *parent = nullptr);
    ~TfrmFileDialog() override;

    // The chosen path; empty after a choice of several files.
    QString FileName;
    // The chosen file-type entry; -1 until one is set.
    int FilterIndex = -1;
    std::uint8_t DialogMode = fdmOpen;
    // Not owned; set before showing.
    speech::TSpeakingComponent *SpeakingComponent = nullptr;
    lang::TLocalize *Localizer = nullptr;

    // Shows path; a folder that cannot be shown leaves the view at its
    // starting point (the top), silently.
    void SetInitialFolder(const QString &path);
    // "Text|pattern|Text|pattern|…": one file-type entry per pair.
    void SetFilterList(const QString &list);
    // Selects entry index and filters by its pattern; out of range: nothing.
    void SetFilterIndex(int index);
    void SetDialogMode(std::uint8_t mode);
    void SetMultiSelect(bool on);

    // The folder shown, ending in "/" ("" at the top): the answer of
    // Select-folder mode.
    QString Folder() const;
    // The full paths of the selected files: the answer of a choice of
    // several.
    QStringList SelectedFiles() const;

    // OK: 1, Cancel: 2. In Save mode OK with an empty name does not close.
    void done(int result) override;
    void reject() override;

    QLabel *lblLookin;
    shellview::TShellCombo *cboDrives;
    QToolButton *btnGoUp;
    QToolButton *btnNewFolder;
    QToolButton *btnViewStyle;
    shellview::TShellList *lvwFiles;
    QLabel *lblFileName;
    QLineEdit *edtFileName;
    QLabel *lblFileType;
    QComboBox *cboFileType;
    QPushButton *btnOK;
    QPushButton *btnCancel;

protected:
    // The key pre-filter (Delete, Shift+Delete, Backspace on the folder
    // view) and the focus entries of the four main controls.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls();
    void cboFileTypeChange();
    void lvwFilesSelectItem();
    void cboDrivesEnter(QWidget *control);
    void lvwFilesKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void lvwFilesPopulated();
    void btnGoUpClick();
    void btnNewFolderClick();
    void btnViewStyleClick();
    void btnOKClick(bool fromButton);
    // Asks, then deletes the selection; true when the key was the dialog's.
    bool DeleteKey(bool permanently);
    void DeleteSelectedFiles(const QString &folder, const QStringList &names, bool toRecycleBin);

    QString Text(const lang::TMessage &message) const;
    void SetOKCaption(bool save);
    // Whether name (in the folder shown) is an existing file.
    bool IsFileHere(const QString &name) const;
    void AnnounceFolder();
    // "There are no files in this folder" when the view is empty, or when
    // it shows no file.
    void SayIfEmpty();
    void SayIfNoFile();
    void ShowFileError(const shellview::TFileError &error);
    void ShowNoFile();

    bool m_shown = false;
    bool m_sayIfNoFile = false;
};

// Where the program's file dialogs start: the program's own folder when the
// user may write there, else the home folder (an installed program lives
// in a system folder).
QString DefaultInitialFolder();

// "Delphi comma text": names separated by blanks or commas, a name with
// blanks in double quotes ("" inside them is one quote).
QStringList SplitQuotedNames(const QString &text);

// The dialog in mode "open", "save" or "folder", starting in folder,
// spoken through the real speech engine; prints the answer on stdout.
// 0 after OK, 1 after Cancel (or an unknown mode).
int DemoFileDialog(const QString &mode, const QString &folder);

} // namespace lexivoce::dialogs
