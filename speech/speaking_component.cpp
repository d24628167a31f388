#include "speech/speaking_component.h"

#include "speech/keyboard_echo.h"
#include "speech/lock_keys.h"
#include "speech/speakers.h"
#include "speech/web_element.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace lexivoce::speech {

namespace {

// The entry view reads itself; the screen reader only names its label.
bool isReadingView(const QWidget *control)
{
    return control->inherits("lexivoce::view::TStyledView");
}

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

QString describeItemView(const QAbstractItemView *view, const TLocalStrings &words)
{
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return QString();
    const QAbstractItemModel *model = view->model();
    if (const auto *table = qobject_cast<const QTableView *>(view)) {
        QString text;
        const QString column = model->headerData(current.column(), Qt::Horizontal).toString();
        if (!table->horizontalHeader()->isHidden() && !column.isEmpty())
            text += words.stColumn + u' ' + column + u' ';
        const QString row = model->headerData(current.row(), Qt::Vertical).toString();
        if (!table->verticalHeader()->isHidden() && !row.isEmpty())
            text += words.stRow + u' ' + row + u' ';
        return text + current.data().toString();
    }
    const QModelIndex first = current.siblingAtColumn(0);
    if (const auto *tree = qobject_cast<const QTreeView *>(view)) {
        if (isReportList(tree)) {
            // Only the item that is both current and selected is described.
            if (!view->selectionModel() || !view->selectionModel()->isSelected(current))
                return QString();
            QString text = model->headerData(0, Qt::Horizontal).toString() + u' ' + first.data().toString() + u' ';
            for (int column = 1; column < model->columnCount(); ++column)
                text += model->headerData(column, Qt::Horizontal).toString() + u' '
                        + first.siblingAtColumn(column).data().toString() + u' ';
            if (first.flags() & Qt::ItemIsUserCheckable)
                text += checkWord(first.data(Qt::CheckStateRole), words);
            return text;
        }
        QString text = first.data().toString() + u' ';
        if (tree->isExpanded(first))
            text += words.stOpened + u' ';
        else if (model->hasChildren(first))
            text += words.stClosed + u' ';
        return text;
    }
    QString text = current.data().toString();
    if ((current.flags() & Qt::ItemIsUserCheckable) && current.data(Qt::CheckStateRole).isValid())
        text += u' ' + checkWord(current.data(Qt::CheckStateRole), words);
    return text;
}

bool isPassword(const QWidget *control)
{
    const auto *edit = qobject_cast<const QLineEdit *>(control);
    return edit && edit->echoMode() != QLineEdit::Normal;
}

bool isReadOnly(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QTextEdit *>(control))
        return edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(control))
        return edit->isReadOnly();
    return false;
}

// The widget whose text a key edits: a line or text edit, or an editable
// combo box's line edit; nullptr for anything else.
QWidget *textEditor(QWidget *control)
{
    if (!control || isReadingView(control))
        return nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->lineEdit();
    if (qobject_cast<QLineEdit *>(control) || qobject_cast<QTextEdit *>(control)
        || qobject_cast<QPlainTextEdit *>(control))
        return control;
    return nullptr;
}

// Text and caret (the start of the selection) of a text editor.
std::pair<QString, int> textAndCaret(const QWidget *editor)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(editor))
        return {edit->text(), edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition()};
    if (const auto *edit = qobject_cast<const QTextEdit *>(editor))
        return {edit->toPlainText(), edit->textCursor().selectionStart()};
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(editor))
        return {edit->toPlainText(), edit->textCursor().selectionStart()};
    return {QString(), -1};
}

bool isFunctionKey(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

} // namespace

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

