#include "shellview/shell_list.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <cstring>

namespace lexivoce::shellview {

namespace {

// The marks file managers put on cut files.
const QString kGnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeCutSelection = QStringLiteral("application/x-kde-cutselection");

} // namespace

TShellList::TShellList(QWidget *parent)
    : QTreeView(parent), m_model(new TFolderModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Many thousand rows lay out in one step.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(EditKeyPressed | SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(TFolderModel::ColName, QHeaderView::Stretch);
    SetDetails(false);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(150);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] {
        // Never under the user's fingers while a name is being edited.
        if (state() == EditingState)
            m_refreshTimer.start();
        else
            Refresh();
    });
    connect(m_model, &TFolderModel::FileError, this, &TShellList::FileError);
    connect(m_model, &TFolderModel::ContentChanged, this, [this] { Refresh(); });
    // What was selected, taken just before the content is replaced.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &TShellList::Remember);
    connect(m_model, &TFolderModel::Loaded, this, &TShellList::OnLoaded);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TShellList::SelectionChanged);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT ItemDoubleClicked();
    });
}

void TShellList::SetTexts(const TShellTexts &texts)
{
    m_model->SetTexts(texts);
}

QString TShellList::Path() const
{
    const QString folder = m_model->Folder();
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

bool TShellList::SetPath(const QString &path)
{
    m_afterLoad = nullptr;
    return m_model->Load(path);
}

bool TShellList::Navigate(const QString &path, std::function<void()> then)
{
    QString reason;
    const QString target = path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    m_afterLoad = std::move(then);
    if (!m_model->Load(target, &reason)) {
        m_afterLoad = nullptr;
        const QString name = QFileInfo(target).fileName();
        Q_EMIT FileError({TFileError::OpenFolder, name.isEmpty() ? target : name, reason});
        return false;
    }
    return true;
}

void TShellList::Refresh(std::function<void()> then)
{
    m_refreshTimer.stop();
    m_afterLoad = std::move(then);
    m_model->Reload();
}

void TShellList::Remember()
{
    m_remembered = SelectedNames();
    m_rememberedCurrent = currentIndex().isValid() ? m_model->NameAt(currentIndex().row()) : QString();
}

void TShellList::OnLoaded(bool newFolder)
{
    if (newFolder) {
        Watch();
        Q_EMIT FolderChanged();
        if (m_model->rowCount() > 0)
            scrollToTop();
    } else {
        // The same items again: nothing new to say or to act on.
        {
            const QSignalBlocker blocker(selectionModel());
            selectionModel()->select(SelectionOf(m_remembered), QItemSelectionModel::ClearAndSelect);
            const int row = m_model->RowOf(m_rememberedCurrent);
            if (row >= 0)
                selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
        }
        viewport()->update();
    }
    Q_EMIT Populated();
    if (!newFolder && SelectedNames() != m_remembered)
        Q_EMIT SelectionChanged();
    if (const std::function<void()> then = std::exchange(m_afterLoad, nullptr))
        then();
}

void TShellList::Watch()
{
    if (m_watcher)
        delete m_watcher;
    m_watcher = nullptr;
    if (IsTop())
        return;
    m_watcher = new QFileSystemWatcher({m_model->Folder()}, this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &TShellList::RefreshSoon);
}

void TShellList::RefreshSoon()
{
    m_refreshTimer.start();
}

void TShellList::SetMask(const QString &masks)
{
    m_afterLoad = nullptr;
    m_model->SetFilter(masks);
}

QStringList TShellList::SelectedNames() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList names;
    names.reserve(rows.size());
    for (int row : rows)
        names.append(m_model->NameAt(row));
    return names;
}

QItemSelection TShellList::SelectionOf(const QStringList &names, int *first) const
{
    QList<int> rows;
    for (const QString &name : names) {
        const int row = m_model->RowOf(name);
        if (row < 0)
            continue;
        if (first && *first < 0)
            *first = row;
        rows.append(row);
        if (!MultiSelect())
            break;
    }
    // One range per run of neighbouring rows: a selection of thousands of
    // single rows takes the selection model seconds to merge.
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype end = i + 1;
        while (end < rows.size() && rows[end] <= rows[end - 1] + 1)
            ++end;
        selection.select(m_model->index(rows[i], 0), m_model->index(rows[end - 1], TFolderModel::ColumnCount - 1));
        i = end;
    }
    return selection;
}

