#include "dialogs/file_dialog.h"

#include "dialogs/dialog_form.h"
#include "dialogs/message_dialog.h"
#include "lang/control_texts.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "shellview/shell_combo.h"
#include "shellview/shell_list.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextStream>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace lexivoce::dialogs {

namespace {

// Pattern text attached to each file-type entry.
constexpr int kPatternRole = Qt::UserRole;

QString caption(const char *name)
{
    return lang::DefaultCaption(lang::FileDialogTexts(), QString::fromLatin1(name));
}

QLabel *makeLabel(QWidget *parent, const char *name, int x, int y)
{
    auto *label = new QLabel(caption(name), parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QToolButton *makeFlatButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, int x)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(icon, nullptr, button));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(x, 4, 23, 22);
    return button;
}

shellview::TShellTexts shellTexts(const std::function<QString(const lang::TMessage &)> &text)
{
    return {text(lang::CtlShellTop),        text(lang::CtlShellHome),       text(lang::CtlShellFileSystem),
            text(lang::CtlShellTrash),      text(lang::CtlShellFolder),     text(lang::CtlShellColumnName),
            text(lang::CtlShellColumnSize), text(lang::CtlShellColumnType), text(lang::CtlShellColumnModified)};
}

} // namespace

QStringList SplitQuotedNames(const QString &text)
{
    QStringList names;
    qsizetype i = 0;
    const auto separator = [](QChar c) { return c == u',' || c.unicode() <= 32; };
    while (i < text.size()) {
        while (i < text.size() && separator(text[i]))
            ++i;
        if (i == text.size())
            break;
        QString name;
        if (text[i] == u'"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        name += u'"';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    name += text[i];
                }
            }
        } else {
            while (i < text.size() && !separator(text[i]))
                name += text[i++];
        }
        names.append(name);
    }
    return names;
}

QString DefaultInitialFolder()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QFileInfo info(program);
    return info.isDir() && info.isWritable() ? program : QDir::homePath();
}

TfrmFileDialog::TfrmFileDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileDialog"));
    setWindowTitle(caption("frmFileDialog"));
    CreateControls();
    SetDialogForm(this, QSize(417, 237));
    // Sees every key before the folder view does, for the dialog's life.
    qApp->installEventFilter(this);
}

TfrmFileDialog::~TfrmFileDialog()
{
    qApp->removeEventFilter(this);
    if (SpeakingComponent)
        SpeakingComponent->StopSpeaking();
}

