#include "shellview/folder_model.h"

#include <QFile>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace lexivoce::shellview {

namespace {

const QIcon &folderIcon()
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    return icon;
}

const QIcon &fileIcon()
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::File);
    return icon;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString NaturalSortKey(const QString &name)
{
    const QString folded = name.toCaseFolded();
    QString key;
    key.reserve(folded.size() + 8);
    for (qsizetype i = 0; i < folded.size();) {
        if (!folded[i].isDigit()) {
            key += folded[i++];
            continue;
        }
        // A run of digits: "0", then its length without leading zeros,
        // then those digits. Against a letter it sorts as a digit does;
        // against another number the shorter is the smaller.
        qsizetype end = i;
        while (end < folded.size() && folded[end].isDigit())
            ++end;
        qsizetype first = i;
        while (first + 1 < end && folded[first] == u'0')
            ++first;
        key += u'0';
        key += QChar(static_cast<char16_t>(std::min<qsizetype>(end - first, 0xFFFF)));
        key += QStringView(folded).sliced(first, end - first);
        i = end;
    }
    return key;
}

namespace {

// Names a folder holds beyond which it is listed on a thread.
constexpr qsizetype kNamesListedAtOnce = 2000;

// Reads names from dir into entries: all of them, or until limit more.
// True when the folder has no more. Thread-safe: it touches only its
// arguments.
bool readNames(DIR *dir, const QByteArray &encoded, const TWildcardFilter &filter, bool showHidden,
               QList<TFolderEntry> &entries, qsizetype limit, const std::atomic<bool> *cancel)
{
    for (qsizetype read = 0; limit < 0 || read < limit; ++read) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const dirent *entry = ::readdir(dir);
        if (!entry)
            return true;
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (raw[0] == '.' && !showHidden)
            continue;
        // readdir tells folders from files without a stat per name, which
        // is what keeps a folder of many thousand files quick to list.
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status;
            const QByteArray path = encoded + '/' + raw;
            isFolder = ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
        }
        const QString name = QFile::decodeName(raw);
        if (isFolder || filter.Matches(name))
            entries.append(TFolderEntry{name, QString(), isFolder, false, 0, {}});
    }
    return false;
}

// Folders first, then by name as people read names.
void sortEntries(QList<TFolderEntry> &entries)
{
    QList<QString> keys;
    keys.reserve(entries.size());
    for (const TFolderEntry &entry : entries)
        keys.append(NaturalSortKey(entry.Name));
    QList<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (entries[a].IsFolder != entries[b].IsFolder)
            return entries[a].IsFolder;
        const int byKey = QStringView(keys[a]).compare(keys[b]);
        return byKey != 0 ? byKey < 0 : entries[a].Name < entries[b].Name;
    });
    QList<TFolderEntry> sorted;
    sorted.reserve(entries.size());
    for (int index : order)
        sorted.append(std::move(entries[index]));
    entries = std::move(sorted);
}

} // namespace

TFolderModel::TFolderModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    Load(QString());
}

TFolderModel::~TFolderModel()
{
    StopWorker();
}

void TFolderModel::StopWorker()
{
    ++m_generation;
    if (m_cancel)
        m_cancel->store(true);
    if (m_worker.joinable())
        m_worker.join();
    m_cancel.reset();
}

bool TFolderModel::Load(const QString &path, QString *reason)
{
    const QString folder = path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return Start(folder, folder != m_folder, reason);
}

void TFolderModel::Reload()
{
    // A folder that went away leaves the list empty rather than stale.
    if (!Start(m_folder, false, nullptr))
        Finish(m_folder, {}, false);
}

bool TFolderModel::Start(const QString &folder, bool newFolder, QString *reason)
{
    if (folder.isEmpty()) {
        StopWorker();
        QList<TFolderEntry> entries;
        for (const TPlace &place : TopPlaces(m_texts))
            entries.append(TFolderEntry{place.Name, place.Path, true, false, 0, {}});
        Finish(folder, std::move(entries), newFolder);
        return true;
    }
    const QByteArray encoded = QFile::encodeName(folder);
    DIR *dir = ::opendir(encoded.constData());
    if (!dir) {
        if (reason)
            *reason = systemReason(errno);
        return false;
    }
    StopWorker();
    QList<TFolderEntry> entries;
    if (readNames(dir, encoded, m_filter, m_showHidden, entries, kNamesListedAtOnce, nullptr)) {
        ::closedir(dir);
        sortEntries(entries);
        Finish(folder, std::move(entries), newFolder);
        return true;
    }
    // A large folder: the rest is read and sorted on a thread.
    const quint64 generation = m_generation;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_worker = std::thread([this, dir, encoded, filter = m_filter, showHidden = m_showHidden,
                            entries = std::move(entries), cancel = m_cancel, generation, folder,
                            newFolder]() mutable {
        const bool complete = readNames(dir, encoded, filter, showHidden, entries, -1, cancel.get());
        ::closedir(dir);
        if (!complete)
            return;
        sortEntries(entries);
        QHash<QString, int> rows = RowsOf(entries);
        if (cancel->load())
            return;
        // Handed over whole through the event loop; dropped with the model.
        QMetaObject::invokeMethod(
            this,
            [this, generation, folder, newFolder, listed = std::move(entries), rows = std::move(rows)]() mutable {
                if (generation != m_generation)
                    return;
                m_worker.join();
                m_cancel.reset();
                Finish(folder, std::move(listed), newFolder, std::move(rows));
            },
            Qt::QueuedConnection);
    });
    return true;
}

