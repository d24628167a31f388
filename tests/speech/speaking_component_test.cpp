#include "speech/fake/fake_voice.h"
#include "speech/keyboard_echo.h"
#include "speech/lock_keys.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "speech/speech_channel.h"
#include "speech/web_element.h"
#include "tests/support/heard_log.h"
#include "tests/support/keys.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <map>
#include <stdexcept>

namespace lexivoce::speech {
namespace {

using fake::TFakeVoice;

// A small in-memory page.
class Element : public TWebElement
{
public:
    QString Tag;
    std::map<QString, QString> Attributes;
    QString Inner;
    QString Selected;
    TWebDocument *Frame = nullptr;
    bool Broken = false;

    QString TagName() const override
    {
        if (Broken)
            throw std::runtime_error("page object failed");
        return Tag;
    }
    QString Attribute(const QString &name) const override
    {
        const auto it = Attributes.find(name);
        return it == Attributes.end() ? QString() : it->second;
    }
    bool HasAttribute(const QString &name) const override { return Attributes.count(name) > 0; }
    QString InnerText() const override { return Inner; }
    QString SelectedOptionText() const override { return Selected; }
    TWebDocument *FrameDocument() const override { return Frame; }
};

class Document : public TWebDocument
{
public:
    TWebElement *Active = nullptr;
    TWebElement *ActiveElement() const override { return Active; }
};

class SpeakingComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        voice = new TFakeVoice;
        voice->PlayMs = 0;
        speaker = new TSpeaker5(&window, voice);
        sp = new TSpeakingComponent(&window);
        sp->SetSpeaker(speaker);
        layout = new QVBoxLayout(&window);
        TLockKeys::Reset();
    }