void TfrmFileDialog::CreateControls()
{
    lblLookin = makeLabel(this, "lblLookin", 8, 8);
    cboDrives = new shellview::TShellCombo(this);
    cboDrives->setObjectName(QStringLiteral("cboDrives"));
    cboDrives->setProperty("tag", -1);
    cboDrives->setGeometry(84, 4, 237, 22);
    lblLookin->setBuddy(cboDrives);

    btnGoUp = makeFlatButton(this, "btnGoUp", QStyle::SP_FileDialogToParent, 338);
    btnNewFolder = makeFlatButton(this, "btnNewFolder", QStyle::SP_FileDialogNewFolder, 362);
    btnViewStyle = makeFlatButton(this, "btnViewStyle", QStyle::SP_FileDialogDetailedView, 386);
    btnViewStyle->setCheckable(true);

    lvwFiles = new shellview::TShellList(this);
    lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    lvwFiles->setGeometry(8, 32, 401, 137);
    cboDrives->SetList(lvwFiles);

    lblFileName = makeLabel(this, "lblFileName", 8, 179);
    edtFileName = new QLineEdit(this);
    edtFileName->setObjectName(QStringLiteral("edtFileName"));
    edtFileName->setGeometry(84, 176, 237, 21);
    lblFileName->setBuddy(edtFileName);

    lblFileType = makeLabel(this, "lblFileType", 8, 211);
    cboFileType = new QComboBox(this);
    cboFileType->setObjectName(QStringLiteral("cboFileType"));
    cboFileType->setGeometry(84, 208, 237, 21);
    lblFileType->setBuddy(cboFileType);

    btnOK = new QPushButton(caption("btnOK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(336, 176, 75, 25);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(caption("btnCancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(336, 208, 75, 25);

    setTabOrder(edtFileName, cboFileType);
    setTabOrder(cboFileType, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, cboDrives);
    setTabOrder(cboDrives, lvwFiles);
    edtFileName->setFocus(Qt::OtherFocusReason);

    connect(cboFileType, &QComboBox::currentIndexChanged, this, &TfrmFileDialog::cboFileTypeChange);
    connect(lvwFiles, &shellview::TShellList::SelectionChanged, this, &TfrmFileDialog::lvwFilesSelectItem);
    connect(lvwFiles, &shellview::TShellList::KeyReleased, this, &TfrmFileDialog::lvwFilesKeyUp);
    connect(lvwFiles, &shellview::TShellList::Populated, this, &TfrmFileDialog::lvwFilesPopulated);
    connect(lvwFiles, &shellview::TShellList::FolderChanged, this, &TfrmFileDialog::AnnounceFolder);
    connect(lvwFiles, &shellview::TShellList::FileError, this, &TfrmFileDialog::ShowFileError);
    connect(lvwFiles, &shellview::TShellList::ItemDoubleClicked, this, [this] {
        // Choosing a folder: a double-click opens it, as the view does.
        if (DialogMode == fdmSelectFolder)
            lvwFiles->DefaultAction();
        else
            btnOKClick(false);
    });
    connect(btnGoUp, &QToolButton::clicked, this, &TfrmFileDialog::btnGoUpClick);
    connect(btnNewFolder, &QToolButton::clicked, this, &TfrmFileDialog::btnNewFolderClick);
    connect(btnViewStyle, &QToolButton::toggled, this, &TfrmFileDialog::btnViewStyleClick);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(true); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFileDialog::reject);
    lvwFilesPopulated();
}

QString TfrmFileDialog::Text(const lang::TMessage &message) const
{
    return lang::MessageText(Localizer, message);
}

void TfrmFileDialog::SetInitialFolder(const QString &path)
{
    // The texts of the folder views come with the localizer.
    const shellview::TShellTexts texts = shellTexts([this](const lang::TMessage &m) { return Text(m); });
    lvwFiles->SetTexts(texts);
    cboDrives->SetTexts(texts);
    if (!lvwFiles->SetPath(path))
        lvwFiles->SetPath(QString());
}

void TfrmFileDialog::SetFilterList(const QString &list)
{
    // Filling the list is not choosing from it.
    const QSignalBlocker blocker(cboFileType);
    QString rest = list;
    for (;;) {
        const qsizetype bar = rest.indexOf(u'|');
        if (bar < 0)
            return;
        cboFileType->addItem(rest.left(bar));
        rest.remove(0, bar + 1);
        const qsizetype next = rest.indexOf(u'|');
        cboFileType->setItemData(cboFileType->count() - 1, next < 0 ? rest : rest.left(next), kPatternRole);
        if (next < 0)
            return;
        rest.remove(0, next + 1);
    }
}

void TfrmFileDialog::SetFilterIndex(int index)
{
    if (index < 0 || index >= cboFileType->count())
        return;
    FilterIndex = index;
    {
        // Not the user's choice: nothing to say, and the field stays.
        const QSignalBlocker blocker(cboFileType);
        cboFileType->setCurrentIndex(index);
    }
    lvwFiles->SetMask(cboFileType->itemData(index, kPatternRole).toString());
}

void TfrmFileDialog::SetOKCaption(bool save)
{
    btnOK->setText(Text(save ? lang::CtlSaveDlgOK : lang::CtlOpenDlgOK));
}

void TfrmFileDialog::SetDialogMode(std::uint8_t mode)
{
    DialogMode = mode;
    const lang::TMessage *okKey = &lang::CtlOpenDlgOK;
    switch (mode) {
    case fdmSave:
        setWindowTitle(QStringLiteral("Lưu tập tin"));
        btnOK->setText(lang::CtlSaveDlgOK.Text());
        okKey = &lang::CtlSaveDlgOK;
        break;
    case fdmSelectFolder:
        setWindowTitle(QStringLiteral("Chọn thư mục"));
        btnOK->setText(lang::CtlOpenDlgOK.Text());
        lvwFiles->SetMask(QStringLiteral("."));
        for (QWidget *control : {static_cast<QWidget *>(lblFileName), static_cast<QWidget *>(lblFileType),
                                 static_cast<QWidget *>(edtFileName), static_cast<QWidget *>(cboFileType)})
            control->hide();
        // No default button, ever: Qt would give OK back the default role
        // whenever a button that takes it while focused loses the focus.
        // Enter on a focused button still presses it (see eventFilter).
        btnOK->setDefault(false);
        btnOK->setAutoDefault(false);
        btnCancel->setAutoDefault(false);
        btnOK->move(256, 172);
        btnCancel->move(336, 172);
        setFixedSize(417, 204);
        btnOK->setFocus(Qt::OtherFocusReason);
        break;
    default:
        setWindowTitle(caption("frmFileDialog"));
        btnOK->setText(lang::CtlOpenDlgOK.Text());
        break;
    }
    if (Localizer) {
        setWindowTitle(Localizer->ReadString(QStringLiteral("CONTROLS"), objectName(), windowTitle()));
        btnOK->setText(Localizer->ReadString(okKey->SectionName(), okKey->KeyName(), btnOK->text()));
    }
}

void TfrmFileDialog::SetMultiSelect(bool on)
{
    lvwFiles->SetMultiSelect(on);
}

QString TfrmFileDialog::Folder() const
{
    return lvwFiles->Path();
}

QStringList TfrmFileDialog::SelectedFiles() const
{
    QStringList files;
    for (const QString &name : lvwFiles->SelectedNames()) {
        if (IsFileHere(name))
            files.append(Folder() + name);
    }
    return files;
}

bool TfrmFileDialog::IsFileHere(const QString &name) const
{
    if (lvwFiles->IsTop() || name.isEmpty())
        return false;
    const QFileInfo info(Folder() + name);
    return info.exists() && !info.isDir();
}

void TfrmFileDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (cboFileType->count() > 0 && cboFileType->currentIndex() != FilterIndex) {
        const QSignalBlocker blocker(cboFileType);
        cboFileType->setCurrentIndex(FilterIndex);
    }
    // The window's name first; the focused control follows.
    if (SpeakingComponent)
        SpeakingComponent->SpeakText(windowTitle());
}

