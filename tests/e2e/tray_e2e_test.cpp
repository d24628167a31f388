// The real program and a real notification area (Debian's trayer) on the
// private X server: Esc hides the window behind an icon, the system-wide hot
// key and a click on the icon bring it back.
#include "tests/e2e/program_fixture.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QToolTip>

#include <atomic>
#include <thread>

namespace lexivoce::test {
namespace {

// MSG01 of the English messages: the icon's tip names the program.
const QString ProgramTitle = QStringLiteral("Veltari Talking dictionary");

using WindowSet = QSet<quint64>;

// xdotool prints window ids in decimal, xwininfo in hex.
quint64 WindowId(const QString &text)
{
    bool ok = false;
    const quint64 id = text.startsWith(QStringLiteral("0x")) ? text.mid(2).toULongLong(&ok, 16) : text.toULongLong(&ok);
    return ok ? id : 0;
}

class TrayProgramTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped())
            return;
        const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
        if (trayer.isEmpty())
            GTEST_SKIP() << "needs trayer as the notification area";
        m_trayer = &Start(trayer, {QStringLiteral("--edge"), QStringLiteral("top")},
                          QProcessEnvironment::systemEnvironment());
        // Its panel on the screen, and the tray's selection taken: before
        // that the program would find no notification area and keep its
        // window on Esc.
        ASSERT_TRUE(WaitUntil([&] {
            return !WindowsOf(m_trayer->processId(), true).isEmpty() && QSystemTrayIcon::isSystemTrayAvailable();
        })) << "trayer shows no notification area";
    }

    // Starts the program and remembers its main window.
    void StartProgramWithTray()
    {
        ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
        m_mainWindow = WindowId(Tool({QStringLiteral("getactivewindow")}).Out);
        ASSERT_NE(m_mainWindow, 0u);
        ASSERT_TRUE(IsViewable(m_mainWindow));
        EXPECT_TRUE(IconsInTray().isEmpty()) << "an icon before the window was hidden";
    }

    WindowSet WindowsOf(qint64 pid, bool onlyVisible)
    {
        QStringList arguments{QStringLiteral("search")};
        if (onlyVisible)
            arguments << QStringLiteral("--onlyvisible");
        arguments << QStringLiteral("--pid") << QString::number(pid);
        WindowSet windows;
        for (const QString &line : Tool(arguments).Out.split(u'\n', Qt::SkipEmptyParts))
            windows.insert(WindowId(line));
        return windows;
    }

    // Windows of the program embedded in trayer's: its icons in the
    // notification area.
    WindowSet IconsInTray()
    {
        static const QRegularExpression child(QStringLiteral(R"(^\s+(0x[0-9a-f]+) )"),
                                              QRegularExpression::MultilineOption);
        WindowSet inTray;
        for (const quint64 trayer : WindowsOf(m_trayer->processId(), false)) {
            const QString tree = Tool({QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(trayer)},
                                      QStringLiteral("xwininfo")).Out;
            for (const QRegularExpressionMatch &match : child.globalMatch(tree))
                inTray.insert(WindowId(match.captured(1)));
        }
        return inTray & WindowsOf(m_program->processId(), false);
    }

    // The only icon of the program in the notification area, else 0.
    quint64 Icon()
    {
        const WindowSet icons = IconsInTray();
        return icons.size() == 1 ? *icons.begin() : 0;
    }

    bool IsViewable(quint64 window)
    {
        return Tool({QStringLiteral("-id"), QString::number(window)}, QStringLiteral("xwininfo"))
            .Out.contains(QStringLiteral("Map State: IsViewable"));
    }

    bool MainWindowIsActive()
    {
        return WindowId(Tool({QStringLiteral("getactivewindow")}).Out) == m_mainWindow;
    }

    // Esc in the program's window, which must have the keyboard.
    void HideToTray()
    {
        ASSERT_TRUE(MainWindowIsActive()) << "the program's window does not have the keyboard";
        ASSERT_EQ(Tool({QStringLiteral("key"), QStringLiteral("Escape")}).Exit, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsViewable(m_mainWindow) && Icon() != 0; }))
            << "window viewable " << IsViewable(m_mainWindow) << ", icons in the tray " << IconsInTray().size();
    }

    // The tooltip window of the process on the screen, else 0.
    quint64 TooltipOf(qint64 pid)
    {
        for (const quint64 window : WindowsOf(pid, true)) {
            const QString type = Tool({QStringLiteral("-id"), QString::number(window),
                                       QStringLiteral("_NET_WM_WINDOW_TYPE")},
                                      QStringLiteral("xprop")).Out;
            if (type.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLTIP")))
                return window;
        }
        return 0;
    }

    QImage Grab(quint64 window) const
    {
        return QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(window)).toImage().convertToFormat(
            QImage::Format_RGB32);
    }

    QProcess *m_trayer = nullptr;
    quint64 m_mainWindow = 0;
};

