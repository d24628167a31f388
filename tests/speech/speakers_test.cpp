#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>

namespace lexivoce::speech {
namespace {

using fake::TFakeVoice;

class SpeakerTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        voice = new TFakeVoice;
        speaker = std::make_unique<TSpeaker5>(nullptr, voice);
        speaker->setObjectName(QStringLiteral("speaker"));
        voice->Calls.clear();
    }

    TFakeVoice::TCall lastCall() const { return voice->Calls.isEmpty() ? TFakeVoice::TCall{} : voice->Calls.last(); }

    TFakeVoice *voice = nullptr;
    std::unique_ptr<TSpeaker5> speaker;
};

TEST_F(SpeakerTest, StartsAtFullVolumeAndMiddlePitchAndSpeed)
{
    EXPECT_EQ(speaker->Volume(), 100);
    EXPECT_EQ(speaker->Pitch(), 0);
    EXPECT_EQ(speaker->Speed(), 0);
    EXPECT_EQ(speaker->VoiceNames, (QStringList{QStringLiteral("English (Great Britain)"), QStringLiteral("Vietnamese (Northern)")}));
    EXPECT_EQ(speaker->VoiceName, QStringLiteral("English (Great Britain)"));
    EXPECT_EQ(speaker->Output, soAudio);
    EXPECT_EQ(speaker->OutputFormat, of11kHz16BitMono);
    EXPECT_EQ(EngineFormatType(speaker->OutputFormat), 10);
}

TEST_F(SpeakerTest, ValuesAreClampedUpperBoundFirst)
{
    speaker->SetPitch(15);
    EXPECT_EQ(speaker->Pitch(), 10);
    EXPECT_TRUE(voice->Calls.isEmpty()); // pitch never reaches the engine
    speaker->SetPitch(-11);
    EXPECT_EQ(speaker->Pitch(), -10);

    speaker->SetSpeed(-20);
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("rate"), QString(), -10}));
    speaker->SetSpeed(3);
    EXPECT_EQ(speaker->Speed(), 3); // read back from the engine

    speaker->SetVolume(150);
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("volume"), QString(), 100}));
    speaker->SetVolume(-1);
    EXPECT_EQ(speaker->Volume(), 0);

    // A base speaker's limits differ: 0..20 with 10 in the middle.
    EXPECT_EQ(ClampLimit(25, 0, 20), 20);
    EXPECT_EQ(ClampLimit(-5, 0, 20), 0);
    EXPECT_EQ(ClampLimit(5, 10, 0), 0); // upper bound first when the limits cross
}

TEST_F(SpeakerTest, EveryUtteranceCarriesThePitchAndTheFlags)
{
    speaker->SetPitch(-3);
    speaker->Text = QStringList{QStringLiteral("hello")};
    speaker->Speak();
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("speak"), QStringLiteral("<pitch absmiddle=\"-3\"/>hello\n"), 33}));
    EXPECT_EQ(speaker->State(), ssSpeaking);
    voice->FinishSpeaking(); // the next waits for its turn

    speaker->SpeakPunctuation = true;
    speaker->Speak();
    EXPECT_EQ(lastCall().Value, 97);

    speaker->Stop();
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("speak"), QString(), 3}));
    EXPECT_EQ(speaker->State(), ssDone);
}

TEST_F(SpeakerTest, WordPositionsAreCountedInTheText)
{
    QSignalSpy words(speaker.get(), &TSpeaker5::OnWord);
    speaker->SetPitch(-3);
    speaker->Text = QStringList{QStringLiteral("hello")};
    speaker->Speak();
    voice->RaiseWord(23, 5);
    ASSERT_EQ(words.count(), 1);
    EXPECT_EQ(words[0][3].toInt(), 0);
    EXPECT_EQ(words[0][4].toInt(), 5);
}