void TfrmFileDialog::cboFileTypeChange()
{
    FilterIndex = cboFileType->currentIndex();
    if (cboFileType->count() > 0)
        lvwFiles->SetMask(cboFileType->currentData(kPatternRole).toString());
    if (shellview::HasWildcards(edtFileName->text()))
        edtFileName->clear();
}

void TfrmFileDialog::lvwFilesSelectItem()
{
    const QStringList selected = lvwFiles->SelectedNames();
    QStringList files;
    for (const QString &name : selected) {
        if (IsFileHere(name))
            files.append(name);
    }
    QString text;
    if (files.size() == 1)
        text = files.first() + u' ';
    else
        for (const QString &name : files)
            text += u'"' + name + QStringLiteral("\" ");
    if (DialogMode == fdmSave && !selected.isEmpty())
        SetOKCaption(IsFileHere(selected.first()));
    if (!text.isEmpty())
        edtFileName->setText(text.trimmed());
}

void TfrmFileDialog::cboDrivesEnter(QWidget *control)
{
    if (DialogMode == fdmSave) {
        if (control != lvwFiles)
            SetOKCaption(true);
        else if (const QStringList selected = lvwFiles->SelectedNames(); !selected.isEmpty())
            SetOKCaption(IsFileHere(selected.first()));
    }
    if (control == lvwFiles && lvwFiles->model()->rowCount() > 0 && lvwFiles->SelectedNames().isEmpty()
        && !lvwFiles->currentIndex().isValid())
        lvwFiles->selectionModel()->setCurrentIndex(lvwFiles->model()->index(0, 0), QItemSelectionModel::NoUpdate);
}