QString DescribeControl(const QWidget *control, const TLocalStrings &words)
{
    if (!control)
        return QString();
    QString text;
    if (const QWidget *parent = control->parentWidget()) {
        for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() == control) {
                text += StripAccelerator(label->text()) + u' ';
                break;
            }
        }
    }
    if (const auto *bar = qobject_cast<const QTabBar *>(control)) {
        if (qobject_cast<const QTabWidget *>(bar->parentWidget()))
            control = bar->parentWidget();
    }

    if (const auto *tabs = qobject_cast<const QTabWidget *>(control)) {
        text += u' ' + words.stTabsheet + u' ' + StripAccelerator(tabs->tabText(tabs->currentIndex())) + u' ';
    } else if (const auto *group = qobject_cast<const QGroupBox *>(control)) {
        text += StripAccelerator(group->title()) + u' ';
    } else if (control->isWindow()) {
        text += StripAccelerator(control->windowTitle()) + u' ';
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        text += StripAccelerator(button->text()) + u' ';
        if (const auto *check = qobject_cast<const QCheckBox *>(button))
            text += checkWord(check->checkState(), words);
        else if (button->isCheckable())
            text += button->isChecked() ? words.stChecked : words.stUnchecked;
    } else if (isReadingView(control)) {
        // Reads itself.
    } else if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QTextEdit *>(control)
               || qobject_cast<const QPlainTextEdit *>(control)) {
        if (isReadOnly(control))
            text += words.stROfield + u' ';
        if (isPassword(control))
            text += words.stPwdfield + u' '; // a password is never read aloud
        else
            text += textAndCaret(control).first + u' ';
    } else if (const auto *combo = qobject_cast<const QComboBox *>(control)) {
        text += combo->currentText();
    } else if (const auto *view = qobject_cast<const QAbstractItemView *>(control)) {
        text += describeItemView(view, words);
    } else if (const auto *slider = qobject_cast<const QAbstractSlider *>(control)) {
        text += u' ' + QString::number(slider->value());
    }
    return text;
}

// ---------------------------------------------------------------------------

TSpeakingComponent::TSpeakingComponent(QObject *owner)
    : QObject(owner)
{
    LoadDefaultWords();
}

TSpeakingComponent::~TSpeakingComponent()
{
    const QList<TControlSubClass *> records = m_records;
    m_records.clear();
    qDeleteAll(records);
}

void TSpeakingComponent::SetSpeaker(TCustomSpeaker *speaker)
{
    disconnect(m_speakerDestroyed);
    m_speaker = speaker;
    if (speaker) {
        m_speakerDestroyed = connect(speaker, &QObject::destroyed, this, [this] {
            // Nothing may speak through a speaker that is gone.
            const QList<TControlSubClass *> records = m_records;
            m_records.clear();
            qDeleteAll(records);
            m_speaker = nullptr;
        });
    }
}

QWidget *TSpeakingComponent::OwnerWidget() const
{
    return qobject_cast<QWidget *>(parent());
}

void TSpeakingComponent::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!m_speaker || !OwnerWidget())
        return;
    if (enabled)
        HookControlTree(OwnerWidget());
    else
        UnhookControlTree(OwnerWidget());
}

void TSpeakingComponent::LoadDefaultWords()
{
    Words = DefaultLocalStrings();
}

void TSpeakingComponent::StopSpeaking()
{
    if (m_speaker)
        m_speaker->Stop();
}

void TSpeakingComponent::SpeakText(const QString &text)
{
    if (!m_speaker)
        return;
    QString spoken = text == QLatin1String(" ") ? Words.stSpace : text;
    const QString trimmed = TrimSpoken(spoken);
    if (trimmed.isEmpty() || trimmed.front().unicode() == 0)
        return;
    StopSpeaking();
    if (OnSpeak)
        OnSpeak(this, spoken);
    try {
        m_speaker->Text = QStringList{spoken};
        m_speaker->Speak();
    } catch (...) {
        // The user simply hears nothing.
    }
}

TControlSubClass *TSpeakingComponent::FindRecord(const QWidget *control) const
{
    for (TControlSubClass *record : m_records) {
        if (record->Control() == control)
            return record;
    }
    return nullptr;
}

void TSpeakingComponent::HookControl(QWidget *control)
{
    if (!control || FindRecord(control))
        return;
    m_records.append(new TControlSubClass(this, control));
}

