// The entry styles the user sets: kept in Lexivoce.config, read back at
// start, given to the entry view; a value that cannot be read costs only
// its own style.
#include "app/user_styles.h"

#include "tests/app/main_dict_fixture.h"

#include "dialogs/settings.h"
#include "lang/ini_file.h"
#include "view/entry_styles.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

namespace lexivoce::app {
namespace {

using namespace test_support;

TEST(EntryStyleValue, ValuesRoundTripAndMalformedOnesAreRefused)
{
    view::TTextStyle style = view::EntryStyleSheet().TextStyles[view::tsHeadWord];
    EXPECT_EQ(EntryStyleValue(style), QStringLiteral("Verdana|16|B|#0000ff"));
    style.FontName = QStringLiteral("Odd|Name");
    style.Italic = true;
    style.Underline = true;
    style.Color = view::TColor::WindowTextColor();
    view::TTextStyle back = view::EntryStyleSheet().TextStyles[view::tsMeaning];
    ASSERT_TRUE(ParseEntryStyleValue(EntryStyleValue(style), &back));
    EXPECT_EQ(back.FontName, QStringLiteral("Odd|Name"));
    EXPECT_TRUE(back.Bold && back.Italic && back.Underline);
    EXPECT_TRUE(back.Color.WindowText);
    EXPECT_EQ(back.Size, 16);

    for (const char *bad : {"", "Arial|12|B", "|12||#000000", "Arial|0||#000000", "Arial|999||#000000",
                            "Arial|x||#000000", "Arial|12|Q|#000000", "Arial|12||red", "Arial|12||#12345"}) {
        SCOPED_TRACE(bad);
        view::TTextStyle untouched = view::EntryStyleSheet().TextStyles[view::tsNoun];
        EXPECT_FALSE(ParseEntryStyleValue(QString::fromLatin1(bad), &untouched));
        EXPECT_EQ(untouched, view::EntryStyleSheet().TextStyles[view::tsNoun]);
    }
}

TEST_F(MainDictTest, StylesChosenWithOKLastAndReachTheEntryViewCancelChangesNothing)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    window->edtLookup->setText(QStringLiteral("abroad"));
    Key(window->edtLookup, Qt::Key_Return);

    // The user picks the meanings' style, makes it bold and 18 points, and
    // answers with answer.
    const auto customize = [&](const char *answer) {
        QTimer::singleShot(0, [answer] {
            auto *dialog = qobject_cast<dialogs::TfrmSettings *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            const view::TStyledDocument &sample = *dialog->rvSample->Document();
            for (int i = 0; i < sample.ItemCount(); ++i) {
                if (sample.ItemStyle(i) == view::tsMeaning) {
                    dialog->rvSampleJump(i);
                    break;
                }
            }
            dialog->chkBold->click();
            dialog->spnFontSize->setValue(18);
            dialog->findChild<QPushButton *>(QString::fromLatin1(answer))->click();
        });
        Key(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    };
    const auto meaning = [&] { return window->rvMeaning->Document()->Styles().TextStyles[view::tsMeaning]; };

    customize("btnCancel");
    EXPECT_EQ(meaning(), view::EntryStyleSheet().TextStyles[view::tsMeaning]);
    EXPECT_FALSE(lang::TIniFile(QStringLiteral("Lexivoce.config")).SectionExists(QStringLiteral("EntryStyles")));

    customize("btnOk");
    EXPECT_TRUE(meaning().Bold);
    EXPECT_EQ(meaning().Size, 18);
    // The entry on screen shows it at once.
    QTextCursor cursor(window->rvMeaning->document());
    cursor.setPosition(window->rvMeaning->document()->toPlainText().indexOf(QStringLiteral("nước ngoài")) + 1);
    EXPECT_EQ(cursor.charFormat().fontPointSize(), 18);
    // Head words stay as they were, and links.
    EXPECT_EQ(window->rvMeaning->Document()->Styles().TextStyles[view::tsHeadWord],
              view::EntryStyleSheet().TextStyles[view::tsHeadWord]);

    // The next start reads them back.
    window.reset();
    Start();
    EXPECT_TRUE(meaning().Bold);
    EXPECT_EQ(meaning().Size, 18);
}

TEST_F(MainDictTest, AStyleThatCannotBeReadIsSaidAndOnlyItIsShownAsShipped)
{
    WriteFile(QStringLiteral("Lexivoce.config"),
              utf8Ini(QStringLiteral("[Interface]\nActiveDict=Sample\nLanguage=eng\n"
                                     "[EntryStyles]\nMeaning=Arial|twelve||#000000\nIdiom=Arial|14|I|#ff0000\n")));
    AnswerErrorBoxes();
    Start();
    EXPECT_TRUE(boxText.contains(QStringLiteral("cannot be read"))) << boxText.toStdString();
    EXPECT_TRUE(boxText.contains(QStringLiteral("Meaning")));
    const QList<view::TTextStyle> &styles = window->rvMeaning->Document()->Styles().TextStyles;
    EXPECT_EQ(styles[view::tsMeaning], view::EntryStyleSheet().TextStyles[view::tsMeaning]);
    EXPECT_EQ(styles[view::tsIdiom].Size, 14);
    EXPECT_TRUE(styles[view::tsIdiom].Jump) << "a style read back stays a link";
    // The file keeps what it could not read.
    EXPECT_EQ(lang::TIniFile(QStringLiteral("Lexivoce.config"))
                  .ReadString(QStringLiteral("EntryStyles"), QStringLiteral("Meaning"), QString()),
              QStringLiteral("Arial|twelve||#000000"));
}

} // namespace
} // namespace lexivoce::app
