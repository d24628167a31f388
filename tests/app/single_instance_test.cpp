#include "app/single_instance.h"
#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <future>

namespace lexivoce::app {
namespace {

class SingleInstanceTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("profile"))));
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("other"))));
        m_socketPath = TSingleInstance::ServerName(profile());
    }

    void TearDown() override
    {
        QFile::remove(m_socketPath);
        TempDirTest::TearDown();
    }

    QString profile() const { return PathOf(QStringLiteral("profile")); }

    QString m_socketPath;
};

TEST_F(SingleInstanceTest, SecondStartActivatesTheFirst)
{
    TSingleInstance first(profile());
    ASSERT_TRUE(first.Acquire());
    QSignalSpy spy(&first, &TSingleInstance::ActivateRequested);

    TSingleInstance second(profile());
    EXPECT_FALSE(second.Acquire());

    // SendActivate blocks for the answer, which comes from this thread's loop.
    std::future<bool> sent = std::async(std::launch::async, [this] {
        return TSingleInstance::SendActivate(profile());
    });
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(SingleInstanceTest, ProfilesAreIndependentAndFreedOnExit)
{
    {
        TSingleInstance first(profile());
        ASSERT_TRUE(first.Acquire());
        // The same folder by another path is the same profile.
        EXPECT_FALSE(TSingleInstance(PathOf(QStringLiteral("other/../profile/"))).Acquire());
        TSingleInstance other(PathOf(QStringLiteral("other")));
        EXPECT_TRUE(other.Acquire());
    }
    EXPECT_TRUE(TSingleInstance(profile()).Acquire());
}

TEST_F(SingleInstanceTest, StaleFileDoesNotBlock)
{
    QFile stale(m_socketPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    EXPECT_TRUE(TSingleInstance(profile()).Acquire());
    EXPECT_FALSE(TSingleInstance::SendActivate(profile(), 500)) << "nobody runs";
}

TEST_F(SingleInstanceTest, SocketOfCrashedInstanceDoesNotBlock)
{
    // What a killed instance leaves: a bound socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_socketPath);
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);

    EXPECT_TRUE(TSingleInstance(profile()).Acquire());
}

TEST_F(SingleInstanceTest, MessageInPiecesCountsOnceAndUnknownLinesAreIgnored)
{
    TSingleInstance instance(profile());
    ASSERT_TRUE(instance.Acquire());
    QSignalSpy spy(&instance, &TSingleInstance::ActivateRequested);

    QLocalSocket client;
    client.connectToServer(TSingleInstance::ServerName(profile()));
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("hello\nact");
    ASSERT_TRUE(client.waitForBytesWritten(2000));
    EXPECT_FALSE(spy.wait(100));
    client.write("ivate\nactivated\n");
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_FALSE(spy.wait(100));
    EXPECT_EQ(spy.count(), 1);
}

// Sets an environment variable for as long as it lives.
class TEnvironment
{
public:
    TEnvironment(const char *name, const QString &value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~TEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had;
};

mode_t modeOf(const QString &path)
{
    struct stat info{};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

TEST_F(SingleInstanceTest, TheSocketIsThisUsersAloneWhateverTheUmaskAndGoesWithTheInstance)
{
    const QString runtime = PathOf(QStringLiteral("run"));
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), S_IRWXU), 0);
    const TEnvironment env("XDG_RUNTIME_DIR", runtime);
    const mode_t oldMask = ::umask(0);
    QString socket;
    {
        TSingleInstance instance(profile());
        ASSERT_TRUE(instance.Acquire());
        socket = TSingleInstance::ServerName(profile());
        EXPECT_TRUE(socket.startsWith(runtime + u'/')) << socket.toStdString();
        EXPECT_EQ(modeOf(socket) & 0777, mode_t(0600));
    }
    ::umask(oldMask);
    EXPECT_FALSE(QFileInfo::exists(socket)) << "left behind by a normal end";
}

TEST_F(SingleInstanceTest, AFolderOthersCanEnterIsNeverUsed)
{
    // A runtime folder open to others is passed over for a private one of ours.
    const QString open = PathOf(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    const TEnvironment runtime("XDG_RUNTIME_DIR", open);
    const TEnvironment temp("TMPDIR", PathOf(QStringLiteral("tmp")));
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("tmp"))));
    const QString own = TSingleInstance::RuntimeFolder();
    EXPECT_EQ(own, PathOf(QStringLiteral("tmp/lexivoce-%1").arg(::getuid())));
    EXPECT_EQ(modeOf(own) & 0777, mode_t(0700));

    // Someone else got there first and left it open (or made it a link):
    // no socket at all rather than one another user could reach.
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
    EXPECT_TRUE(TSingleInstance::RuntimeFolder().isEmpty());
    TSingleInstance instance(profile());
    EXPECT_THROW(instance.Acquire(), Error);
}

} // namespace
} // namespace lexivoce::app