TEST_F(TrayProgramTest, EscHidesTheWindowBehindAnIconTippedWithTheProgramTitle)
{
    ASSERT_NO_FATAL_FAILURE(StartProgramWithTray());
    ASSERT_NO_FATAL_FAILURE(HideToTray());
    EXPECT_EQ(Tool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                    QStringLiteral("^Talking Dictionary$")}).Exit,
              1) << "a window of that title is still visible";

    // Neither Qt nor trayer puts the tip into a property: it is seen only as
    // the tooltip shown while the pointer rests on the icon. So that tooltip
    // is compared with one this process shows with the title, drawn by the
    // same Qt with the same fonts; a different text would differ in pixels.
    const QString icon = QString::number(Icon());
    QImage wanted;
    QImage seen;
    int moves = 0;
    QElapsedTimer sinceMove;
    EXPECT_TRUE(WaitUntil([&] {
        const quint64 tooltip = TooltipOf(m_program->processId());
        if (tooltip == 0) {
            // Moved again only when no tooltip came: each move puts it off anew.
            if (moves == 0 || sinceMove.hasExpired(3000)) {
                ++moves;
                Tool({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QString::number(4 + moves % 2),
                      QStringLiteral("5")});
                sinceMove.start();
            }
            return false;
        }
        const quint64 own = TooltipOf(QCoreApplication::applicationPid());
        if (own == 0) {
            QToolTip::showText(QPoint(700, 500), ProgramTitle, nullptr, QRect(), DeadlineMs);
            return false;
        }
        // Both grabbed anew each time: either may not have been drawn yet.
        seen = Grab(tooltip);
        wanted = Grab(own);
        return seen == wanted;
    })) << "the icon's tooltip, " << seen.width() << "x" << seen.height() << ", is not one with \""
        << ProgramTitle.toStdString() << "\", " << wanted.width() << "x" << wanted.height();
    QToolTip::hideText();
}

TEST_F(TrayProgramTest, HotKeyFromAnotherWindowBringsTheWindowBackAndAClickOnTheIconToo)
{
    ASSERT_NO_FATAL_FAILURE(StartProgramWithTray());
    ASSERT_TRUE(WaitUntil([&] { return Count(Interface, Welcome) > 0; })) << Transcript();
    ASSERT_NO_FATAL_FAILURE(HideToTray());
    const quint64 icon = Icon();

    // The key goes to the window that has the keyboard, not to the program:
    // only the system-wide hot key can reach it.
    ASSERT_NO_FATAL_FAILURE(ActivateOwnWindow());
    ASSERT_FALSE(IsViewable(m_mainWindow));
    const qsizetype welcomes = Count(Interface, Welcome);
    ASSERT_EQ(Tool({QStringLiteral("key"), QStringLiteral("ctrl+F12")}).Exit, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsViewable(m_mainWindow) && MainWindowIsActive(); }))
        << "viewable " << IsViewable(m_mainWindow) << ", active window of pid " << ActivePid();
    EXPECT_TRUE(WaitUntil([&] { return Count(Interface, Welcome) > welcomes; })) << Transcript();
    EXPECT_EQ(IconsInTray(), WindowSet{icon}) << "the hot key leaves the icon where it is";

    // Hidden again behind the same one icon, not a second.
    ASSERT_NO_FATAL_FAILURE(HideToTray());
    EXPECT_EQ(IconsInTray(), WindowSet{icon});

    ASSERT_EQ(Tool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(icon), QStringLiteral("5"),
                    QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("1")}).Exit,
              0);
    EXPECT_TRUE(WaitUntil([&] { return IsViewable(m_mainWindow) && IconsInTray().isEmpty(); }))
        << "viewable " << IsViewable(m_mainWindow) << ", icons in the tray " << IconsInTray().size();
    EXPECT_TRUE(WaitUntil([&] { return MainWindowIsActive(); })) << "active window of pid " << ActivePid();
}

// Keeps every processor busy while it lives: the window manager's reports
// then come late, as on a loaded machine.
class TBusyProcessors
{
public:
    TBusyProcessors()
    {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            m_threads.emplace_back([this] {
                volatile unsigned long spin = 0;
                while (!m_stop.load(std::memory_order_relaxed))
                    spin = spin + 1;
            });
    }
    ~TBusyProcessors()
    {
        m_stop = true;
        for (std::thread &thread : m_threads)
            thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

TEST_F(TrayProgramTest, TheClipboardLookUpAlwaysLeavesTheWindowInFront)
{
    ASSERT_NO_FATAL_FAILURE(StartProgramWithTray());
    const TBusyProcessors busy;
    for (int attempt = 0; attempt < 20; ++attempt) {
        SCOPED_TRACE(attempt);
        ASSERT_NO_FATAL_FAILURE(ActivateOwnWindow());
        const qsizetype entries = Count(EntrySpeaker, QStringLiteral("có năng lực"));
        ASSERT_NO_FATAL_FAILURE(SetSuper(true));
        // A new text each time, or the clipboard would not change.
        ASSERT_NO_FATAL_FAILURE(SetClipboard(attempt % 2 == 0 ? QStringLiteral("able") : QStringLiteral("Able")));
        ASSERT_NO_FATAL_FAILURE(SetSuper(false));
        ASSERT_TRUE(WaitUntil([&] { return Count(EntrySpeaker, QStringLiteral("có năng lực")) > entries; }))
            << Transcript();
        // Late reports of the window manager have arrived by now.
        QTest::qWait(300);
        EXPECT_TRUE(IsViewable(m_mainWindow)) << "hidden while its entry is read";
        EXPECT_TRUE(IconsInTray().isEmpty());
        EXPECT_TRUE(WaitUntil([&] { return MainWindowIsActive(); }, 3000)) << "active window of pid " << ActivePid();
    }
}

} // namespace
} // namespace lexivoce::test