void TShellList::SetSelectedNames(const QStringList &names)
{
    int first = -1;
    selectionModel()->select(SelectionOf(names, &first), QItemSelectionModel::ClearAndSelect);
    if (first >= 0)
        selectionModel()->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
    setFocus(Qt::OtherFocusReason);
}

void TShellList::SelectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void TShellList::GoUp()
{
    if (IsTop())
        return;
    const QString left = m_model->Folder();
    QString parent;
    if (left != QLatin1String("/")) {
        QDir dir(left);
        dir.cdUp();
        parent = dir.absolutePath();
    }
    // Back where it came from: the folder left is the one selected.
    Navigate(parent, [this, left] {
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (m_model->PathAt(row) == left) {
                SelectRow(row);
                break;
            }
        }
    });
}

bool TShellList::CreateNewFolder()
{
    if (IsTop())
        return false;
    const QString name = FreeNewFolderName(m_model->Folder());
    if (!QDir(m_model->Folder()).mkdir(name)) {
        Q_EMIT FileError({TFileError::CreateFolder, name, QString::fromLocal8Bit(std::strerror(errno))});
        return false;
    }
    Refresh([this, name] {
        const int row = m_model->RowOf(name);
        if (row < 0)
            return;
        SelectRow(row);
        setFocus(Qt::OtherFocusReason);
        edit(m_model->index(row, TFolderModel::ColName));
    });
    return true;
}

void TShellList::DefaultAction()
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.size() != 1 || !m_model->IsFolderAt(rows.first().row()))
        return;
    Navigate(m_model->PathAt(rows.first().row()));
}

void TShellList::SetDetails(bool details)
{
    setHeaderHidden(!details);
    for (int column = TFolderModel::ColSize; column < TFolderModel::ColumnCount; ++column)
        setColumnHidden(column, !details);
}

void TShellList::SetMultiSelect(bool on)
{
    setSelectionMode(on ? ExtendedSelection : SingleSelection);
}

bool TShellList::HasDefaultButton() const
{
    for (const QPushButton *button : window()->findChildren<QPushButton *>()) {
        if (button->isDefault() && button->isVisible() && button->isEnabled())
            return true;
    }
    return false;
}

void TShellList::CopySelection(bool cut)
{
    const QStringList names = SelectedNames();
    if (names.isEmpty() || IsTop())
        return;
    QList<QUrl> urls;
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QString &name : names) {
        const QUrl url = QUrl::fromLocalFile(m_model->PathAt(m_model->RowOf(name)));
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    auto *copied = new QMimeData;
    copied->setUrls(urls);
    copied->setData(kGnomeCopiedFiles, gnome);
    copied->setData(kKdeCutSelection, cut ? "1" : "0");
    QApplication::clipboard()->setMimeData(copied);
}

void TShellList::Paste()
{
    const QMimeData *pasted = QApplication::clipboard()->mimeData();
    if (IsTop() || !pasted || !pasted->hasUrls())
        return;
    const bool cut = pasted->data(kKdeCutSelection) == "1" || pasted->data(kGnomeCopiedFiles).startsWith("cut\n");
    const QString folder = m_model->Folder();
    for (const QUrl &url : pasted->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString source = url.toLocalFile();
        QString reason;
        const bool done = cut ? MoveInto(source, folder, &reason) : CopyInto(source, folder, &reason);
        if (!done) {
            Q_EMIT FileError({cut ? TFileError::Move : TFileError::Copy, QFileInfo(source).fileName(), reason});
            break;
        }
    }
    if (cut)
        QApplication::clipboard()->clear();
    Refresh();
}

void TShellList::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (state() != EditingState) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            if (modifiers == Qt::NoModifier) {
                GoUp();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The dialog's default button takes Enter when there is one.
            if (HasDefaultButton()) {
                event->ignore();
                return;
            }
            DefaultAction();
            return;
        case Qt::Key_F5:
            Refresh();
            return;
        default:
            break;
        }
        if (modifiers == Qt::ControlModifier) {
            switch (event->key()) {
            case Qt::Key_C: CopySelection(false); return;
            case Qt::Key_X: CopySelection(true); return;
            case Qt::Key_V: Paste(); return;
            case Qt::Key_H: m_model->SetShowHidden(!m_model->ShowHidden()); return;
            default: break;
            }
        }
    }
    QTreeView::keyPressEvent(event);
}

void TShellList::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT KeyReleased(event->key(), event->modifiers());
}

void TShellList::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    Q_EMIT FocusEntered();
}

} // namespace lexivoce::shellview
