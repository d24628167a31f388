// One speech channel for every speaker: judged by what the user hears.
#include "speech/audio/capture_sink.h"
#include "speech/espeak/espeak_engine.h"
#include "speech/espeak/espeak_voice.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speech_channel.h"
#include "tests/support/heard_log.h"
#include "tests/support/temp_dir.h"
#include "tests/support/transcript.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

namespace lexivoce::speech {
namespace {

using fake::TFakeVoice;

class SpeechChannelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto *voice : {&interfaceVoice, &entryVoice})
            *voice = new TFakeVoice;
        interfaceVoice->PlayMs = 40;
        entryVoice->PlayMs = 40;
        spkInterface = std::make_unique<TSpeaker5>(nullptr, interfaceVoice);
        spkInterface->setObjectName(QStringLiteral("spkInterface"));
        speaker = std::make_unique<TSpeaker5>(nullptr, entryVoice);
        speaker->setObjectName(QStringLiteral("speaker"));
        channel().BeginAction();
    }

    static TSpeechChannel &channel() { return TSpeechChannel::Instance(); }

    static void say(TSpeaker5 &who, const QString &text)
    {
        who.Text = QStringList{text};
        who.Speak();
    }

    TFakeVoice *interfaceVoice = nullptr;
    TFakeVoice *entryVoice = nullptr;
    std::unique_ptr<TSpeaker5> spkInterface;
    std::unique_ptr<TSpeaker5> speaker;
    test::THeardLog heard;
};

TEST_F(SpeechChannelTest, OneActionIsHeardWholeAndInOrderWhicheverSpeakerSaysIt)
{
    say(*spkInterface, QStringLiteral("Look up"));
    say(*speaker, QStringLiteral("able"));
    say(*spkInterface, QStringLiteral("Veltari Talking dictionary"));
    // Waiting for its turn counts as speaking.
    EXPECT_EQ(speaker->State(), ssSpeaking);
    ASSERT_TRUE(test::THeardLog::Settle());

    EXPECT_EQ(heard.Whole(), (QStringList{QStringLiteral("Look up"), QStringLiteral("able"),
                                          QStringLiteral("Veltari Talking dictionary")}));
    EXPECT_TRUE(heard.Cuts().isEmpty());
    EXPECT_FALSE(heard.Overlapped());
    EXPECT_EQ(speaker->State(), ssDone);
}

TEST_F(SpeechChannelTest, TheFirstUtteranceOfANewActionCutsWhatOlderActionsLeftOnEverySpeaker)
{
    interfaceVoice->PlayMs = 100;
    entryVoice->PlayMs = 100;
    say(*spkInterface, QStringLiteral("Loading"));
    say(*speaker, QStringLiteral("the whole entry"));
    say(*spkInterface, QStringLiteral("ready"));

    // A key that says nothing cuts nothing: "Loading" ends, the entry starts.
    channel().BeginAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.Entries.size() == 2; }, 5000));
    EXPECT_FALSE(heard.Entries[0].Cut);
    EXPECT_GE(heard.Entries[0].End, 0);

    channel().BeginAction();
    say(*speaker, QStringLiteral("b"));
    say(*spkInterface, QStringLiteral("after b"));
    ASSERT_TRUE(test::THeardLog::Settle());

    EXPECT_EQ(heard.Cuts(), (QStringList{QStringLiteral("the whole entry"), QStringLiteral("ready")}));
    EXPECT_EQ(heard.Whole(),
              (QStringList{QStringLiteral("Loading"), QStringLiteral("b"), QStringLiteral("after b")}));
    EXPECT_FALSE(heard.Overlapped());
    // The one that was playing was silenced on its voice; "ready" never
    // reached its voice.
    EXPECT_EQ(entryVoice->Spoken(), (QStringList{QStringLiteral("<pitch absmiddle=\"0\"/>the whole entry\n"),
                                                 QStringLiteral("<pitch absmiddle=\"0\"/>b\n")}));
    EXPECT_FALSE(interfaceVoice->Spoken().join(u'|').contains(QStringLiteral("ready")));
    EXPECT_TRUE(std::any_of(entryVoice->Calls.begin(), entryVoice->Calls.end(), [](const TFakeVoice::TCall &call) {
        return call.Operation == QLatin1String("speak") && call.Value == (svsfAsync | svsfPurgeBeforeSpeak);
    }));
}