void TfrmFileDialog::lvwFilesKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    if (key == Qt::Key_N && modifiers == Qt::ControlModifier) {
        btnNewFolderClick();
    } else if (key == Qt::Key_V && modifiers == Qt::AltModifier) {
        btnViewStyle->toggle();
    }
}

void TfrmFileDialog::lvwFilesPopulated()
{
    btnGoUp->setEnabled(!lvwFiles->IsTop());
    btnNewFolder->setEnabled(!lvwFiles->IsTop());
    if (std::exchange(m_sayIfNoFile, false))
        SayIfNoFile();
}

void TfrmFileDialog::SayIfEmpty()
{
    if (lvwFiles->model()->rowCount() == 0 && SpeakingComponent)
        SpeakingComponent->SpeakText(Text(lang::MSGFILEDLG001));
}

void TfrmFileDialog::SayIfNoFile()
{
    const shellview::TFolderModel *model = lvwFiles->FolderModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (!model->IsFolderAt(row))
            return;
    }
    if (SpeakingComponent)
        SpeakingComponent->SpeakText(Text(lang::MSGFILEDLG001));
}

void TfrmFileDialog::btnGoUpClick()
{
    lvwFiles->GoUp();
}

void TfrmFileDialog::btnNewFolderClick()
{
    lvwFiles->CreateNewFolder();
}

void TfrmFileDialog::btnViewStyleClick()
{
    lvwFiles->SetDetails(btnViewStyle->isChecked());
    btnViewStyle->setIcon(style()->standardIcon(
        btnViewStyle->isChecked() ? QStyle::SP_FileDialogListView : QStyle::SP_FileDialogDetailedView, nullptr,
        btnViewStyle));
}

void TfrmFileDialog::AnnounceFolder()
{
    // Said when the user moved the view; the folder combo says its own moves.
    if (!isVisible() || !SpeakingComponent || cboDrives->hasFocus())
        return;
    QString text = cboDrives->currentText();
    if (lvwFiles->model()->rowCount() == 0)
        text += QStringLiteral(". ") + Text(lang::MSGFILEDLG001);
    SpeakingComponent->SpeakText(text);
}

void TfrmFileDialog::ShowNoFile()
{
    ShowMessageDialog(Text(lang::MSGFILEDLG001), mtError, mbOK, 0, SpeakingComponent, Localizer);
}

void TfrmFileDialog::ShowFileError(const shellview::TFileError &error)
{
    const lang::TMessage *message = &lang::MSGFILEDLG006;
    switch (error.Kind) {
    case shellview::TFileError::Delete: message = &lang::MSGFILEDLG006; break;
    case shellview::TFileError::Trash: message = &lang::MSGFILEDLG007; break;
    case shellview::TFileError::CreateFolder: message = &lang::MSGFILEDLG008; break;
    case shellview::TFileError::Rename: message = &lang::MSGFILEDLG009; break;
    case shellview::TFileError::Copy: message = &lang::MSGFILEDLG010; break;
    case shellview::TFileError::Move: message = &lang::MSGFILEDLG011; break;
    case shellview::TFileError::OpenFolder: message = &lang::MSGFILEDLG012; break;
    }
    ShowMessageDialog(lang::FillMessage(Text(*message), {error.Name, error.Reason}), mtError, mbOK, 0,
                      SpeakingComponent, Localizer);
}

