#include "dialogs/message_dialog.h"

#include "lang/control_texts.h"
#include "lang/localize.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/heard_log.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>

namespace lexivoce::dialogs {
namespace {

using Form = std::unique_ptr<TMessageForm>;

// MulDiv as the layout rules define it.
int mulDiv(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

QPushButton *button(const TMessageForm &form, const char *name)
{
    return form.findChild<QPushButton *>(QString::fromLatin1(name));
}

QLabel *messageLabel(const TMessageForm &form)
{
    return form.findChild<QLabel *>(QStringLiteral("lblDlgMsg"));
}

struct TOutcome
{
    int Result = -1;
    bool LeftOpen = false;  // act did not close it: the close command did
};

// Runs show(), which opens a modal dialog; once the dialog is up and active,
// act plays on it. A dialog act leaves open is closed by its close command.
TOutcome runModal(const std::function<int()> &show, const std::function<void(TMessageForm *)> &act)
{
    TOutcome outcome;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TMessageForm *>(QApplication::activeModalWidget());
        if (!form) {
            ADD_FAILURE() << "no dialog is up";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        act(form);
        QCoreApplication::processEvents();
        if (form->isVisible()) {
            outcome.LeftOpen = true;
            form->close();
        }
    });
    outcome.Result = show();
    return outcome;
}

void press(TMessageForm *form, Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : form, key);
}

// --- layout ---------------------------------------------------------------

struct LayoutCase
{
    const char *Name;
    MessageType Type;
    MessageButtons Buttons;
    QString Message;
    QString Title;    // empty: the application's display name
    const char *Row;  // the button names, left to right
};

void PrintTo(const LayoutCase &c, std::ostream *out)
{
    *out << c.Name;
}

class MessageDialogLayout : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(MessageDialogLayout, FollowsTheAverageCharacterUnits)
{
    const LayoutCase &c = GetParam();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Lexivoce"));
    const Form form(BuildMessageDialog(c.Message, c.Type, c.Buttons));
    const bool hasIcon = c.Type != mtCustom;

    QStringList names, captions;
    for (const QString &name : QString::fromLatin1(c.Row).split(u' ', Qt::SkipEmptyParts)) {
        names.append(QStringLiteral("btnDlg") + name);
        captions.append(lang::DefaultCaption(lang::MessageDialogTexts(), names.last()));
    }

    const QFontMetrics metrics(form->font());
    EXPECT_TRUE(form->font().families().contains(QStringLiteral("Tahoma")));
    const QSize average = AverageCharSize(metrics);
    const int cx = average.width(), cy = average.height();
    const int hMargin = mulDiv(8, cx, 4), vMargin = mulDiv(8, cy, 8);
    const int hSpacing = mulDiv(10, cx, 4), vSpacing = mulDiv(10, cy, 8);
    const int buttonHeight = mulDiv(16, cy, 8), buttonSpacing = mulDiv(8, cx, 4);
    int buttonWidth = mulDiv(65, cx, 4);
    for (const QString &caption : captions)
        buttonWidth = std::max(buttonWidth, metrics.horizontalAdvance(caption) + 8);

    const int half = screenRect().width() / 2;
    const QRect text = metrics.boundingRect(QRect(0, 0, half, 0), Qt::TextWordWrap | Qt::TextExpandTabs, c.Message);
    const int blockWidth = text.width() + (hasIcon ? 32 + hSpacing : 0);
    const int blockHeight = hasIcon ? std::max(text.height(), 32) : text.height();
    const auto n = static_cast<int>(names.size());
    const int groupWidth = n > 0 ? n * buttonWidth + (n - 1) * buttonSpacing : 0;
    const QSize client(std::max(blockWidth, groupWidth) + 2 * hMargin,
                       blockHeight + buttonHeight + vSpacing + 2 * vMargin);

    EXPECT_EQ(form->size(), client);
    EXPECT_EQ(form->pos(), QPoint(screenRect().width() / 2 - client.width() / 2,
                                  screenRect().height() / 2 - client.height() / 2));
    EXPECT_EQ(form->windowTitle(), c.Title.isEmpty() ? QGuiApplication::applicationDisplayName() : c.Title);

