#include "dialogs/settings.h"

#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/fake_speech.h"
#include "tests/support/heard_log.h"
#include "tests/support/temp_dir.h"
#include "view/entry_styles.h"
#include "view/styled_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>

namespace lexivoce::dialogs {
namespace {

class SettingsTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_dialog = std::make_unique<TfrmSettings>();
        m_dialog->SpeakingComponent = &m_sp;
        m_sp.HookControlTree(m_dialog.get());
        m_dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    void TearDown() override
    {
        m_dialog.reset();
        TempDirTest::TearDown();
    }

    view::TStyledView &Sample() const { return *m_dialog->rvSample; }

    // The first item of the sample in style whose text starts with start.
    int Item(int style, const QString &start = QString()) const
    {
        const view::TStyledDocument &doc = *Sample().Document();
        for (int i = 0; i < doc.ItemCount(); ++i) {
            if (doc.ItemStyle(i) == style && doc.ItemText(i).startsWith(start))
                return i;
        }
        return -1;
    }

    void ClickOn(int item)
    {
        QTextCursor cursor(Sample().document());
        cursor.setPosition(Sample().DocumentPositionOf({item, 2}));
        QTest::mouseClick(Sample().viewport(), Qt::LeftButton, {}, Sample().cursorRect(cursor).center());
    }

    // The character format the view shows the item's second character in.
    QTextCharFormat FormatOf(int item) const
    {
        QTextCursor cursor(Sample().document());
        cursor.setPosition(Sample().DocumentPositionOf({item, 2}));
        return cursor.charFormat();
    }

    QStringList Said() const { return m_speech.Said(); }

    test::TFakeSpeech m_speech;
    speech::fake::TFakeVoice *m_voice = m_speech.Voice;
    speech::TSpeakingComponent &m_sp = m_speech.Sp;
    std::unique_ptr<TfrmSettings> m_dialog;
};

TEST(RenderSample, TheSampleHasTheEntryViewsPiecesWithoutSplittingWords)
{
    view::TStyledDocument doc;
    RenderSample(doc, kSettingsSample);
    QStringList pieces;
    for (int i = 0; i < doc.ItemCount(); ++i)
        pieces << (doc.ItemStyle(i) == view::kPictureStyle ? QStringLiteral("#%1").arg(doc.Item(i).ImageIndex)
                                                          : QStringLiteral("%1:%2").arg(doc.ItemStyle(i)).arg(doc.ItemText(i)));
    EXPECT_EQ(pieces, (QStringList{
                          QStringLiteral("0:abroad "), QStringLiteral("6:/ə'brɔ:d/"), QStringLiteral("1:phó từ"),
                          QStringLiteral("2:ở nước ngoài, ra nước ngoài"), QStringLiteral("#0"),
                          QStringLiteral("4:to live abroad"), QStringLiteral("5:: sống ở nước ngoài"),
                          QStringLiteral("#0"), QStringLiteral("4:to go abroad"), QStringLiteral("5:: đi ra nước ngoài"),
                          QStringLiteral("#1"), QStringLiteral("3:from abroad"), QStringLiteral("2:từ nước ngoài"),
                          QStringLiteral("#0"), QStringLiteral("4:these machines were brought from abroad"),
                          QStringLiteral("5:: những chiếc máy này mang từ nước ngoài vào")}));

    view::TStyledDocument odd;
    RenderSample(odd, QStringLiteral("=no plus\n\n@word\n"));
    ASSERT_EQ(odd.ItemCount(), 4);
    EXPECT_EQ(odd.ItemText(2), QStringLiteral(": ")) << "an example without + ends with the colon alone";
    EXPECT_EQ(odd.ItemText(3), QStringLiteral("word")) << "a head line without a transcription has no blank";
}

TEST_F(SettingsTest, ClickingAPieceShowsItsStyleAndANamelessColourSelectsNothing)
{
    // Opening shows the head word's style.
    EXPECT_EQ(m_dialog->CurrentStyle, view::tsHeadWord);
    EXPECT_EQ(TColorCombo::ColorName(m_dialog->cboFontColor->currentIndex()), QStringLiteral("clBlue"));
    EXPECT_EQ(m_dialog->spnFontSize->value(), 16);
    EXPECT_TRUE(m_dialog->chkBold->isChecked());

    ClickOn(Item(view::tsExample, QStringLiteral("to go")));
    EXPECT_EQ(m_dialog->CurrentStyle, view::tsExample);
    EXPECT_EQ(TColorCombo::ColorName(m_dialog->cboFontColor->currentIndex()), QStringLiteral("clGreen"));
    EXPECT_TRUE(m_dialog->chkItalic->isChecked());
    EXPECT_FALSE(m_dialog->chkBold->isChecked());
    EXPECT_EQ(m_dialog->spnFontSize->value(), 12);

    // The window's text colour has no name among the sixteen.
    ClickOn(Item(view::tsMeaning));
    EXPECT_EQ(m_dialog->CurrentStyle, view::tsMeaning);
    EXPECT_EQ(m_dialog->cboFontColor->currentIndex(), -1);

    // The transcription is a style of its own.
    ClickOn(Item(view::tsPhonetic));
    EXPECT_EQ(m_dialog->CurrentStyle, view::tsPhonetic);
}

TEST_F(SettingsTest, AChangeReachesEveryPieceOfTheStyleAndNoOther)
{
    ClickOn(Item(view::tsExample, QStringLiteral("these")));
    QTest::mouseClick(m_dialog->chkBold, Qt::LeftButton);
    m_dialog->cboFontColor->setCurrentIndex(9); // clRed
    m_dialog->spnFontSize->setValue(20);

    const view::TStyledDocument &doc = *Sample().Document();
    int examples = 0;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (doc.ItemStyle(i) == view::kPictureStyle || doc.ItemText(i).size() < 2)
            continue;
        const QTextCharFormat format = FormatOf(i);
        const bool example = doc.ItemStyle(i) == view::tsExample;
        SCOPED_TRACE(doc.ItemText(i).toStdString());
        EXPECT_EQ(format.fontWeight() == QFont::Bold, example || doc.ItemStyle(i) == view::tsHeadWord
                                                          || doc.ItemStyle(i) == view::tsNoun
                                                          || doc.ItemStyle(i) == view::tsPhonetic);
        EXPECT_EQ(format.foreground().color() == QColor(255, 0, 0), example);
        EXPECT_EQ(format.fontPointSize() == 20, example);
        examples += example ? 1 : 0;
    }
    EXPECT_EQ(examples, 3);

