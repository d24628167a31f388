// What a user hears from the real program, judged by the transcript's
// heard, done and cut: announcements heard to their end, one voice at a
// time, keys echoed as they were pressed, signs spoken as text.
#include "tests/e2e/program_fixture.h"

#include <QDateTime>

namespace lexivoce::test {
namespace {

// One utterance as the user heard it.
struct THeard
{
    QString Speaker;
    QString Text;
    QDateTime Heard;
    QDateTime End; // invalid while it is still heard
    bool Cut = false;
};

QDateTime timeOf(const SpeechCall &call)
{
    return QDateTime::fromString(call.Time, Qt::ISODateWithMs);
}

// Pairs every heard line with the done or cut line that ends it; an
// utterance cut before it was heard is left out.
QList<THeard> heardOf(const QList<SpeechCall> &calls)
{
    QList<THeard> heard;
    for (const SpeechCall &call : calls) {
        if (call.Operation == QLatin1String("heard")) {
            heard.append({call.Speaker, call.Text, timeOf(call), QDateTime(), false});
        } else if (call.Operation == QLatin1String("done") || call.Operation == QLatin1String("cut")) {
            for (auto it = heard.rbegin(); it != heard.rend(); ++it) {
                if (!it->End.isValid() && it->Speaker == call.Speaker && it->Text == call.Text) {
                    it->End = timeOf(call);
                    it->Cut = call.Operation == QLatin1String("cut");
                    break;
                }
            }
        }
    }
    return heard;
}

class SpeechProgramTest : public ProgramTest
{
protected:
    QList<THeard> Heard() const { return heardOf(Said()); }

    // Whether an utterance with text was heard to its end, and when it ended.
    QDateTime HeardWhole(const QString &text, qsizetype after = 0) const
    {
        const QList<THeard> heard = Heard();
        for (qsizetype i = after; i < heard.size(); ++i) {
            if (heard[i].Text.contains(text) && heard[i].End.isValid() && !heard[i].Cut)
                return heard[i].End;
        }
        return QDateTime();
    }

    qsizetype HeardCount() const { return Heard().size(); }

    void Press(const QStringList &arguments) { ASSERT_EQ(Tool(arguments).Exit, 0); }
};

TEST_F(SpeechProgramTest, TheGreetingIsHeardWholeThenTheFocusedControl)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    const quint64 window = Tool({QStringLiteral("getactivewindow")}).Out.toULongLong();
    ASSERT_TRUE(WaitUntil([&] { return HeardWhole(Welcome).isValid(); })) << Transcript();
    ASSERT_TRUE(WaitUntil([&] { return HeardWhole(QStringLiteral("Look up")).isValid(); })) << Transcript();
    EXPECT_LE(HeardWhole(Welcome), HeardWhole(QStringLiteral("Look up")));

    // Coming back from another program: the same, whole.
    ASSERT_NO_FATAL_FAILURE(ActivateOwnWindow());
    const qsizetype before = HeardCount();
    Press({QStringLiteral("windowactivate"), QString::number(window)});
    EXPECT_TRUE(WaitUntil([&] { return HeardWhole(Welcome, before).isValid(); })) << Transcript();
    for (const THeard &utterance : Heard())
        EXPECT_FALSE(utterance.Cut && utterance.Text.contains(Welcome)) << Transcript();
}

TEST_F(SpeechProgramTest, NoTwoUtterancesAreEverHeardAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    // A session of keys of every kind, each while the one before still
    // speaks: letters, list walking, an entry, the speech keys, the way back.
    Press({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("able")});
    Press({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("Down"),
           QStringLiteral("Up"), QStringLiteral("Return")});
    ASSERT_TRUE(WaitForEntryOfAble()) << Transcript();
    Press({QStringLiteral("key"), QStringLiteral("ctrl+slash")});
    Press({QStringLiteral("key"), QStringLiteral("ctrl+shift+comma")});
    Press({QStringLiteral("key"), QStringLiteral("Right")});
    ASSERT_TRUE(WaitUntil([&] {
        const QList<THeard> heard = Heard();
        return !heard.isEmpty() && heard.last().End.isValid();
    })) << Transcript();

    const QList<THeard> heard = Heard();
    ASSERT_GT(heard.size(), 5) << Transcript();
    for (qsizetype i = 1; i < heard.size(); ++i) {
        ASSERT_TRUE(heard[i - 1].End.isValid()) << "still heard when the next began\n" << Transcript();
        EXPECT_LE(heard[i - 1].End, heard[i].Heard) << heard[i - 1].Text.toStdString() << " under "
                                                     << heard[i].Text.toStdString() << "\n" << Transcript();
    }
}

TEST_F(SpeechProgramTest, KeysAreEchoedAsPressedAndSignsAreSpokenAsText)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    // Shift let go before the key: the press made "(".
    Press({QStringLiteral("keydown"), QStringLiteral("shift"), QStringLiteral("keydown"), QStringLiteral("9"),
           QStringLiteral("keyup"), QStringLiteral("shift"), QStringLiteral("keyup"), QStringLiteral("9")});
    EXPECT_TRUE(WaitUntil([&] { return HeardWhole(QStringLiteral("left parenthesis")).isValid(); })) << Transcript();
    EXPECT_EQ(Count(Interface, QStringLiteral(">9<")) + Count(Interface, QStringLiteral(">9\n")), 0) << Transcript();

    // Signs typed and looked up: each heard, escaped in what reached the engine.
    Press({QStringLiteral("key"), QStringLiteral("BackSpace")});
    Press({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("300"), QStringLiteral("a<b&\"c\">")});
    Press({QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(WaitUntil([&] { return Count(Interface, QStringLiteral("does not exist")) > 0; })) << Transcript();
    for (const QString &sign : {QStringLiteral("<spell>&lt;</spell>"), QStringLiteral("<spell>&amp;</spell>"),
                                QStringLiteral("quotation mark"), QStringLiteral("<spell>&gt;</spell>")}) {
        EXPECT_TRUE(WaitUntil([&] {
            const QList<THeard> heard = Heard();
            return std::any_of(heard.begin(), heard.end(), [&](const THeard &h) { return h.Text.contains(sign); });
        })) << sign.toStdString() << "\n" << Transcript();
    }
    for (const SpeechCall &call : Said()) {
        if (call.Operation != QLatin1String("speak"))
            continue;
        EXPECT_FALSE(call.Text.contains(QStringLiteral("<b")) || call.Text.contains(QStringLiteral("&\"")))
            << "unescaped: " << call.Text.toStdString();
    }
}

} // namespace
} // namespace lexivoce::test