TEST_F(SpeechChannelTest, AnExplicitStopSilencesItsSpeakerAtOnceAndLetsTheOtherGoOn)
{
    say(*speaker, QStringLiteral("entry"));
    say(*speaker, QStringLiteral("more entry"));
    say(*spkInterface, QStringLiteral("interface"));
    QTest::qWait(10);
    speaker->Stop();
    EXPECT_EQ(speaker->State(), ssDone);
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_EQ(heard.Cuts(), (QStringList{QStringLiteral("entry"), QStringLiteral("more entry")}));
    EXPECT_EQ(heard.Whole(), QStringList{QStringLiteral("interface")});
    // Dropped before any sound: cut, never heard.
    ASSERT_EQ(heard.Entries.size(), 3);
    EXPECT_GE(heard.Entries[0].Heard, 0);
    EXPECT_EQ(heard.Entries[1].Heard, -1);
}

TEST_F(SpeechChannelTest, ASpeakerThatGoesAwayTakesItsSpeechWithIt)
{
    say(*speaker, QStringLiteral("entry"));
    say(*spkInterface, QStringLiteral("interface"));
    speaker.reset();
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_EQ(heard.Whole(), QStringList{QStringLiteral("interface")});
    EXPECT_EQ(heard.Cuts(), QStringList{QStringLiteral("entry")});
}

class SpeechTranscriptTest : public test::TempDirTest
{
};

TEST_F(SpeechTranscriptTest, RecordsWhatWasHeardDoneAndCut)
{
    const QString log = PathOf(QStringLiteral("speech.log"));
    qputenv("LEXIVOCE_SPEECH_LOG", log.toUtf8());
    auto *voice = new TFakeVoice;
    voice->PlayMs = 10;
    TSpeaker5 speaker(nullptr, voice);
    speaker.setObjectName(QStringLiteral("speaker"));
    TSpeechChannel::Instance().BeginAction();
    speaker.Text = QStringList{QStringLiteral("one")};
    speaker.Speak();
    speaker.Text = QStringList{QStringLiteral("two")};
    speaker.Speak();
    ASSERT_TRUE(test::THeardLog::Settle());
    speaker.Speak();
    speaker.Stop();
    qunsetenv("LEXIVOCE_SPEECH_LOG");

    // It may hold clipboard text: the user's alone.
    EXPECT_EQ(QFileInfo(log).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
              QFile::Permissions());
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        ASSERT_GE(fields.size(), 4);
        lines << fields[2] + u' ' + test::PlainSpeech(test::Unescaped(fields.last()));
    }
    EXPECT_EQ(lines, (QStringList{QStringLiteral("speak one"), QStringLiteral("heard one"),
                                  QStringLiteral("speak two"), QStringLiteral("done one"),
                                  QStringLiteral("heard two"), QStringLiteral("done two"),
                                  QStringLiteral("speak two"), QStringLiteral("heard two"),
                                  QStringLiteral("stop "), QStringLiteral("cut two")}));
}

// The real engine: the next speaker's first sound comes after the last
// sound of the one before has been played, not merely handed over.
TEST(SpeechChannelEspeak, TwoSpeakersNeverSoundTogether)
{
    using espeak::TEspeakEngine;
    using espeak::TEspeakVoice;
    TCaptureSink *firstSink = nullptr;
    TCaptureSink *secondSink = nullptr;
    const auto captured = [](TCaptureSink *&sink) {
        return [&sink](int rate) {
            auto made = std::make_unique<TCaptureSink>(rate, true);
            sink = made.get();
            return made;
        };
    };
    TSpeaker5 first(nullptr, new TEspeakVoice(nullptr, captured(firstSink)));
    TSpeaker5 second(nullptr, new TEspeakVoice(nullptr, captured(secondSink)));
    QSignalSpy ended(second.VoiceObject(), &TVoiceObject::EndStream);
    TSpeechChannel::Instance().BeginAction();
    first.Text = QStringList{QStringLiteral("one two three")};
    first.Speak();
    second.Text = QStringList{QStringLiteral("four five")};
    second.Speak();
    ASSERT_TRUE(ended.wait(20000));
    ASSERT_TRUE(firstSink && secondSink);
    const auto firstWrites = firstSink->Writes();
    const auto secondWrites = secondSink->Writes();
    ASSERT_FALSE(firstWrites.empty());
    ASSERT_FALSE(secondWrites.empty());
    const auto played = std::chrono::nanoseconds(std::int64_t(firstSink->SampleCount()) * 1'000'000'000
                                                 / TEspeakEngine::Instance().SampleRate());
    // The capture device plays in real time from its first write.
    EXPECT_GE(secondWrites.front().Time, firstWrites.front().Time + played - std::chrono::milliseconds(2));
}

} // namespace
} // namespace lexivoce::speech