    auto *icon = form->findChild<QLabel *>(QStringLiteral("imgDlgIcon"));
    ASSERT_EQ(icon != nullptr, hasIcon);
    if (icon) {
        EXPECT_EQ(icon->geometry(), QRect(hMargin, vMargin, 32, 32));
        EXPECT_FALSE(icon->pixmap().isNull());
    }

    QLabel *label = messageLabel(*form);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(blockWidth - text.width() + hMargin, vMargin, text.width(), text.height()));
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->text(), c.Message);

    const QList<QPushButton *> buttons = form->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), n);
    int x = (client.width() - groupWidth) / 2;
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(names[i].toStdString());
        EXPECT_EQ(buttons[i]->objectName(), names[i]);
        EXPECT_EQ(buttons[i]->text(), captions[i]);
        EXPECT_EQ(buttons[i]->geometry(), QRect(x, blockHeight + vMargin + vSpacing, buttonWidth, buttonHeight));
        x += buttonWidth + buttonSpacing;
    }

    // The edge each case is there for.
    const std::string name = c.Name;
    if (name == "OneWord") {
        EXPECT_GT(groupWidth, blockWidth);
    }
    if (name == "LongMessage") {
        EXPECT_LE(label->width(), half);
        EXPECT_GE(label->height(), 3 * metrics.height());
    }
    if (hasIcon && n > 0) {
        EXPECT_GE(buttons[0]->y(), 32 + vMargin + vSpacing);
    }
}

const QString kLong = QStringLiteral("Từ điển Anh Việt cần được sắp xếp lại trước khi tạo tệp chỉ mục. ").repeated(8);

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageDialogLayout,
    ::testing::Values(
        LayoutCase{"ErrorOK", mtError, mbOK, QStringLiteral("Không có tệp nào để mở."), QStringLiteral("Lỗi"), "OK"},
        LayoutCase{"ConfirmYesNo", mtConfirmation, mbYes | mbNo, QStringLiteral("Xóa 3 tệp đã chọn?"),
                   QStringLiteral("Xác nhận"), "Yes No"},
        LayoutCase{"Custom", mtCustom, mbOK, QStringLiteral("Từ điển đã sẵn sàng."), QString(), "OK"},
        LayoutCase{"OneWord", mtWarning, mbYes | mbNo | mbCancel, QStringLiteral("Dừng"), QStringLiteral("Cảnh báo"),
                   "Yes No Cancel"},
        LayoutCase{"LongMessage", mtInformation, mbAbort | mbRetry | mbIgnore, kLong, QStringLiteral("Thông tin"),
                   "Abort Retry Ignore"},
        LayoutCase{"EveryButton", mtWarning, 0xFFFF, QStringLiteral("Ghi đè?"), QStringLiteral("Cảnh báo"),
                   "Yes No OK Cancel Abort Retry Ignore All NoToAll YesToAll Help"},
        LayoutCase{"NoButtons", mtError, 0, QStringLiteral("Lỗi nặng."), QStringLiteral("Lỗi"), ""}),
    [](const ::testing::TestParamInfo<LayoutCase> &param) { return std::string(param.param.Name); });

TEST(MessageDialogBuild, NamesTagAndBuddy)
{
    const Form form(BuildMessageDialog(QStringLiteral("Xóa?"), mtConfirmation, mbNo | mbYesToAll | mbNoToAll));
    EXPECT_EQ(form->objectName(), QStringLiteral("frmMsgDlgConfirmation"));
    QLabel *label = messageLabel(*form);
    EXPECT_EQ(label->property("tag").toInt(), -1);
    EXPECT_EQ(label->buddy(), button(*form, "btnDlgNo"));
    // One glyph per kind: NoToAll is of the No kind.
    const QImage no = button(*form, "btnDlgNo")->icon().pixmap(16).toImage();
    EXPECT_EQ(button(*form, "btnDlgNoToAll")->icon().pixmap(16).toImage(), no);
    EXPECT_NE(button(*form, "btnDlgYesToAll")->icon().pixmap(16).toImage(), no);
}

