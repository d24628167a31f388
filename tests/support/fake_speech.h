#pragma once

// A speaking component over a recording voice that hears each utterance at
// once: what a dialog says, for the dialogs' tests.
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/heard_log.h"

#include <QStringList>

namespace lexivoce::test {

class TFakeSpeech
{
public:
    TFakeSpeech()
    {
        Voice->PlayMs = 0;
        Sp.SetSpeaker(&Speaker);
    }

    // Each utterance as plain text, once everything said has been heard.
    QStringList Said() const
    {
        THeardLog::Settle();
        QStringList said;
        for (const QString &spoken : Voice->Spoken())
            said << PlainSpeech(spoken);
        return said;
    }

    speech::fake::TFakeVoice *Voice = new speech::fake::TFakeVoice; // owned by Speaker
    speech::TSpeaker5 Speaker{nullptr, Voice};
    speech::TSpeakingComponent Sp;
};

} // namespace lexivoce::test
