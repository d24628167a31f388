#include "speech/control_description.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace lexivoce::speech {

namespace {

// A tree view without children and with several columns under a visible
// header is a list in report style.
bool isReportList(const QTreeView *tree)
{
    const QAbstractItemModel *model = tree->model();
    if (!model || tree->isHeaderHidden() || model->columnCount() < 2)
        return false;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->hasChildren(model->index(row, 0)))
            return false;
    }
    return true;
}

QString checkWord(const QVariant &state, const TLocalStrings &words)
{
    switch (state.toInt()) {
    case Qt::Checked: return words.stChecked;
    case Qt::PartiallyChecked: return words.stGrayed;
    default: return words.stUnchecked;
    }
}

// What a model says of an item beyond its text ("folder"), in the
// interface's voice.
void addDescription(TUtterance &text, const QModelIndex &item)
{
    const QString description = item.data(Qt::AccessibleDescriptionRole).toString();
    if (!description.isEmpty())
        text.Add(description + u' ');
}

TUtterance describeItemView(const QAbstractItemView *view, const TLocalStrings &words, const QString &voice)
{
    TUtterance text;
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return text;
    const QAbstractItemModel *model = view->model();
    if (const auto *table = qobject_cast<const QTableView *>(view)) {
        const QString column = model->headerData(current.column(), Qt::Horizontal).toString();
        if (!table->horizontalHeader()->isHidden() && !column.isEmpty())
            text.Add(words.stColumn + u' ' + column + u' ');
        const QString row = model->headerData(current.row(), Qt::Vertical).toString();
        if (!table->verticalHeader()->isHidden() && !row.isEmpty())
            text.Add(words.stRow + u' ' + row + u' ');
        return text.Add(current.data().toString(), voice);
    }
    const QModelIndex first = current.siblingAtColumn(0);
    if (const auto *tree = qobject_cast<const QTreeView *>(view)) {
        if (isReportList(tree)) {
            // Only the item that is both current and selected is described.
            if (!view->selectionModel() || !view->selectionModel()->isSelected(current))
                return text;
            text.Add(model->headerData(0, Qt::Horizontal).toString() + u' ');
            text.Add(first.data().toString(), voice).Add(u" ");
            for (int column = 1; column < model->columnCount(); ++column) {
                text.Add(model->headerData(column, Qt::Horizontal).toString() + u' ');
                text.Add(first.siblingAtColumn(column).data().toString(), voice).Add(u" ");
            }
            if (first.flags() & Qt::ItemIsUserCheckable)
                text.Add(checkWord(first.data(Qt::CheckStateRole), words));
            return text;
        }
        text.Add(first.data().toString(), voice).Add(u" ");
        addDescription(text, first);
        if (tree->isExpanded(first))
            text.Add(words.stOpened + u' ');
        else if (model->hasChildren(first))
            text.Add(words.stClosed + u' ');
        return text;
    }
    text.Add(current.data().toString(), voice).Add(u" ");
    addDescription(text, current);
    if ((current.flags() & Qt::ItemIsUserCheckable) && current.data(Qt::CheckStateRole).isValid())
        text.Add(checkWord(current.data(Qt::CheckStateRole), words));
    return text;
}

} // namespace

bool IsPasswordField(const QWidget *control)
{
    const auto *edit = qobject_cast<const QLineEdit *>(control);
    return edit && edit->echoMode() != QLineEdit::Normal;
}

bool IsReadOnlyField(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QTextEdit *>(control))
        return edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(control))
        return edit->isReadOnly();
    return false;
}

QWidget *TextEditor(QWidget *control)
{
    if (!control)
        return nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->lineEdit();
    if (qobject_cast<QLineEdit *>(control) || qobject_cast<QTextEdit *>(control)
        || qobject_cast<QPlainTextEdit *>(control))
        return control;
    return nullptr;
}

std::pair<QString, int> TextAndCaret(const QWidget *editor)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(editor))
        return {edit->text(), edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition()};
    if (const auto *edit = qobject_cast<const QTextEdit *>(editor))
        return {edit->toPlainText(), edit->textCursor().selectionStart()};
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(editor))
        return {edit->toPlainText(), edit->textCursor().selectionStart()};
    return {QString(), -1};
}

QString TrimSpoken(const QString &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && text[begin].unicode() < 33)
        ++begin;
    qsizetype end = text.size();
    while (end > begin && (text[end - 1] == u'\t' || text[end - 1] == u'\n' || text[end - 1] == u'\r'
                           || text[end - 1] == u' '))
        --end;
    return text.sliced(begin, end - begin);
}

QString StripAccelerator(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&')
            result += text[i];
        else if (i + 1 < text.size() && text[i + 1] == u'&')
            result += text[++i];
    }
    return result;
}

TUtterance DescribeControl(const QWidget *control, const TLocalStrings &words, const TControlVoicing &voicing)
{
    TUtterance text;
    if (!control)
        return text;
    if (const QWidget *parent = control->parentWidget()) {
        for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() == control) {
                text.Add(StripAccelerator(label->text()) + u' ');
                break;
            }
        }
    }
    if (const auto *bar = qobject_cast<const QTabBar *>(control)) {
        if (qobject_cast<const QTabWidget *>(bar->parentWidget()))
            control = bar->parentWidget();
    }
    const QString &voice = voicing.ContentVoice;

    if (voicing.SelfVoiced) {
        // Reads itself.
    } else if (const auto *tabs = qobject_cast<const QTabWidget *>(control)) {
        text.Add(u' ' + words.stTabsheet + u' ' + StripAccelerator(tabs->tabText(tabs->currentIndex())) + u' ');
    } else if (const auto *group = qobject_cast<const QGroupBox *>(control)) {
        text.Add(StripAccelerator(group->title()) + u' ');
    } else if (control->isWindow()) {
        text.Add(StripAccelerator(control->windowTitle()) + u' ');
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        text.Add(StripAccelerator(button->text()) + u' ');
        if (const auto *check = qobject_cast<const QCheckBox *>(button))
            text.Add(checkWord(check->checkState(), words));
        else if (button->isCheckable())
            text.Add(button->isChecked() ? words.stChecked : words.stUnchecked);
    } else if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QTextEdit *>(control)
               || qobject_cast<const QPlainTextEdit *>(control)) {
        if (IsReadOnlyField(control))
            text.Add(words.stROfield + u' ');
        if (IsPasswordField(control))
            text.Add(words.stPwdfield + u' '); // a password is never read aloud
        else
            text.Add(TextAndCaret(control).first, voice).Add(u" ");
    } else if (const auto *combo = qobject_cast<const QComboBox *>(control)) {
        text.Add(combo->currentText(), voice);
    } else if (const auto *view = qobject_cast<const QAbstractItemView *>(control)) {
        text.Append(describeItemView(view, words, voice));
    } else if (const auto *slider = qobject_cast<const QAbstractSlider *>(control)) {
        text.Add(u' ' + QString::number(slider->value()));
    }
    return text;
}

} // namespace lexivoce::speech
