#include "speech/speaking_component.h"

#include "speech/control_description.h"
#include "speech/keyboard_echo.h"
#include "speech/lock_keys.h"
#include "speech/speakers.h"
#include "speech/user_actions.h"
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
#include <QProxyStyle>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeView>

namespace lexivoce::speech {

namespace {

// Menus that let the highlight rest on disabled items, so that moving
// through a menu reaches them and they are announced as disabled.
class TReachableMenuStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override
    {
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void makeDisabledItemsReachable(QWidget *menu)
{
    if (dynamic_cast<TReachableMenuStyle *>(menu->style()))
        return;
    // Owned by the menu: it lives exactly as long as the menu uses it.
    auto *style = new TReachableMenuStyle;
    style->setParent(menu);
    menu->setStyle(style);
}

// What changes when an editor takes a typed key.
struct TEditorState
{
    QString LineText;
    int Revision = 0;
    bool operator==(const TEditorState &) const = default;
};

TEditorState editorState(const QWidget *editor)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(editor))
        return {edit->text(), 0};
    if (const auto *edit = qobject_cast<const QTextEdit *>(editor))
        return {QString(), edit->document()->revision()};
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(editor))
        return {QString(), edit->document()->revision()};
    return {};
}

} // namespace

// ---------------------------------------------------------------------------

TSpeakingComponent::TSpeakingComponent(QObject *owner)
    : QObject(owner)
{
    LoadDefaultWords();
    // Whatever speaks through a component speaks as part of user actions.
    TUserActions::Install();
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

void TSpeakingComponent::SpeakText(const TUtterance &text)
{
    if (!m_speaker)
        return;
    TUtterance spoken = text.PlainText() == QLatin1String(" ") ? TUtterance(Words.stSpace) : text;
    const QString trimmed = TrimSpoken(spoken.PlainText());
    if (trimmed.isEmpty() || trimmed.front().unicode() == 0)
        return;
    // No stop here: what this action said before is heard first, and the
    // speech channel drops what older actions left unsaid.
    if (OnSpeak)
        OnSpeak(this, spoken);
    try {
        m_speaker->Text = QStringList{spoken.Markup()};
        m_speaker->Speak();
    } catch (...) {
        // The user simply hears nothing.
    }
}

void TSpeakingComponent::ForgetOnDestroy(QWidget *control)
{
    if (m_contentVoices.contains(control) || m_selfVoiced.contains(control))
        return;
    connect(control, &QObject::destroyed, this, [this, control] {
        m_contentVoices.remove(control);
        m_selfVoiced.remove(control);
    });
}

void TSpeakingComponent::SetContentVoice(QWidget *control, TVoiceNameFunction voice)
{
    if (!control)
        return;
    ForgetOnDestroy(control);
    m_contentVoices.insert(control, std::move(voice));
}

void TSpeakingComponent::SetSelfVoiced(QWidget *control, bool selfVoiced)
{
    if (!control)
        return;
    ForgetOnDestroy(control);
    m_selfVoiced.insert(control, selfVoiced);
}

TControlVoicing TSpeakingComponent::VoicingOf(const QWidget *control) const
{
    TControlVoicing voicing;
    voicing.SelfVoiced = m_selfVoiced.value(control, false);
    const TVoiceNameFunction voice = m_contentVoices.value(control);
    if (voice)
        voicing.ContentVoice = voice();
    return voicing;
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
        makeDisabledItemsReachable(menu);
        m_connections.append(connect(menu, &QMenu::hovered, this, &TControlSubClass::OnMenuItem));
    } else if (auto *bar = qobject_cast<QMenuBar *>(control)) {
        makeDisabledItemsReachable(bar);
        m_connections.append(connect(bar, &QMenuBar::hovered, this, &TControlSubClass::OnMenuItem));
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        m_connections.append(connect(combo, &QComboBox::currentIndexChanged, this, announce));
    } else if (qobject_cast<QHeaderView *>(control)) {
        // A header shares its view's selection model: the view says each
        // move, the header never a second time.
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
           && DescribeControl(m_control, m_owner->Words, Voicing()) == m_lastAnnouncement;
}

TControlVoicing TControlSubClass::Voicing() const
{
    return m_owner->VoicingOf(m_control);
}

void TControlSubClass::AnnounceControl(QWidget *control)
{
    TUtterance text = DescribeControl(control, m_owner->Words, m_owner->VoicingOf(control));
    if (m_owner->OnBeforeSpeak)
        m_owner->OnBeforeSpeak(m_owner, control, text);
    m_lastAnnouncement = text;
    m_lastAnnouncementTime.start();
    SpeakFromHook(text);
}

void TControlSubClass::SpeakFromHook(const TUtterance &text)
{
    if (!m_speaker)
        return;
    const TUtterance trimmed = text.Trimmed();
    const QString plain = trimmed.PlainText();
    if (plain.isEmpty() || plain.front().unicode() == 0 || plain == QLatin1String(","))
        return;
    // No stop: the speech channel cuts off what older actions left unsaid.
    try {
        m_speaker->Text = QStringList{trimmed.Markup()};
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
        TUtterance text(DescribeWebElement(element, m_owner->Words));
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
    // A menu reports the items of its submenus too, and the menu bar those
    // of every menu: each item is said by its own menu, once.
    if (!m_control || !m_control->actions().contains(action))
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
    case QEvent::KeyPress: {
        // A key the focus widget left unhandled travels on to its parents;
        // only the widget that has the focus speaks it.
        if (m_control != QApplication::focusWidget())
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        m_pressed.insert(KeyIdentity(*key), key->modifiers());
        m_ctrlAlone = key->key() == Qt::Key_Control;
        OnKeyDown(key);
        EchoAfterPress(*key);
        break;
    }
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_control != QApplication::focusWidget() || key->isAutoRepeat())
            break;
        // A release whose press went elsewhere (Enter on a menu item, whose
        // menu gave the focus back) is not a key for this control.
        const auto pressed = m_pressed.constFind(KeyIdentity(*key));
        if (pressed == m_pressed.cend())
            break;
        const Qt::KeyboardModifiers modifiers = pressed.value();
        m_pressed.erase(pressed);
        OnKeyUp(key, modifiers);
        break;
    }
    case QEvent::FocusOut:
        m_pressed.clear();
        break;
    default:
        break;
    }
    return false; // always passed on
}