void TSpeakingComponent::HookControlTree(QWidget *control)
{
    if (!control)
        return;
    HookControl(control);
    for (QWidget *child : control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        HookControlTree(child);
}

void TSpeakingComponent::UnhookControl(QWidget *control)
{
    if (TControlSubClass *record = FindRecord(control)) {
        m_records.removeOne(record);
        delete record;
    }
}

void TSpeakingComponent::UnhookControlTree(QWidget *control)
{
    if (!control)
        return;
    for (QWidget *child : control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        UnhookControlTree(child);
    UnhookControl(control);
}

void TSpeakingComponent::RemoveRecord(TControlSubClass *record)
{
    m_records.removeOne(record);
}

// ---------------------------------------------------------------------------

TControlSubClass::TControlSubClass(TSpeakingComponent *owner, QWidget *control)
    : QObject(owner), m_owner(owner), m_control(control), m_speaker(owner->Speaker())
{
    control->installEventFilter(this);
    m_connections.append(connect(control, &QObject::destroyed, this, [this] {
        m_owner->RemoveRecord(this);
        deleteLater();
    }));
    ConnectSignals();
}

TControlSubClass::~TControlSubClass()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    if (m_control)
        m_control->removeEventFilter(this);
}

void TControlSubClass::ConnectSignals()
{
    QWidget *control = m_control;
    const auto announce = [this] { AnnounceControl(m_control); };
    if (auto *check = qobject_cast<QCheckBox *>(control)) {
        m_connections.append(connect(check, &QCheckBox::stateChanged, this, announce));
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        // A radio button that loses its mark is not announced.
        m_connections.append(connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
            if (checked || !qobject_cast<QRadioButton *>(button))
                AnnounceControl(m_control);
        }));
    } else if (auto *menu = qobject_cast<QMenu *>(control)) {
        m_connections.append(connect(menu, &QMenu::hovered, this, &TControlSubClass::OnMenuItem));
    } else if (auto *bar = qobject_cast<QMenuBar *>(control)) {
        m_connections.append(connect(bar, &QMenuBar::hovered, this, &TControlSubClass::OnMenuItem));
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        m_connections.append(connect(combo, &QComboBox::currentIndexChanged, this, announce));
    } else if (auto *view = qobject_cast<QAbstractItemView *>(control)) {
        if (view->selectionModel())
            m_connections.append(connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                                         &TControlSubClass::AnnounceIfVisible));
        if (auto *tree = qobject_cast<QTreeView *>(view))
            m_connections.append(connect(tree, &QTreeView::expanded, this, announce));
    } else if (auto *slider = qobject_cast<QAbstractSlider *>(control)) {
        // Beyond the focus: a user setting pitch or speed hears each step.
        m_connections.append(connect(slider, &QAbstractSlider::valueChanged, this, [this] {
            if (m_control && m_control->hasFocus())
                AnnounceControl(m_control);
        }));
    } else if (auto *tabs = qobject_cast<QTabWidget *>(control)) {
        m_connections.append(connect(tabs, &QTabWidget::currentChanged, this, [this, tabs] {
            if (tabs->tabBar()->hasFocus())
                AnnounceControl(m_control);
        }));
    }
}

void TControlSubClass::AnnounceIfVisible()
{
    // A hidden view (a closed combo box list) follows its owner silently.
    if (!m_control || !m_control->isVisible() || IsRepeat())
        return;
    AnnounceControl(m_control);
}

bool TControlSubClass::IsRepeat() const
{
    // An item view that takes the focus may report its current item just
    // before or after the focus event: one announcement is enough.
    return m_lastAnnouncementTime.isValid() && m_lastAnnouncementTime.elapsed() < 100
           && DescribeControl(m_control, m_owner->Words) == m_lastAnnouncement;
}

void TControlSubClass::AnnounceControl(QWidget *control)
{
    QString text = DescribeControl(control, m_owner->Words);
    if (m_owner->OnBeforeSpeak)
        m_owner->OnBeforeSpeak(m_owner, control, text);
    m_lastAnnouncement = text;
    m_lastAnnouncementTime.start();
    SpeakFromHook(text);
}

void TControlSubClass::SpeakFromHook(const QString &text)
{
    if (!m_speaker)
        return;
    const QString trimmed = TrimSpoken(text);
    if (trimmed.isEmpty() || trimmed.front().unicode() == 0 || trimmed == QLatin1String(","))
        return;
    try {
        m_speaker->Stop();
        m_speaker->Text = QStringList{trimmed};
        m_speaker->Speak();
    } catch (...) {
    }
}

void TControlSubClass::AnnounceWebElement(const TWebDocument *document)
{
    try {
        const TWebElement *element = ActiveWebElement(document);
        if (!element || element->TagName() == QLatin1String("BODY"))
            return;
        QString text = DescribeWebElement(element, m_owner->Words);
        if (m_owner->OnBeforeSpeak)
            m_owner->OnBeforeSpeak(m_owner, m_control, text);
        SpeakFromHook(text);
    } catch (...) {
    }
}

void TControlSubClass::OnMenuItem(QAction *action)
{
    if (!action || action->isSeparator())
        return;
    QString text = StripAccelerator(action->text());
    if (text.isEmpty())
        return;
    const TLocalStrings &words = m_owner->Words;
    if (action->isCheckable() && action->isChecked())
        text += u' ' + words.stChecked;
    else if (!action->isEnabled())
        text += u' ' + words.stDisabled;
    else if (action->menu())
        text += u' ' + words.stSubmenu;
    SpeakFromHook(text);
}