TEST(MessageDialogBuild, RightToLeftMirrorsIconAndLabel)
{
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    const Form form(BuildMessageDialog(QStringLiteral("Không mở được."), mtError, mbYes | mbNo | mbCancel));
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_EQ(form->layoutDirection(), Qt::RightToLeft);
    const int cx = AverageCharSize(QFontMetrics(form->font())).width();
    const int hMargin = mulDiv(8, cx, 4), hSpacing = mulDiv(10, cx, 4);
    const QRect icon = form->findChild<QLabel *>(QStringLiteral("imgDlgIcon"))->geometry();
    const QRect label = messageLabel(*form)->geometry();
    EXPECT_EQ(icon.x(), form->width() - hMargin - 32);
    EXPECT_EQ(label.x(), form->width() - (32 + hSpacing + hMargin) - label.width());
}

TEST(MessageDialogBuild, EachCaptionIsMeasuredOncePerRun)
{
    ResetCaptionWidths();
    delete BuildMessageDialog(QStringLiteral("a"), mtError, mbYes | mbNo);
    EXPECT_EQ(CaptionWidthMeasureCount(), 2);
    delete BuildMessageDialog(QStringLiteral("b"), mtWarning, mbYes | mbNo | mbCancel);
    EXPECT_EQ(CaptionWidthMeasureCount(), 3);
    delete BuildMessageDialog(QStringLiteral("c"), mtCustom, mbYes | mbNo | mbCancel);
    EXPECT_EQ(CaptionWidthMeasureCount(), 3);
}

// --- keys and results -----------------------------------------------------

struct KeysCase
{
    const char *Name;
    MessageButtons Buttons;
    const char *Default;  // nullptr: no default button
    int Enter;            // -1: stays open
    int Escape;           // -1: stays open
};

void PrintTo(const KeysCase &c, std::ostream *out)
{
    *out << c.Name;
}

class MessageDialogKeys : public ::testing::TestWithParam<KeysCase>
{
};