void TControlSubClass::OnFocusIn(QEvent *event)
{
    // Closing a menu gives the focus back: nothing new to say.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
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
    const TControlVoicing voicing = Voicing();
    QWidget *editor = voicing.SelfVoiced ? nullptr : TextEditor(m_control);
    if (!editor)
        return;
    const TLocalStrings words = m_owner->Words;
    const int key = event->key();
    TUtterance text;
    switch (key) {
    case Qt::Key_Backspace: text.Add(words.stBack + u' '); break;
    case Qt::Key_Delete: text.Add(words.stDelete + u' '); break;
    case Qt::Key_Left: case Qt::Key_Right: break;
    case Qt::Key_Shift:
    case Qt::Key_Escape:
        m_speaker->Stop();
        return;
    default:
        // Typed keys are echoed once the control has taken them; the rest
        // say nothing here.
        return;
    }
    const bool echo = !IsReadOnlyField(editor) && !IsPasswordField(editor);
    if (echo) {
        const auto [value, caret] = TextAndCaret(editor);
        QString character;
        if (key == Qt::Key_Backspace || key == Qt::Key_Left)
            character = GraphemeBefore(value, caret);
        else if (key == Qt::Key_Right)
            character = GraphemeAfter(value, NextGraphemeBoundary(value, caret));
        else if (key == Qt::Key_Delete)
            character = GraphemeAfter(value, caret);
        if (!character.isEmpty())
            text.Append(CharacterUtterance(words, character, voicing.ContentVoice));
    }
    SpeakFromHook(text);
}

void TControlSubClass::EchoAfterPress(const QKeyEvent &event)
{
    const TControlVoicing voicing = Voicing();
    QWidget *editor = voicing.SelfVoiced ? nullptr : TextEditor(m_control);
    if (!editor || IsReadOnlyField(editor) || IsPasswordField(editor))
        return;
    // A chord with Ctrl or Alt is a command, not typing.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return;
    const int key = event.key();
    if (key == Qt::Key_Insert) {
        SpeakFromHook(TUtterance(m_owner->Words.stInsert));
        return;
    }
    const bool multiLine = qobject_cast<QTextEdit *>(editor) || qobject_cast<QPlainTextEdit *>(editor);
    const bool word = key == Qt::Key_Space || (multiLine && (key == Qt::Key_Return || key == Qt::Key_Enter));
    // The character the press produced, with the modifiers held then: a
    // Shift let go before the key is no longer known at its release.
    const QString character = word ? QString() : KeyCharacter(event);
    if (word ? !m_owner->SpeakWord : (character.isEmpty() || !m_owner->SpeakChar))
        return;
    const TEditorState before = editorState(editor);
    const QPointer<QWidget> target = editor;
    QMetaObject::invokeMethod(
        this,
        [this, target, before, word, character] {
            // Said only for what the control really took in.
            if (!target || !m_speaker || editorState(target) == before)
                return;
            const TControlVoicing now = Voicing();
            if (word)
                SpeakFromHook(TUtterance().Add(WordAtCaret(target), now.ContentVoice));
            else
                SpeakFromHook(CharacterUtterance(m_owner->Words, character, now.ContentVoice));
        },
        Qt::QueuedConnection);
}

void TControlSubClass::OnKeyUp(QKeyEvent *event, Qt::KeyboardModifiers modifiers)
{
    const int key = event->key();
    if ((modifiers & Qt::ControlModifier) && key != Qt::Key_Control)
        return;
    const TLocalStrings words = m_owner->Words;
    switch (key) {
    case Qt::Key_Control:
        // Ctrl tapped alone repeats the control; the end of a chord does not.
        if (m_ctrlAlone && m_speaker->GetState() == ssDone)
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
    case Qt::Key_Menu:
        SpeakFromHook(words.stPopupkey + u' ' + words.stTurnon);
        return;
    default:
        break;
    }
    // Alt with a key is a command (a menu accelerator), not a move.
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
    }
}

} // namespace lexivoce::speech