bool TControlSubClass::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_speaker || watched != m_control)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        OnFocusIn(event);
        break;
    case QEvent::KeyPress:
        // A key the focus widget left unhandled travels on to its parents;
        // only the widget that has the focus speaks it.
        if (m_control == QApplication::focusWidget())
            OnKeyDown(static_cast<QKeyEvent *>(event));
        break;
    case QEvent::KeyRelease:
        if (m_control == QApplication::focusWidget() && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
            OnKeyUp(static_cast<QKeyEvent *>(event));
        break;
    default:
        break;
    }
    return false; // always passed on
}

void TControlSubClass::OnFocusIn(QEvent *event)
{
    // Closing a menu gives the focus back: nothing new to say.
    if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
        return;
    if (m_speaker->GetState() == ssOther) {
        m_speaker->Resume();
        return;
    }
    if (!IsRepeat())
        AnnounceControl(m_control);
}

void TControlSubClass::OnKeyDown(QKeyEvent *event)
{
    TLockKeys::Track(*event);
    QWidget *editor = textEditor(m_control);
    if (!editor)
        return;
    const TLocalStrings words = m_owner->Words;
    const int key = event->key();
    QString text;
    switch (key) {
    case Qt::Key_Backspace: text = words.stBack + u' '; break;
    case Qt::Key_Delete: text = words.stDelete + u' '; break;
    case Qt::Key_Shift:
    case Qt::Key_Escape:
        m_speaker->Stop();
        return;
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_PageUp:
    case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home: case Qt::Key_Up: case Qt::Key_Down:
        return;
    default:
        if (isFunctionKey(key))
            return;
        break;
    }
    const bool echo = !isReadOnly(editor) && !isPassword(editor);
    if (echo) {
        const auto [value, caret] = textAndCaret(editor);
        QString character;
        if (key == Qt::Key_Backspace || key == Qt::Key_Left)
            character = GraphemeBefore(value, caret);
        else if (key == Qt::Key_Right)
            character = GraphemeAfter(value, NextGraphemeBoundary(value, caret));
        else if (key == Qt::Key_Delete)
            character = GraphemeAfter(value, caret);
        if (!character.isEmpty())
            text += CharacterWord(words, character);
    }
    SpeakFromHook(text);
}

void TControlSubClass::OnKeyUp(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::ControlModifier) && key != Qt::Key_Control)
        return;
    const TLocalStrings words = m_owner->Words;
    switch (key) {
    case Qt::Key_Control:
        if (m_speaker->GetState() == ssDone)
            AnnounceControl(m_control);
        return;
    case Qt::Key_CapsLock:
        SpeakFromHook(words.stCapslock + u' ' + (TLockKeys::IsOn(Qt::Key_CapsLock) ? words.stTurnon : words.stTurnoff));
        return;
    case Qt::Key_NumLock:
        SpeakFromHook(words.stNumlock + u' ' + (TLockKeys::IsOn(Qt::Key_NumLock) ? words.stTurnon : words.stTurnoff));
        return;
    case Qt::Key_ScrollLock:
        SpeakFromHook(words.stScrolllock + u' '
                      + (TLockKeys::IsOn(Qt::Key_ScrollLock) ? words.stTurnon : words.stTurnoff));
        return;
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Meta:
        return;
    case Qt::Key_Menu:
        SpeakFromHook(words.stPopupkey + u' ' + words.stTurnon);
        return;
    default:
        break;
    }
    // Alt with a key is a command (a menu accelerator), not typing.
    if (modifiers & Qt::AltModifier)
        return;

    if (qobject_cast<QTableView *>(m_control)) {
        switch (key) {
        case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
            AnnounceControl(m_control);
            break;
        default:
            break;
        }
        return;
    }

    QWidget *editor = textEditor(m_control);
    if (!editor || isReadOnly(editor) || isPassword(editor))
        return;
    switch (key) {
    case Qt::Key_Backspace: case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Shift: case Qt::Key_Control:
    case Qt::Key_Alt: case Qt::Key_Pause: case Qt::Key_Escape: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_End: case Qt::Key_Home: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Delete:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const bool multiLine = qobject_cast<QTextEdit *>(editor) || qobject_cast<QPlainTextEdit *>(editor);
        if (multiLine && m_owner->SpeakWord)
            SpeakFromHook(WordAtCaret(editor));
        return;
    }
    case Qt::Key_Space:
        if (m_owner->SpeakWord)
            SpeakFromHook(WordAtCaret(editor));
        return;
    case Qt::Key_Insert:
        SpeakFromHook(words.stInsert);
        return;
    default:
        if (isFunctionKey(key))
            return;
        if (m_owner->SpeakChar)
            SpeakFromHook(KeyCharacter(*event));
        return;
    }
}

} // namespace lexivoce::speech