TEST_P(MessageDialogKeys, EnterPressesTheFocusedButtonEscapeTheFirstCancelButton)
{
    const KeysCase &c = GetParam();
    {
        const Form form(BuildMessageDialog(QStringLiteral("?"), mtConfirmation, c.Buttons));
        QPushButton *expected = c.Default ? button(*form, c.Default) : nullptr;
        for (QPushButton *b : form->findChildren<QPushButton *>())
            EXPECT_EQ(b->isDefault(), b == expected) << b->objectName().toStdString();
    }
    for (const auto &[key, result] : {std::pair{Qt::Key_Return, c.Enter}, std::pair{Qt::Key_Escape, c.Escape}}) {
        QWidget *opening = nullptr;
        const TOutcome outcome = runModal(
            [&] { return ShowMessageDialog(QStringLiteral("?"), mtConfirmation, c.Buttons, 0, nullptr, nullptr); },
            [&](TMessageForm *form) {
                opening = QApplication::focusWidget();
                const QList<QPushButton *> buttons = form->findChildren<QPushButton *>();
                EXPECT_EQ(opening, buttons.isEmpty() ? nullptr : buttons.first());
                press(form, key);
            });
        EXPECT_EQ(outcome.LeftOpen, result < 0) << key;
        EXPECT_EQ(outcome.Result, result < 0 ? mrCancel : result) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, MessageDialogKeys,
                         ::testing::Values(KeysCase{"OK", mbOK, "btnDlgOK", 1, 1},
                                           KeysCase{"YesNo", mbYes | mbNo, "btnDlgYes", 6, 7},
                                           KeysCase{"OKCancel", mbOK | mbCancel, "btnDlgOK", 1, 2},
                                           KeysCase{"YesNoCancel", mbYes | mbNo | mbCancel, "btnDlgYes", 6, 7},
                                           KeysCase{"NoOK", mbNo | mbOK, "btnDlgOK", 7, 7},
                                           KeysCase{"OKNoToAll", mbOK | mbNoToAll, "btnDlgOK", 1, 1},
                                           KeysCase{"AbortRetryIgnore", mbAbort | mbRetry | mbIgnore, "btnDlgRetry", 3, -1},
                                           KeysCase{"AbortIgnoreNoToAll", mbAbort | mbIgnore | mbNoToAll, nullptr, 3, 9},
                                           KeysCase{"AllYesToAll", mbAll | mbYesToAll, nullptr, 8, -1},
                                           KeysCase{"None", 0, nullptr, -1, -1}),
                         [](const ::testing::TestParamInfo<KeysCase> &param) { return std::string(param.param.Name); });

TEST(MessageDialogShow, HelpStaysOpenAndLeftMovesOnlyThatEdge)
{
    const QString message = QStringLiteral("Xem trợ giúp?");
    const QPoint centred = Form(BuildMessageDialog(message, mtInformation, mbOK | mbHelp))->pos();
    const TOutcome outcome = runModal(
        [&] {
            return ShowMessageDialogAt(message, mtInformation, mbOK | mbHelp, 7, 10, -1,
                                       QStringLiteral("lexivoce.hlp"), nullptr, nullptr);
        },
        [&](TMessageForm *form) {
            EXPECT_EQ(form->pos(), QPoint(10, centred.y()));
            EXPECT_EQ(form->property("HelpContext").toInt(), 7);
            EXPECT_EQ(form->property("HelpFile").toString(), QStringLiteral("lexivoce.hlp"));
            QSignalSpy help(form, &TMessageForm::HelpRequested);
            button(*form, "btnDlgHelp")->click();
            QCoreApplication::processEvents();
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(help.count(), 1);
            press(form, Qt::Key_Return);
        });
    EXPECT_FALSE(outcome.LeftOpen);
    EXPECT_EQ(outcome.Result, 1);
}

TEST(MessageDialogShow, SpeaksTheMessageWithTheFirstButton)
{
    auto *voice = new speech::fake::TFakeVoice;
    speech::TSpeaker5 speaker(nullptr, voice);
    speech::TSpeakingComponent sp;
    sp.SetSpeaker(&speaker);
    const QString message = QStringLiteral("Xóa \"a & b.txt\"?");
    QStringList spoken;
    const TOutcome outcome = runModal(
        [&] { return ShowMessageDialog(message, mtConfirmation, mbYes | mbNo, 0, &sp, nullptr); },
        [&](TMessageForm *form) {
            spoken = voice->Spoken();
            press(form, Qt::Key_Escape);
        });
    EXPECT_EQ(outcome.Result, 7);
    ASSERT_FALSE(spoken.isEmpty());
    // Spoken as written: quotes and "&" are text, not markup.
    EXPECT_EQ(test::PlainSpeech(spoken.first()), message + QStringLiteral(" Có"));
    EXPECT_TRUE(sp.Records().isEmpty());
}

class MessageDialogTranslation : public test::TempDirTest
{
};

TEST_F(MessageDialogTranslation, CaptionsTranslateButNotTheMessageNorTheWidth)
{
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("LANG")));
    WriteFile(QStringLiteral("LANG/Lexivoce.eng"),
              QStringLiteral("[CONTROLS]\nfrmMsgDlgError=Error\nlblDlgMsg=Translated\n"
                             "btnDlgOK=A much longer caption than any button was measured for\n")
                  .toUtf8());
    lang::TLocalize localizer(PathOf(QStringLiteral("LANG/Lexivoce.eng")));
    const QString message = QStringLiteral("Không có tệp nào để mở.");
    const int width = button(*Form(BuildMessageDialog(message, mtError, mbOK)), "btnDlgOK")->width();
    const TOutcome outcome = runModal(
        [&] { return ShowMessageDialog(message, mtError, mbOK, 0, nullptr, &localizer); },
        [&](TMessageForm *form) {
            EXPECT_EQ(form->windowTitle(), QStringLiteral("Error"));
            EXPECT_EQ(messageLabel(*form)->text(), message);
            QPushButton *ok = button(*form, "btnDlgOK");
            EXPECT_TRUE(ok->text().startsWith(QStringLiteral("A much longer")));
            EXPECT_EQ(ok->width(), width);
            press(form, Qt::Key_Return);
        });
    EXPECT_EQ(outcome.Result, 1);
}

} // namespace
} // namespace lexivoce::dialogs
