#pragma once

#include "shellview/file_operations.h"
#include "shellview/places.h"
#include "shellview/wildcard_filter.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace lexivoce::shellview {

// One name of a folder.
struct TFolderEntry
{
    QString Name;
    QString Path; // places only
    bool IsFolder = false;
    // Read on first need.
    mutable bool Stated = false;
    mutable qint64 Size = 0;
    mutable QDateTime Modified;
};

// A key under which names sort as people read them: without regard to
// case, numbers by value ("file 2" before "file 10").
QString NaturalSortKey(const QString &name);

// The content of one folder, flat: its folders first, then the files the
// filter lets through, each group by name. Or, at the top, the places. Size,
// type and date are read only for the rows someone asks about, so a folder
// of many thousand files lists in one pass of names.
class TFolderModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum TColumn { ColName, ColSize, ColType, ColModified, ColumnCount };

    explicit TFolderModel(QObject *parent = nullptr);
    ~TFolderModel() override;

    // Starts showing path; "" is the top. False, with the system's reason,
    // when path is no folder that can be read; then nothing changes.
    // Otherwise the new content is in the model when Loaded is emitted:
    // before this returns for a folder of a few thousand names, else from
    // the event loop once a thread has listed and sorted it (meanwhile the
    // old content stays, and a later Load or Reload replaces this one).
    bool Load(const QString &path, QString *reason = nullptr);
    // Lists the folder shown again (it may have changed on disk), the same
    // way. A folder that went away leaves the list empty.
    void Reload();
    bool IsLoading() const { return m_worker.joinable(); }
    // Absolute and clean ("/" for the root); "" at the top.
    QString Folder() const { return m_folder; }
    bool IsTop() const { return m_folder.isEmpty(); }

    QString Filter() const { return m_filter.Masks(); }
    void SetFilter(const QString &masks);
    bool ShowHidden() const { return m_showHidden; }
    void SetShowHidden(bool show);
    void SetTexts(const TShellTexts &texts);
    const TShellTexts &Texts() const { return m_texts; }

    QString NameAt(int row) const { return m_entries.value(row).Name; }
    QString PathAt(int row) const;
    bool IsFolderAt(int row) const { return m_entries.value(row).IsFolder; }
    // The row of a name in this folder, or -1.
    int RowOf(const QString &name) const { return m_rows.value(name, -1); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Renames the file (column 0, edit role); a failure is told by FileError.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    // Copies or moves the dropped files into the folder dropped on (a
    // folder row, else the folder shown).
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

Q_SIGNALS:
    // The content is in: of a new folder, or of the same one again.
    void Loaded(bool newFolder);
    void FileError(const lexivoce::shellview::TFileError &error);
    // Files were added by a drop.
    void ContentChanged();

private:
    bool Start(const QString &folder, bool newFolder, QString *reason);
    // rows: the row of each name, when the thread has made it already.
    void Finish(const QString &folder, QList<TFolderEntry> entries, bool newFolder,
                std::optional<QHash<QString, int>> rows = std::nullopt);
    static QHash<QString, int> RowsOf(const QList<TFolderEntry> &entries);
    void StopWorker();
    void Stat(const TFolderEntry &entry) const;

    QString m_folder;
    QList<TFolderEntry> m_entries;
    QHash<QString, int> m_rows;
    TWildcardFilter m_filter;
    bool m_showHidden = false;
    TShellTexts m_texts = TShellTexts::Defaults();
    // The listing of a large folder, and how it is called off.
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    quint64 m_generation = 0;
};

} // namespace lexivoce::shellview