    // Attaches everything and shows the window active, so focus events come.
    void show()
    {
        sp->HookControlTree(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        // An announcement repeated within 100 ms is not said again.
        QTest::qWait(150);
        test::THeardLog::Settle();
        voice->Calls.clear();
        heard.Clear();
    }

    template<typename T>
    T *add(T *widget)
    {
        layout->addWidget(widget);
        return widget;
    }

    // What was heard last, without markup, once everything said was heard.
    QString said() const
    {
        test::THeardLog::Settle();
        const QStringList spoken = voice->Spoken();
        return spoken.isEmpty() ? QString() : test::PlainSpeech(spoken.last());
    }

    // The same with its markup, without the pitch prefix and line break.
    QString saidMarkup() const
    {
        test::THeardLog::Settle();
        const QStringList spoken = voice->Spoken();
        if (spoken.isEmpty())
            return QString();
        QString text = spoken.last();
        text.remove(QStringLiteral("<pitch absmiddle=\"0\"/>"));
        return text.trimmed();
    }

    int speakCount() const
    {
        test::THeardLog::Settle();
        return static_cast<int>(voice->Spoken().size());
    }

    void focus(QWidget *widget)
    {
        if (widget->hasFocus())
            widget->clearFocus(); // the window gave it the focus when shown
        widget->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    QWidget window;
    QVBoxLayout *layout = nullptr;
    TFakeVoice *voice = nullptr;
    TSpeaker5 *speaker = nullptr;
    TSpeakingComponent *sp = nullptr;
    test::THeardLog heard;
};

TEST_F(SpeakingComponentTest, FieldsAreAnnouncedWithTheirLabels)
{
    auto *label = add(new QLabel(QStringLiteral("&Name:")));
    auto *name = add(new QLineEdit(QStringLiteral("Lan")));
    label->setBuddy(name);
    auto *roLabel = add(new QLabel(QStringLiteral("&Code:")));
    auto *code = add(new QLineEdit(QStringLiteral("42")));
    code->setReadOnly(true);
    roLabel->setBuddy(code);
    auto *pwLabel = add(new QLabel(QStringLiteral("&Password:")));
    auto *password = add(new QLineEdit(QStringLiteral("secret")));
    password->setEchoMode(QLineEdit::Password);
    pwLabel->setBuddy(password);
    show();

    focus(name);
    EXPECT_EQ(said(), QStringLiteral("Name: Lan"));
    focus(code);
    EXPECT_EQ(said(), QStringLiteral("Code: read only field 42"));
    focus(password);
    EXPECT_EQ(said(), QStringLiteral("Password: password field"));
}

TEST_F(SpeakingComponentTest, ButtonsSayTheirState)
{
    auto *bold = add(new QCheckBox(QStringLiteral("&Bold")));
    bold->setChecked(true);
    auto *a = add(new QRadioButton(QStringLiteral("&Left")));
    auto *b = add(new QRadioButton(QStringLiteral("&Right")));
    a->setChecked(true);
    show();

    focus(bold);
    EXPECT_EQ(said(), QStringLiteral("Bold checked"));
    bold->setChecked(false);
    EXPECT_EQ(said(), QStringLiteral("Bold unchecked"));

    const int before = speakCount();
    b->setChecked(true); // a loses its mark silently
    EXPECT_EQ(speakCount(), before + 1);
    EXPECT_EQ(said(), QStringLiteral("Right checked"));
}

TEST_F(SpeakingComponentTest, MenuItemsSayTheirState)
{
    QMenu menu(&window);
    QAction *save = menu.addAction(QStringLiteral("&Save"));
    save->setEnabled(false);
    QMenu *recent = menu.addMenu(QStringLiteral("&Recent"));
    recent->addAction(QStringLiteral("one"));
    QAction *wrap = menu.addAction(QStringLiteral("&Wrap"));
    wrap->setCheckable(true);
    wrap->setChecked(true);
    QAction *separator = menu.addSeparator();
    show();

    Q_EMIT menu.hovered(save);
    EXPECT_EQ(said(), QStringLiteral("Save disabled"));
    Q_EMIT menu.hovered(recent->menuAction());
    EXPECT_EQ(said(), QStringLiteral("Recent sub menu"));
    Q_EMIT menu.hovered(wrap);
    EXPECT_EQ(said(), QStringLiteral("Wrap checked"));
    const int before = speakCount();
    Q_EMIT menu.hovered(separator);
    EXPECT_EQ(speakCount(), before);
}

TEST_F(SpeakingComponentTest, SpeakTextTrimsAndNeverSaysBlanks)
{
    show();
    sp->SpeakText(QStringLiteral(" "));
    EXPECT_EQ(said(), QStringLiteral("space"));

    voice->Calls.clear();
    sp->SpeakText(QStringLiteral("   "));
    sp->SpeakText(QString());
    EXPECT_TRUE(voice->Calls.isEmpty()); // not even a stop

    QString changed;
    sp->OnSpeak = [](TSpeakingComponent *, TUtterance &text) { text.Add(QStringLiteral("!")); };
    sp->SpeakText(QStringLiteral("hello"));
    EXPECT_EQ(said(), QStringLiteral("hello!"));

    auto *edit = add(new QLineEdit);
    sp->HookControl(edit);
    voice->Calls.clear();
    sp->FindRecord(edit)->SpeakFromHook(QStringLiteral(","));
    EXPECT_TRUE(voice->Calls.isEmpty());
}

TEST_F(SpeakingComponentTest, EditingKeysNameTheCharacters)
{
    auto *edit = add(new QLineEdit(QStringLiteral("abc")));
    show();
    focus(edit);
    const std::vector<std::pair<Qt::Key, QString>> cases = {
        {Qt::Key_Right, QStringLiteral("c")},
        {Qt::Key_Left, QStringLiteral("a")},
        {Qt::Key_Delete, QStringLiteral("delete b")},
        {Qt::Key_Backspace, QStringLiteral("back a")},
    };
    for (const auto &[key, expected] : cases) {
        edit->setText(QStringLiteral("abc"));
        edit->setCursorPosition(1);
        QTest::keyClick(edit, key);
        EXPECT_EQ(said(), expected) << expected.toStdString();
    }

    // Punctuation is named, by the words of the language in use.
    edit->setText(QStringLiteral("a,"));
    edit->setCursorPosition(2);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(said(), QStringLiteral("back comma"));
    sp->Words.stComma.clear();
    edit->setText(QStringLiteral("a,"));
    edit->setCursorPosition(2);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(said(), QStringLiteral("back"));

    // A decomposed Vietnamese letter is one character.
    const QString decomposed = QStringLiteral("Việt").normalized(QString::NormalizationForm_D);
    edit->setText(decomposed);
    edit->setCursorPosition(static_cast<int>(decomposed.size()) - 1);
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(said().normalized(QString::NormalizationForm_C), QStringLiteral("ệ"));
}

TEST_F(SpeakingComponentTest, TypingEchoesCharactersAndWords)
{
    auto *edit = add(new QLineEdit);
    auto *password = add(new QLineEdit);
    password->setEchoMode(QLineEdit::Password);
    show();
    focus(edit);
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(said(), QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_ParenLeft, Qt::NoModifier);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("hello"));
    EXPECT_EQ(said(), QStringLiteral("o"));
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_EQ(said(), QStringLiteral("hello"));

    sp->SpeakChar = false;
    QTest::keyClick(edit, Qt::Key_Z);
    EXPECT_EQ(said(), QStringLiteral("hello"));
    sp->SpeakChar = true;

    focus(password);
    const int before = speakCount();
    QTest::keyClicks(password, QStringLiteral("pw"));
    EXPECT_EQ(speakCount(), before);
    QTest::keyClick(password, Qt::Key_Backspace);
    EXPECT_EQ(said(), QStringLiteral("back"));
}

TEST_F(SpeakingComponentTest, KeysAreAnsweredAsTheyWerePressed)
{
    auto *edit = add(new QLineEdit);
    auto *digits = add(new QLineEdit(QStringLiteral("7")));
    digits->setValidator(new QIntValidator(digits));
    show();
    focus(edit);

    // Shift let go before the key: the press made "(", and that is what the
    // user hears, at once, not "9" at the release.
    test::SendKey(edit, QEvent::KeyPress, Qt::Key_ParenLeft, Qt::ShiftModifier, 18, QStringLiteral("("));
    EXPECT_EQ(said(), QStringLiteral("left parenthesis"));
    EXPECT_EQ(edit->text(), QStringLiteral("("));
    test::SendKey(edit, QEvent::KeyRelease, Qt::Key_9, Qt::NoModifier, 18, QStringLiteral("9"));
    EXPECT_EQ(said(), QStringLiteral("left parenthesis"));

    struct Case
    {
        const char *What;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QString Text;
        QString Said; // empty: nothing
    };
    const std::vector<Case> cases = {
        {"a letter", Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), QStringLiteral("a")},
        {"a sign the engine would skip", Qt::Key_BracketLeft, Qt::NoModifier, QStringLiteral("["), QStringLiteral("[")},
        {"a chord is a command", Qt::Key_Period, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("."), QString()},
        {"Alt with a letter", Qt::Key_F, Qt::AltModifier, QStringLiteral("f"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.What);
        const int before = speakCount();
        QTest::keyClick(edit, c.Key, c.Modifiers);
        if (c.Said.isEmpty()) {
            EXPECT_EQ(speakCount(), before) << said().toStdString();
        } else {
            EXPECT_EQ(said(), c.Said);
            EXPECT_EQ(saidMarkup().contains(QStringLiteral("<spell>")), c.Key == Qt::Key_BracketLeft);
        }
    }

    // Ctrl tapped alone says the field again; the end of a chord did not.
    QTest::keyClick(edit, Qt::Key_Control);
    EXPECT_EQ(said(), edit->text());

    // A key the field does not take in is not echoed.
    focus(digits);
    const int before = speakCount();
    QTest::keyClick(digits, Qt::Key_End);
    QTest::keyClick(digits, Qt::Key_B);
    EXPECT_EQ(digits->text(), QStringLiteral("7"));
    EXPECT_EQ(speakCount(), before);

    // A release whose press went elsewhere (a menu took it) is no key here.
    test::SendKey(digits, QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier, 66, QString());
    EXPECT_EQ(speakCount(), before);
}

TEST_F(SpeakingComponentTest, DictionaryWordsAreReadInTheirOwnVoice)
{
    auto *label = add(new QLabel(QStringLiteral("&Look up")));
    auto *edit = add(new QLineEdit(QStringLiteral("able")));
    label->setBuddy(edit);
    auto *words = add(new QListWidget);
    words->addItems({QStringLiteral("apple"), QStringLiteral("a&b <c>")});
    sp->SetContentVoice(edit, [] { return QStringLiteral("English"); });
    sp->SetContentVoice(words, [] { return QStringLiteral("English"); });
    show();

    focus(edit);
    EXPECT_EQ(saidMarkup(), QStringLiteral("Look up <VOICE REQUIRED=\"NAME=English\">able</VOICE>"));
    edit->setCursorPosition(4);
    QTest::keyClick(edit, Qt::Key_S);
    EXPECT_EQ(saidMarkup(), QStringLiteral("<VOICE REQUIRED=\"NAME=English\">s</VOICE>"));
    // Words of the interface stay in the interface's voice.
    QTest::keyClick(edit, Qt::Key_Comma);
    EXPECT_EQ(saidMarkup(), QStringLiteral("comma"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(saidMarkup(), QStringLiteral("back comma"));
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_EQ(saidMarkup(), QStringLiteral("<VOICE REQUIRED=\"NAME=English\">ables</VOICE>"));

    // List items, escaped on the way.
    focus(words);
    words->setCurrentRow(1);
    EXPECT_EQ(saidMarkup(), QStringLiteral("<VOICE REQUIRED=\"NAME=English\">a&amp;b &lt;c&gt;</VOICE>"));
}

TEST(SpeakingComponentMenus, DisabledItemsAreReachedAndEachItemIsSaidOnce)
{
    QMainWindow window;
    QMenu *history = window.menuBar()->addMenu(QStringLiteral("&History"));
    history->addAction(QStringLiteral("&Back"))->setEnabled(false);
    history->addAction(QStringLiteral("&Forward"))->setEnabled(false);
    history->addAction(QStringLiteral("&Recent words"));
    auto *voice = new TFakeVoice;
    voice->PlayMs = 0;
    TSpeaker5 speaker(nullptr, voice);
    TSpeakingComponent sp(&window);
    sp.SetSpeaker(&speaker);
    sp.HookControlTree(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    test::THeardLog heard;

    // Each key cuts what the one before left unsaid: wait for each.
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    ASSERT_TRUE(history->isVisible());
    ASSERT_TRUE(test::THeardLog::Settle());
    QTest::keyClick(history, Qt::Key_Down);
    ASSERT_TRUE(test::THeardLog::Settle());
    QTest::keyClick(history, Qt::Key_Down);
    ASSERT_TRUE(test::THeardLog::Settle());
    QTest::keyClick(history, Qt::Key_Escape);
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_TRUE(heard.Cuts().isEmpty()) << heard.Cuts().join(u'|').toStdString();
    // Escape leaves the highlight on the menu's title in the bar.
    EXPECT_EQ(heard.Whole(), (QStringList{QStringLiteral("History sub menu"), QStringLiteral("Back disabled"),
                                          QStringLiteral("Forward disabled"), QStringLiteral("Recent words"),
                                          QStringLiteral("History sub menu")}));
}

TEST(UserActions, EachPressIsOneActionHoweverFarItTravels)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QLineEdit;
    layout->addWidget(edit);
    TSpeakingComponent sp(&window); // watches the application's input
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    auto &channel = TSpeechChannel::Instance();

    quint64 before = channel.Action();
    // Unhandled by the edit, Escape travels on to the window as well.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(channel.Action(), before + 1);
    before = channel.Action();
    QTest::keyPress(edit, Qt::Key_Shift);
    QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyRelease(edit, Qt::Key_Shift);
    EXPECT_EQ(channel.Action(), before + 2);
    before = channel.Action();
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(channel.Action(), before + 1);

    // Coming back from another program is an action; the first activation
    // belongs to the start.
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(qApp, &active);
    before = channel.Action();
    QCoreApplication::sendEvent(qApp, &inactive);
    EXPECT_EQ(channel.Action(), before);
    QCoreApplication::sendEvent(qApp, &active);
    EXPECT_EQ(channel.Action(), before + 1);
}

TEST_F(SpeakingComponentTest, LockKeysSayTheirStateAfterTheRelease)
{
    auto *edit = add(new QLineEdit);
    show();
    focus(edit);
    QTest::keyClick(edit, Qt::Key_CapsLock);
    EXPECT_EQ(said(), QStringLiteral("caps lock on"));
    QTest::keyClick(edit, Qt::Key_CapsLock);
    EXPECT_EQ(said(), QStringLiteral("caps lock off"));
    QTest::keyClick(edit, Qt::Key_Menu);
    EXPECT_EQ(said(), QStringLiteral("popup key on"));
}

TEST_F(SpeakingComponentTest, ListsAreAnnouncedOnceWhenFocusedAndOnEachMove)
{
    auto *list = add(new QListWidget);
    list->addItems({QStringLiteral("apple"), QStringLiteral("book")});
    auto *slider = add(new QSlider(Qt::Horizontal));
    slider->setRange(0, 20);
    slider->setValue(10);
    auto *tabs = add(new QTabWidget);
    tabs->addTab(new QWidget, QStringLiteral("&Params"));
    tabs->addTab(new QWidget, QStringLiteral("&Create index"));
    show();

    focus(list);
    list->setCurrentRow(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(said(), QStringLiteral("apple"));
    EXPECT_EQ(voice->Spoken().count(QStringLiteral("<pitch absmiddle=\"0\"/>apple\n")), 1);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(said(), QStringLiteral("book"));

    const int before = speakCount();
    focus(slider);
    EXPECT_EQ(said(), QStringLiteral("10"));
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(said(), QStringLiteral("11"));
    EXPECT_EQ(speakCount(), before + 2);

    focus(tabs->tabBar());
    EXPECT_EQ(said(), QStringLiteral("tab Params"));
}

TEST_F(SpeakingComponentTest, RecordsFollowTheirControlsAndTheSpeaker)
{
    auto *edit = add(new QLineEdit);
    sp->HookControl(edit);
    sp->HookControl(edit);
    EXPECT_EQ(sp->Records().size(), 1);
    sp->UnhookControl(&window); // not attached: nothing happens
    EXPECT_EQ(sp->Records().size(), 1);
    delete edit;
    QCoreApplication::processEvents();
    EXPECT_TRUE(sp->Records().isEmpty());

    show();
    EXPECT_FALSE(sp->Records().isEmpty());
    delete speaker;
    EXPECT_TRUE(sp->Records().isEmpty());
    EXPECT_EQ(sp->Speaker(), nullptr);
    sp->SpeakText(QStringLiteral("nobody hears this"));
}

TEST_F(SpeakingComponentTest, WebElementsAreAnnouncedButNotTheBody)
{
    auto *edit = add(new QLineEdit);
    show();
    TControlSubClass *record = sp->FindRecord(edit);
    ASSERT_NE(record, nullptr);
    Element field;
    field.Tag = QStringLiteral("INPUT");
    field.Attributes = {{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("value"), QStringLiteral("xin chào")}};
    Document page;
    page.Active = &field;
    record->AnnounceWebElement(&page);
    EXPECT_EQ(said(), QStringLiteral("xin chào"));

    Element body;
    body.Tag = QStringLiteral("BODY");
    body.Inner = QStringLiteral("the whole page");
    page.Active = &body;
    const int before = speakCount();
    record->AnnounceWebElement(&page);
    Element broken;
    broken.Broken = true;
    page.Active = &broken;
    record->AnnounceWebElement(&page);
    EXPECT_EQ(speakCount(), before);
}

TEST(KeyboardEcho, WordAtCaretAndCharacterWords)
{
    const QString text = QStringLiteral("say \"xin-chào\", friend");
    EXPECT_EQ(WordAtCaret(text, 3), QStringLiteral("say"));
    EXPECT_EQ(WordAtCaret(text, 4), QStringLiteral("say"));
    EXPECT_EQ(WordAtCaret(text, 8), QStringLiteral("xin-chào"));
    EXPECT_EQ(WordAtCaret(text, 16), QStringLiteral("xin-chào"));
    EXPECT_EQ(WordAtCaret(text, static_cast<int>(text.size())), QStringLiteral("friend"));
    EXPECT_EQ(WordAtCaret(QStringLiteral("  "), 2), QString());
    EXPECT_EQ(WordAtCaret(text, 99), QString());

    TLocalStrings words = DefaultLocalStrings();
    EXPECT_EQ(CharacterWord(words, u"\u00A9"), QStringLiteral("copyright"));
    EXPECT_EQ(CharacterWord(words, u"x"), QStringLiteral("x"));
    TSpeakingComponent component;
    component.OnSpeakSpecialItem = [](TSpeakingComponent *, const QString &item, QString &word) {
        if (item == QLatin1String("?"))
            word = QStringLiteral("dấu hỏi");
    };
    EXPECT_EQ(CharacterWord(words, u"?", &component), QStringLiteral("dấu hỏi"));

    // Read as a character: a word for what the table names, the engine's
    // own name for other signs, never silence.
    EXPECT_EQ(CharacterUtterance(words, u"(", u"EN", u"UI").Markup(),
              QStringLiteral("<VOICE REQUIRED=\"NAME=UI\">left parenthesis</VOICE>"));
    EXPECT_EQ(CharacterUtterance(words, u"[", u"EN").Markup(), QStringLiteral("<VOICE REQUIRED=\"NAME=EN\"><spell>[</spell></VOICE>"));
    EXPECT_EQ(CharacterUtterance(words, u"<").Markup(), QStringLiteral("<spell>&lt;</spell>"));
    EXPECT_EQ(CharacterUtterance(words, u"a", u"EN").Markup(), QStringLiteral("<VOICE REQUIRED=\"NAME=EN\">a</VOICE>"));
    words.stComma.clear();
    EXPECT_TRUE(CharacterUtterance(words, u",").IsEmpty()); // the language file left it out
}

TEST(WebElements, KindsDescriptionsAndFrames)
{
    const auto kindOf = [](const QString &tag, const QString &type = QString()) {
        Element element;
        element.Tag = tag;
        if (!type.isNull())
            element.Attributes[QStringLiteral("type")] = type;
        if (tag == QLatin1String("A"))
            element.Attributes[QStringLiteral("href")] = type;
        return WebElementKind(&element);
    };
    EXPECT_EQ(kindOf(QStringLiteral("INPUT"), QStringLiteral("submit")), wekButton);
    EXPECT_EQ(kindOf(QStringLiteral("INPUT"), QStringLiteral("checkbox")), wekCheckBox);
    EXPECT_EQ(kindOf(QStringLiteral("INPUT"), QStringLiteral("file")), wekTextField);
    EXPECT_EQ(kindOf(QStringLiteral("INPUT"), QStringLiteral("password")), wekPassword);
    EXPECT_EQ(kindOf(QStringLiteral("INPUT"), QStringLiteral("hidden")), wekOther);
    EXPECT_EQ(kindOf(QStringLiteral("TEXTAREA")), wekTextField);
    EXPECT_EQ(kindOf(QStringLiteral("A"), QStringLiteral("/help")), wekLink);
    EXPECT_EQ(kindOf(QStringLiteral("A"), QString()), wekOther);
    EXPECT_EQ(kindOf(QStringLiteral("TD")), wekTable);
    EXPECT_EQ(kindOf(QStringLiteral("input"), QStringLiteral("text")), wekOther); // tags compare exactly
    Element broken;
    broken.Broken = true;
    EXPECT_EQ(WebElementKind(&broken), wekOther);

    const TLocalStrings words = DefaultLocalStrings();
    Element box;
    box.Tag = QStringLiteral("INPUT");
    box.Attributes = {{QStringLiteral("type"), QStringLiteral("checkbox")}, {QStringLiteral("checked"), QString()}};
    EXPECT_EQ(DescribeWebElement(&box, words), QStringLiteral("checked"));
    Element password;
    password.Tag = QStringLiteral("INPUT");
    password.Attributes = {{QStringLiteral("type"), QStringLiteral("password")}, {QStringLiteral("value"), QStringLiteral("secret")}};
    EXPECT_EQ(DescribeWebElement(&password, words), QString());
    Element select;
    select.Tag = QStringLiteral("SELECT");
    select.Selected = QStringLiteral("Tiếng Việt");
    EXPECT_EQ(DescribeWebElement(&select, words), QStringLiteral("Tiếng Việt"));

    // The active element is looked for inside frames.
    Document inner;
    inner.Active = &select;
    Element frame;
    frame.Tag = QStringLiteral("IFRAME");
    frame.Frame = &inner;
    Document outer;
    outer.Active = &frame;
    EXPECT_EQ(ActiveWebElement(&outer), &select);
    Document brokenDocument;
    brokenDocument.Active = &broken;
    EXPECT_EQ(ActiveWebElement(&brokenDocument), nullptr);
}

} // namespace
} // namespace lexivoce::speech