    // The result keeps the entry view's jumps: the sample's are its own.
    const view::TStyleSheet styles = m_dialog->Styles();
    EXPECT_TRUE(styles.TextStyles[view::tsExample].Bold);
    EXPECT_EQ(styles.TextStyles[view::tsExample].Size, 20);
    EXPECT_EQ(styles.TextStyles[view::tsExample].Color, view::TColor::Rgb(255, 0, 0));
    EXPECT_FALSE(styles.TextStyles[view::tsMeaning].Jump);
    EXPECT_EQ(styles.TextStyles[view::tsMeaning], view::EntryStyleSheet().TextStyles[view::tsMeaning]);
}

TEST_F(SettingsTest, TheBackgroundPictureShowsInTheChosenStyleAndNotWithout)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    const QString file = PathOf(QStringLiteral("back.bmp"));
    ASSERT_TRUE(picture.save(file, "BMP"));
    m_dialog->ChooseBackgroundFile = [&] { return file; };
    m_dialog->btnBrowse->click();
    EXPECT_EQ(m_dialog->edtBgFileName->text(), file);

    // A point of the sample with no text on it.
    const QPoint empty(Sample().viewport()->width() - 3, Sample().viewport()->height() - 3);
    const auto colourAt = [&] { return Sample().viewport()->grab().toImage().pixelColor(empty); };
    EXPECT_NE(colourAt(), QColor(255, 0, 255)) << "no background style yet";
    m_dialog->cboBgStyle->setCurrentIndex(2); // tiled
    EXPECT_EQ(colourAt(), QColor(255, 0, 255));
    m_dialog->cboBgStyle->setCurrentIndex(0); // none
    EXPECT_NE(colourAt(), QColor(255, 0, 255));

    // A file that is no picture is said, and the old picture stays.
    WriteFile(QStringLiteral("not.bmp"), "text");
    m_dialog->ChooseBackgroundFile = [&] { return PathOf(QStringLiteral("not.bmp")); };
    bool said = false;
    QTimer::singleShot(0, [&] {
        said = QTest::qWaitFor([&] { return Said().join(u' ').contains(QStringLiteral("Không mở được hình")); }, 5000);
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    m_dialog->btnBrowse->click();
    EXPECT_TRUE(said) << "the error box was shown before it was said";
    EXPECT_EQ(m_dialog->edtBgFileName->text(), file);
}

TEST_F(SettingsTest, TheKeyboardChoosesPiecesInTheSampleAndHearsTheirStyle)
{
    Sample().setFocus();
    m_voice->Calls.clear();
    // Down from the head line to the word class.
    QTest::keyClick(&Sample(), Qt::Key_Down);
    EXPECT_EQ(m_dialog->CurrentStyle, view::tsNoun);
    EXPECT_EQ(Said().value(0), QStringLiteral("Mẫu: phó từ, Từ loại"));
    EXPECT_TRUE(m_dialog->chkBold->isChecked());

    // Tabbing on says the controls with their labels.
    m_voice->Calls.clear();
    QTest::keyClick(&Sample(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), m_dialog->cboFontName);
    EXPECT_TRUE(Said().join(u' ').contains(QStringLiteral("Tên"))) << Said().join(u'|').toStdString();
}

} // namespace
} // namespace lexivoce::dialogs
