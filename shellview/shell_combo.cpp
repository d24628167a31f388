#include "shellview/shell_combo.h"

#include "shellview/shell_list.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace lexivoce::shellview {

namespace {

// Items indented by their depth, as a tree the user walks up and down.
class TIndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(12 * index.data(TShellCombo::LevelRole).toInt(), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

// Whether path is folder or inside it.
bool isWithin(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == folder || path.startsWith(folder + u'/');
}

} // namespace

TShellCombo::TShellCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(NoInsert);
    setItemDelegate(new TIndentDelegate(this));
    // Arrows and picks in the list go to the folder picked.
    connect(this, &QComboBox::activated, this, &TShellCombo::Pick);
}

void TShellCombo::SetList(TShellList *list)
{
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    if (list)
        connect(list, &TShellList::FolderChanged, this, &TShellCombo::Rebuild);
    Rebuild();
}

void TShellCombo::SetTexts(const TShellTexts &texts)
{
    m_texts = texts;
    Rebuild();
}

void TShellCombo::Rebuild()
{
    // The list says where it is; the combo only follows, silently.
    const QSignalBlocker blocker(this);
    clear();
    const QString current = m_list ? QDir::cleanPath(m_list->Path()) : QString();
    const QList<TPlace> places = TopPlaces(m_texts);

    // The place the current folder lies in: the deepest that holds it.
    int home = -1;
    for (int i = 0; i < places.size(); ++i) {
        if (!current.isEmpty() && isWithin(current, places[i].Path)
            && (home < 0 || places[i].Path.size() > places[home].Path.size()))
            home = i;
    }

    int currentItem = 0;
    addItem(m_texts.Top, QString());
    setItemData(0, 0, LevelRole);
    for (int i = 0; i < places.size(); ++i) {
        addItem(places[i].Name, places[i].Path);
        setItemData(count() - 1, 1, LevelRole);
        if (places[i].Path == current)
            currentItem = count() - 1;
        if (i != home || places[i].Path == current)
            continue;
        // The folders from that place down to the current one.
        const QString base = places[i].Path == QLatin1String("/") ? QString() : places[i].Path;
        const QStringList steps = current.mid(base.size() + 1).split(u'/', Qt::SkipEmptyParts);
        QString path = base;
        for (int level = 0; level < steps.size(); ++level) {
            path += u'/' + steps[level];
            addItem(steps[level], path);
            setItemData(count() - 1, level + 2, LevelRole);
        }
        currentItem = count() - 1;
    }
    setCurrentIndex(currentItem);
}

void TShellCombo::Pick(int index)
{
    if (!m_list || index < 0)
        return;
    const QString path = itemData(index, PathRole).toString();
    if (QDir::cleanPath(m_list->Path()) == path || (path.isEmpty() && m_list->IsTop()))
        return;
    if (!m_list->Navigate(path))
        Rebuild();
}

void TShellCombo::GoToTyped()
{
    const QString typed = lineEdit() ? lineEdit()->text().trimmed() : QString();
    if (!m_list || typed.isEmpty() || typed == itemText(currentIndex())) {
        Rebuild();
        return;
    }
    const int item = findText(typed);
    if (item >= 0) {
        Pick(item);
        return;
    }
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    else if (QDir::isRelativePath(path) && !m_list->IsTop())
        path = QDir(m_list->Path()).filePath(path);
    if (!m_list->Navigate(path))
        Rebuild();
}

void TShellCombo::keyPressEvent(QKeyEvent *event)
{
    // Enter goes to the typed folder; it is not the dialog's OK.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !view()->isVisible()) {
        GoToTyped();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace lexivoce::shellview