TEST_F(SpeakerTest, VoicesAreSelectedByName)
{
    speaker->SetVoice(QStringLiteral("English (Great Britain)"));
    EXPECT_TRUE(voice->Calls.isEmpty()); // already the voice: no engine call
    speaker->SelectVoice(QStringLiteral("English (Great Britain)"));
    EXPECT_EQ(lastCall().Operation, QStringLiteral("voice"));

    speaker->SetVoice(QStringLiteral("Vietnamese (Northern)"));
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("voice"), QStringLiteral("Vietnamese (Northern)"), 1}));
    EXPECT_EQ(speaker->VoiceName, QStringLiteral("Vietnamese (Northern)"));

    voice->Calls.clear();
    try {
        speaker->SelectVoice(QStringLiteral("Microsoft Sam"));
        FAIL() << "an unknown voice must raise";
    } catch (const EMSpeechException &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Specified Speech Engine not found"));
    }
    EXPECT_TRUE(voice->Calls.isEmpty());
    EXPECT_EQ(speaker->VoiceName, QStringLiteral("Vietnamese (Northern)"));
}

TEST_F(SpeakerTest, AFileThatCannotBeWrittenLeavesTheVoiceOnTheAudioDevice)
{
    speaker->Output = soFile;
    speaker->FileName = PathOf(QStringLiteral("missing-folder/out.wav"));
    speaker->Text = QStringList{QStringLiteral("hello")};
    EXPECT_THROW(speaker->Speak(), Error);
    EXPECT_EQ(voice->OutputStream(), nullptr);

    // A format the engine cannot write fails the same way.
    speaker->FileName = PathOf(QStringLiteral("out.wav"));
    speaker->OutputFormat = ofTrueSpeech_8kHz1BitMono;
    EXPECT_THROW(speaker->Speak(), Error);
    EXPECT_EQ(voice->OutputStream(), nullptr);

    // And so does a voice object that refuses the stream.
    speaker->OutputFormat = of22kHz16BitMono;
    voice->RefuseFileOutput = true;
    EXPECT_THROW(speaker->Speak(), Error);
    EXPECT_EQ(voice->OutputStream(), nullptr);
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("output"), QStringLiteral("audio"), 0}));

    voice->RefuseFileOutput = false;
    speaker->Speak();
    EXPECT_EQ(lastCall(), (TFakeVoice::TCall{QStringLiteral("output"), QStringLiteral("audio"), 0}));
    EXPECT_EQ(voice->Calls[voice->Calls.size() - 2].Value, 32); // synchronous: no async flag
    EXPECT_TRUE(QFile::exists(PathOf(QStringLiteral("out.wav"))));
}

TEST_F(SpeakerTest, TheTranscriptRecordsEveryEngineCall)
{
    const QString log = PathOf(QStringLiteral("speech.log"));
    qputenv("LEXIVOCE_SPEECH_LOG", log.toUtf8());
    speaker->Text = QStringList{QStringLiteral("a\tb")};
    speaker->Speak();
    speaker->Stop();
    speaker->SetVoice(QStringLiteral("Vietnamese (Northern)"));
    speaker->SetSpeed(2);
    speaker->SetVolume(50);
    speaker->Pause();
    speaker->Resume();
    qunsetenv("LEXIVOCE_SPEECH_LOG");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QStringList operations;
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        ASSERT_GE(fields.size(), 4) << line.toStdString();
        EXPECT_EQ(fields[1], QStringLiteral("speaker"));
        operations.append(fields[2]);
    }
    // What was heard of it, and that the stop cut it off.
    EXPECT_EQ(operations, (QStringList{QStringLiteral("speak"), QStringLiteral("heard"), QStringLiteral("stop"),
                                       QStringLiteral("cut"), QStringLiteral("voice"), QStringLiteral("rate"),
                                       QStringLiteral("volume"), QStringLiteral("pause"), QStringLiteral("resume")}));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\t33\t<pitch absmiddle=\"0\"/>a\\tb\\n"))) << lines[0].toStdString();
}

} // namespace
} // namespace lexivoce::speech