void TfrmFileDialog::btnOKClick(bool fromButton)
{
    if (DialogMode == fdmSelectFolder) {
        if (!fromButton)
            return;
        // The top holds places, not a folder to choose.
        if (lvwFiles->IsTop()) {
            if (!lvwFiles->SelectedNames().isEmpty())
                lvwFiles->DefaultAction();
            else if (SpeakingComponent)
                SpeakingComponent->SpeakText(Text(lang::MSGFILEDLG013));
            return;
        }
        done(1);
        return;
    }
    const QString typed = edtFileName->text();
    if (shellview::HasWildcards(typed)) {
        QString pattern = typed;
        pattern.replace(u' ', u';');
        for (int i = 0; i < cboFileType->count(); ++i) {
            if (cboFileType->itemText(i).contains(pattern)) {
                const QSignalBlocker blocker(cboFileType);
                cboFileType->setCurrentIndex(i);
                FilterIndex = i;
                break;
            }
        }
        lvwFiles->SetMask(pattern);
        // No file matching is said; a large folder says it once it is in.
        if (lvwFiles->IsLoading())
            m_sayIfNoFile = true;
        else
            SayIfNoFile();
        return;
    }

    // With nothing typed and nothing selected, Enter acts on the item the
    // user was last told of (the view's focus mark), not on nothing.
    if (typed.isEmpty() && lvwFiles->SelectedNames().isEmpty() && lvwFiles->currentIndex().isValid()) {
        const int row = lvwFiles->currentIndex().row();
        if (DialogMode == fdmOpen || lvwFiles->FolderModel()->IsFolderAt(row))
            lvwFiles->SelectRow(row);
    }
    const QStringList selected = lvwFiles->SelectedNames();
    const int n = static_cast<int>(selected.size());
    const QString folder = Folder();
    // A folder named in the field (a path too) is entered, not returned.
    if (n == 0 && !typed.isEmpty()) {
        const QString path = QDir::isAbsolutePath(typed) ? typed : folder + typed;
        if ((QDir::isAbsolutePath(typed) || !lvwFiles->IsTop()) && QFileInfo(path).isDir()) {
            if (lvwFiles->Navigate(path))
                edtFileName->clear();
            return;
        }
    }
    if (n == 1 && !IsFileHere(selected.first())) {
        lvwFiles->DefaultAction();
        return;
    }
    if (lvwFiles->IsTop() && !QDir::isAbsolutePath(typed)) {
        const QString message = Text(lang::MSGFILEDLG013);
        ShowMessageDialog(message, mtError, mbOK, 0, SpeakingComponent, Localizer);
        return;
    }

    if (DialogMode == fdmSave) {
        // No name to save under: the name field, said as it takes the focus.
        if (edtFileName->text().isEmpty()) {
            edtFileName->setFocus(Qt::OtherFocusReason);
            return;
        }
        FileName = edtFileName->text();
        done(1);
        return;
    }

    // Open.
    const QString field = edtFileName->text();
    if (n == 0) {
        const QStringList names = field.split(u'\n', Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            ShowNoFile();
            return;
        }
        lvwFiles->SetSelectedNames(names);
        FileName = QDir::isAbsolutePath(names.first()) ? QDir::cleanPath(names.first()) : folder + names.first();
        done(1);
        return;
    }
    const QStringList names =
        field.contains(u'"') ? SplitQuotedNames(field) : field.split(u'\n', Qt::SkipEmptyParts);
    if (names.isEmpty()) {
        ShowNoFile();
        return;
    }
    lvwFiles->SetSelectedNames(names);
    FileName = n == 1 ? folder + names.first() : QString();
    done(1);
}

void TfrmFileDialog::done(int result)
{
    if (result == 1 && DialogMode == fdmSave) {
        const QString typed = edtFileName->text();
        if (typed.isEmpty()) {
            setResult(0);
            return;
        }
        FileName = QDir::isAbsolutePath(typed) ? QDir::cleanPath(typed) : Folder() + typed;
    }
    QDialog::done(result);
}

void TfrmFileDialog::reject()
{
    done(2);
}