QHash<QString, int> TFolderModel::RowsOf(const QList<TFolderEntry> &entries)
{
    QHash<QString, int> rows;
    rows.reserve(entries.size());
    for (int row = 0; row < entries.size(); ++row)
        rows.insert(entries[row].Name, row);
    return rows;
}

void TFolderModel::Finish(const QString &folder, QList<TFolderEntry> entries, bool newFolder,
                          std::optional<QHash<QString, int>> rows)
{
    beginResetModel();
    m_folder = folder;
    // The old content goes after the new is in, outside the reset.
    QList<TFolderEntry> old = std::exchange(m_entries, std::move(entries));
    QHash<QString, int> oldRows = std::exchange(m_rows, rows ? std::move(*rows) : RowsOf(m_entries));
    endResetModel();
    Q_EMIT Loaded(newFolder);
    if (old.size() > kNamesListedAtOnce) {
        // Freeing many thousand names is work too: not on the GUI thread.
        std::thread([discarded = std::move(old), discardedRows = std::move(oldRows)] {}).detach();
    }
}

void TFolderModel::SetFilter(const QString &masks)
{
    if (masks == m_filter.Masks())
        return;
    m_filter = TWildcardFilter(masks);
    Reload();
}

void TFolderModel::SetShowHidden(bool show)
{
    if (show == m_showHidden)
        return;
    m_showHidden = show;
    Reload();
}

void TFolderModel::SetTexts(const TShellTexts &texts)
{
    m_texts = texts;
    if (IsTop())
        Reload();
    else if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

QString TFolderModel::PathAt(int row) const
{
    if (row < 0 || row >= m_entries.size())
        return QString();
    const TFolderEntry &entry = m_entries[row];
    if (!entry.Path.isEmpty())
        return entry.Path;
    return m_folder == QLatin1String("/") ? u'/' + entry.Name : m_folder + u'/' + entry.Name;
}

void TFolderModel::Stat(const TFolderEntry &entry) const
{
    if (entry.Stated)
        return;
    entry.Stated = true;
    const QFileInfo info(PathAt(static_cast<int>(&entry - m_entries.constData())));
    entry.Size = info.size();
    entry.Modified = info.lastModified();
}

int TFolderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int TFolderModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFolderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const TFolderEntry &entry = m_entries[index.row()];
    const int column = index.column();
    if (role == Qt::DecorationRole && column == ColName)
        return entry.IsFolder ? folderIcon() : fileIcon();
    // Said after the name, so that a folder is known without looking.
    if (role == Qt::AccessibleDescriptionRole && column == ColName)
        return entry.IsFolder && entry.Path.isEmpty() ? m_texts.Folder : QString();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (column) {
    case ColName:
        return entry.Name;
    case ColSize:
        if (entry.IsFolder)
            return QString();
        Stat(entry);
        return QLocale().formattedDataSize(entry.Size);
    case ColType:
        return entry.IsFolder ? m_texts.Folder : QFileInfo(entry.Name).suffix();
    case ColModified:
        if (!entry.Path.isEmpty())
            return QString();
        Stat(entry);
        return QLocale().toString(entry.Modified, QLocale::ShortFormat);
    default:
        return {};
    }
}

QVariant TFolderModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColName: return m_texts.ColumnName;
    case ColSize: return m_texts.ColumnSize;
    case ColType: return m_texts.ColumnType;
    case ColModified: return m_texts.ColumnModified;
    default: return {};
    }
}

Qt::ItemFlags TFolderModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return IsTop() ? Qt::NoItemFlags : Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (IsTop())
        return flags;
    flags |= Qt::ItemIsDragEnabled;
    if (index.column() == ColName)
        flags |= Qt::ItemIsEditable;
    if (m_entries.value(index.row()).IsFolder)
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

bool TFolderModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ColName || IsTop())
        return false;
    TFolderEntry &entry = m_entries[index.row()];
    const QString name = value.toString().trimmed();
    if (name == entry.Name)
        return false;
    QString reason;
    if (!RenameTo(PathAt(index.row()), name, &reason)) {
        Q_EMIT FileError({TFileError::Rename, entry.Name, reason});
        return false;
    }
    m_rows.remove(entry.Name);
    entry.Name = name;
    entry.Stated = false;
    m_rows.insert(name, index.row());
    Q_EMIT dataChanged(index, index.siblingAtColumn(ColumnCount - 1));
    return true;
}

QStringList TFolderModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *TFolderModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QUrl> urls;
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && !rows.contains(index.row())) {
            rows.append(index.row());
            urls.append(QUrl::fromLocalFile(PathAt(index.row())));
        }
    }
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions TFolderModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool TFolderModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                   const QModelIndex &parent) const
{
    if (IsTop() || !data || !data->hasUrls() || (action != Qt::CopyAction && action != Qt::MoveAction))
        return false;
    return !parent.isValid() || m_entries.value(parent.row()).IsFolder;
}

bool TFolderModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const QString folder = parent.isValid() ? PathAt(parent.row()) : m_folder;
    bool any = false;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString source = url.toLocalFile();
        if (QFileInfo(source).dir() == QDir(folder))
            continue; // already there
        QString reason;
        const bool done = action == Qt::MoveAction ? MoveInto(source, folder, &reason)
                                                   : CopyInto(source, folder, &reason);
        if (!done) {
            Q_EMIT FileError({action == Qt::MoveAction ? TFileError::Move : TFileError::Copy,
                              QFileInfo(source).fileName(), reason});
            break;
        }
        any = true;
    }
    if (any)
        Q_EMIT ContentChanged();
    // The files were moved here by us, not by the view: it removes nothing.
    return false;
}

} // namespace lexivoce::shellview
