#pragma once

// The real main window on the offscreen platform, in a profile folder of
// its own, with recording voice objects behind both speakers.
#include "app/main_dict.h"

#include "dict/index_builder.h"
#include "dict/index_loader.h"
#include "dict/word_list.h"
#include "lang/ini_file.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/heard_log.h"
#include "tests/support/temp_dir.h"
#include "view/styled_view.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QRegularExpression>
#include <QLineEdit>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <memory>

namespace lexivoce::app::test_support {

using speech::fake::TFakeVoice;

const QString kEnglishVoice = QStringLiteral("English (Great Britain)");
const QString kVietnameseVoice = QStringLiteral("Vietnamese (Northern)");

inline QByteArray utf8Ini(const QString &text)
{
    return text.toUtf8();
}

class MainDictTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        // Each utterance is heard for an instant: what one action says is
        // heard whole, and a later key cuts off only what is still waiting.
        speech::SetVoiceObjectFactory([] {
            auto *voice = new TFakeVoice;
            voice->PlayMs = 0;
            return voice;
        });
        QDir().mkpath(QStringLiteral("LANG"));
        WriteFile(QStringLiteral("LANG/Lexivoce.eng"),
                  utf8Ini(QStringLiteral("[Language]\neng=English\nvie=Tiếng Anh\nvoice=%1\npitch=10\nspeed=10\n"
                                         "[LocalStrings]\nstSpace=space\nstColon=colon\nstDisabled=disabled\n")
                              .arg(kEnglishVoice)));
        QDir().mkpath(QStringLiteral("dict"));
        WriteFile(QStringLiteral("dict/sample.dict"), test::TestData(QStringLiteral("dict/sample.dict")));
        WriteFile(QStringLiteral("dict/sample.index"), test::TestData(QStringLiteral("dict/sample.index")));
        WriteFile(QStringLiteral("dict/second.dict"),
                  "@00-database-info\r\n-x\r\n@00-database-short\r\n-x\r\n@00-database-url\r\n-x\r\n"
                  "@a&b <c>\r\n-ký hiệu \"lạ\"\r\n@zebra\r\n*danh từ\r\n-ngựa vằn\r\n");
        dict::BuildIndex(PathOf(QStringLiteral("dict/second.dict")));
        // Voice 1 is the English voice, voice 2 the Vietnamese one.
        WriteRegistry(QStringLiteral("[Hidden one]\nPath=dict/second.dict\nHidden=1\n"
                                     "[Sample]\nPath=dict/sample.dict\nHidden=0\nVoice1=0\nVoice2=1\n"
                                     "Speed=12\nPitch=8\nReadPunc=1\n"
                                     "[Second]\nPath=dict/second.dict\nHidden=0\nVoice1=1\nVoice2=0\n"
                                     "Speed=10\nPitch=10\nReadPunc=0\n"));
    }

    void TearDown() override
    {
        window.reset();
        speech::SetVoiceObjectFactory(nullptr);
        TempDirTest::TearDown();
    }

    void WriteRegistry(const QString &text) { WriteFile(QStringLiteral("Lexivoce.ini"), utf8Ini(text)); }

    void WriteConfig(const QString &activeDict, const QString &language = QStringLiteral("eng"))
    {
        WriteFile(QStringLiteral("Lexivoce.config"),
                  utf8Ini(QStringLiteral("[Interface]\nActiveDict=%1\nLanguage=%2\n").arg(activeDict, language)));
    }

    // Creates and shows the window and lets the posted index load run.
    void Start()
    {
        window = std::make_unique<TfrmMainDict>();
        window->IsLookupKeyHeld = [this] { return lookupKeyHeld; };
        window->IsInBackground = [this] { return inBackground; };
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // Seen by GoogleTest: a QTRY_ macro would only return from here.
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->WordList->Count() > 0 || window->Dictionary.DictList.isEmpty(); }, 5000));
        QApplication::processEvents();
    }

    static TFakeVoice *Voice(speech::TSpeaker5 *speaker) { return static_cast<TFakeVoice *>(speaker->VoiceObject()); }

    // What a speaker said, without the pitch prefix and the line end, once
    // everything said has been heard.
    static QStringList Said(speech::TSpeaker5 *speaker)
    {
        test::THeardLog::Settle();
        QStringList said;
        for (QString text : Voice(speaker)->Spoken()) {
            text.remove(QRegularExpression(QStringLiteral("^<pitch absmiddle=\"-?\\d+\"/>")));
            if (text.endsWith(u'\n'))
                text.chop(1);
            said << text;
        }
        return said;
    }

    void Forget()
    {
        test::THeardLog::Settle();
        Voice(window->speaker)->Calls.clear();
        Voice(window->spkInterface)->Calls.clear();
        heard.Clear();
    }

    QStringList EntrySaid() const { return Said(window->speaker); }
    QStringList InterfaceSaid() const { return Said(window->spkInterface); }

    void Type(const QString &text)
    {
        window->edtLookup->setFocus();
        window->edtLookup->clear();
        QTest::keyClicks(window->edtLookup, text);
        test::THeardLog::Settle();
    }

    // A key pressed and released as a user would, waiting until everything
    // it made the program say has been heard.
    void Key(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(widget, key, modifiers);
        test::THeardLog::Settle();
    }

    QStringList HistoryWords() const
    {
        QStringList words;
        for (int i = 0; i < window->lstHistory->count(); ++i)
            words << window->lstHistory->item(i)->text();
        return words;
    }

    QString ConfigValue(const QString &key) const
    {
        return lang::TIniFile(QStringLiteral("Lexivoce.config")).ReadString(QStringLiteral("Interface"), key, {});
    }

    // Error boxes are modal: from now on each is answered as a user would,
    // after hearing it, and its text kept in boxText.
    void AnswerErrorBoxes()
    {
        QObject::connect(&m_closer, &QTimer::timeout, [this] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                for (const QLabel *label : box->findChildren<QLabel *>())
                    boxText += label->text();
                box->close();
            }
        });
        m_closer.start(20);
    }

    QString boxText;
    test::THeardLog heard;
    std::unique_ptr<TfrmMainDict> window;
    bool lookupKeyHeld = false;
    bool inBackground = false;

private:
    QTimer m_closer;
};

inline QString tagged(const QString &voice, const QString &text)
{
    return QStringLiteral("<VOICE REQUIRED=\"NAME=%1\">%2</VOICE>").arg(voice, text);
}

} // namespace lexivoce::app::test_support