bool TfrmFileDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == edtFileName || watched == lvwFiles || watched == cboDrives || watched == cboFileType)
            cboDrivesEnter(static_cast<QWidget *>(watched));
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((watched == btnOK || watched == btnCancel) && !static_cast<QPushButton *>(watched)->autoDefault()
        && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        static_cast<QPushButton *>(watched)->click();
        return true;
    }
    if (watched != lvwFiles)
        return false;
    switch (key->key()) {
    case Qt::Key_Backspace:
        // Nothing is above the top.
        return lvwFiles->IsTop();
    case Qt::Key_Delete:
        return DeleteKey(key->modifiers() & Qt::ShiftModifier);
    default:
        return false;
    }
}

bool TfrmFileDialog::DeleteKey(bool permanently)
{
    const QStringList names = lvwFiles->SelectedNames();
    if (names.isEmpty())
        return false;
    // The top's places are never deleted from here.
    if (lvwFiles->IsTop())
        return true;
    const QString message =
        names.size() == 1
            ? lang::FillMessage(Text(permanently ? lang::MSGFILEDLG004 : lang::MSGFILEDLG002), {names.first()})
            : lang::FillMessage(Text(permanently ? lang::MSGFILEDLG005 : lang::MSGFILEDLG003),
                            {QString::number(names.size())});
    if (ShowMessageDialog(message, mtConfirmation, mbYes | mbNo, 0, SpeakingComponent, Localizer) == mrYes)
        DeleteSelectedFiles(Folder(), names, !permanently);
    return true;
}

void TfrmFileDialog::DeleteSelectedFiles(const QString &folder, const QStringList &names, bool toRecycleBin)
{
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    const QModelIndexList rows = lvwFiles->selectionModel()->selectedRows();
    int firstRow = lvwFiles->model()->rowCount();
    for (const QModelIndex &index : rows)
        firstRow = std::min(firstRow, index.row());
    std::optional<shellview::TFileError> failure;
    for (const QString &name : names) {
        QString reason;
        const bool deleted = toRecycleBin ? shellview::MoveToTrash(base + name, &reason)
                                          : shellview::DeletePermanently(base + name, &reason);
        if (!deleted) {
            // The rest stays as it is.
            failure = shellview::TFileError{toRecycleBin ? shellview::TFileError::Trash : shellview::TFileError::Delete,
                                            name, reason};
            break;
        }
    }
    if (failure) {
        lvwFiles->Refresh();
        ShowFileError(*failure);
        return;
    }
    // The item that took the place of the first deleted one is the one the
    // user is on now, and hears.
    lvwFiles->Refresh([this, firstRow] {
        lvwFiles->SelectRow(std::min(firstRow, lvwFiles->model()->rowCount() - 1));
        SayIfEmpty();
    });
}

int DemoFileDialog(const QString &mode, const QString &folder)
{
    const std::uint8_t dialogMode = mode == QLatin1String("open")     ? fdmOpen
                                    : mode == QLatin1String("save")   ? fdmSave
                                    : mode == QLatin1String("folder") ? fdmSelectFolder
                                                                      : 255;
    if (dialogMode == 255) {
        QTextStream(stderr) << "lexivoce: --demo-file-dialog takes open, save or folder\n";
        return 1;
    }
    speech::TSpeaker5 speaker;
    speaker.setObjectName(QStringLiteral("spkInterface"));
    speech::TSpeakingComponent spoken;
    spoken.setObjectName(QStringLiteral("spInterface"));
    spoken.SetSpeaker(&speaker);

    TfrmFileDialog dialog;
    dialog.SpeakingComponent = &spoken;
    dialog.SetInitialFolder(folder.isEmpty() ? DefaultInitialFolder() : folder);
    dialog.SetFilterList(lang::CtlDocFileType.Text());
    dialog.SetFilterIndex(0);
    dialog.SetDialogMode(dialogMode);
    spoken.HookControlTree(&dialog);
    if (dialog.exec() != 1)
        return 1;
    QTextStream(stdout) << (dialogMode == fdmSelectFolder ? dialog.Folder() : dialog.FileName) << '\n';
    return 0;
}

} // namespace lexivoce::dialogs
