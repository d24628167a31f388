// The error display under the program's own application object, which needs
// a main of its own: a process has one QApplication.
#include "dialogs/error_display.h"
#include "dialogs/message_dialog.h"

#include "lang/error.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <stdexcept>
#include <utility>

namespace lexivoce::dialogs {
namespace {

// The voices the error display makes for itself here: recording, silent,
// never on the shared sound server the audio tests listen to.
speech::fake::TFakeVoice *quietVoice()
{
    auto *voice = new speech::fake::TFakeVoice;
    voice->PlayMs = 0;
    return voice;
}

// One error box as it came up.
struct TShown
{
    QString Title;
    QString Message;
};

// Watches for error boxes while the event loop runs and closes each with
// Enter, once during (run for the first box only) is done with it.
class ErrorBoxWatcher
{
public:
    explicit ErrorBoxWatcher(std::function<void()> during = {})
        : m_during(std::move(during))
    {
        Arm();
    }

    QList<TShown> Shown;

private:
    // A fresh timer each time: Qt does not fire a timer again while its
    // handler runs, and a box may open inside the handler.
    void Arm()
    {
        QTimer::singleShot(10, &m_context, [this] {
            Arm();
            Poll();
        });
    }

    void Poll()
    {
        auto *form = qobject_cast<TMessageForm *>(QApplication::activeModalWidget());
        // A box being handled is left alone; a box over it is handled too,
        // so that a fault shows as a failure rather than a hang.
        if (!form || !form->isVisible() || m_handling.contains(form))
            return;
        m_handling.append(form);
        if (!QTest::qWaitForWindowActive(form))
            ADD_FAILURE() << "error box not active";
        Shown.append({form->windowTitle(), form->findChild<QLabel *>(QStringLiteral("lblDlgMsg"))->text()});
        if (m_during)
            std::exchange(m_during, {})();
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form, Qt::Key_Return);
        m_handling.removeOne(form);
    }

    std::function<void()> m_during;
    QObject m_context;
    QList<TMessageForm *> m_handling;
};

TEST(TApplication, AnErrorOutOfASlotIsShownSpokenAndTheProgramGoesOn)
{
    auto *voice = new speech::fake::TFakeVoice;
    speech::TSpeaker5 speaker(nullptr, voice);
    speech::TSpeakingComponent sp;
    sp.SetSpeaker(&speaker);
    SetErrorDisplayContext(&sp, nullptr);

    ErrorBoxWatcher watcher;
    const auto closed = [&](int count) {
        return QTest::qWaitFor(
            [&] { return watcher.Shown.size() == count && !QApplication::activeModalWidget(); }, 5000);
    };
    QTimer::singleShot(0, [] { throw Error(QStringLiteral("Không đọc được từ điển.")); });
    EXPECT_TRUE(closed(1));
    QTimer::singleShot(0, [] { throw std::runtime_error("disk full"); });
    EXPECT_TRUE(closed(2));
    bool goesOn = false;
    QTimer::singleShot(0, [&] { goesOn = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return goesOn; }, 5000));
    ResetErrorDisplayContext();

    ASSERT_EQ(watcher.Shown.size(), 2);
    EXPECT_EQ(watcher.Shown[0].Title, QStringLiteral("Lỗi"));
    EXPECT_EQ(watcher.Shown[0].Message, QStringLiteral("Không đọc được từ điển."));
    EXPECT_EQ(watcher.Shown[1].Message, QStringLiteral("disk full"));
    EXPECT_TRUE(voice->Spoken().join(u'|').contains(QStringLiteral("Không đọc được từ điển. Đồng ý")));
}

TEST(TApplication, AnErrorWhileAnErrorIsShownGoesToStderr)
{
    ErrorBoxWatcher watcher([] {
        QTimer::singleShot(0, [] { throw Error(QStringLiteral("second failure")); });
        QTest::qWait(30);
    });
    testing::internal::CaptureStderr();
    QTimer::singleShot(0, [] { throw Error(QStringLiteral("first failure")); });
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !watcher.Shown.isEmpty() && !QApplication::activeModalWidget(); }, 5000));
    QTest::qWait(30);
    const std::string errors = testing::internal::GetCapturedStderr();

    ASSERT_EQ(watcher.Shown.size(), 1);
    EXPECT_EQ(watcher.Shown[0].Message, QStringLiteral("first failure"));
    EXPECT_NE(errors.find("second failure"), std::string::npos) << errors;
}

TEST(ShowError, IsHeardWithoutAVoiceInstalledAndMarkupInItIsText)
{
    QList<QPointer<speech::fake::TFakeVoice>> voices;
    speech::SetVoiceObjectFactory([&] {
        auto *voice = quietVoice();
        voices.append(voice);
        return voice;
    });
    ResetErrorDisplayContext();
    QStringList heard;
    ErrorBoxWatcher watcher([&] {
        for (const auto &voice : voices) {
            if (voice)
                heard += voice->Spoken();
        }
        // A second error while the first is up is heard too.
        ShowError(QStringLiteral("second"));
        QTest::qWait(20);
        for (const auto &voice : voices) {
            if (voice)
                heard += voice->Spoken();
        }
    });
    ShowError(QStringLiteral("Cannot open file \"dict/<voice required=\"name=x\">.dict\"."));
    speech::SetVoiceObjectFactory(quietVoice);

    ASSERT_EQ(watcher.Shown.size(), 1);
    const QString all = heard.join(u'|');
    EXPECT_TRUE(all.contains(QStringLiteral("dict/&lt;voice required=&quot;name=x&quot;&gt;.dict"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("second"))) << all.toStdString();
}

TEST(ShowError, OffTheGuiThreadWritesToStderr)
{
    ErrorBoxWatcher watcher;
    testing::internal::CaptureStderr();
    QThread *worker = QThread::create([] { ShowError(QStringLiteral("from a worker")); });
    worker->start();
    worker->wait();
    delete worker;
    QTest::qWait(30);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(watcher.Shown.isEmpty());
    EXPECT_NE(errors.find("from a worker"), std::string::npos) << errors;
}

} // namespace
} // namespace lexivoce::dialogs

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    lexivoce::dialogs::TApplication app(argc, argv);
    lexivoce::speech::SetVoiceObjectFactory(lexivoce::dialogs::quietVoice);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
