// Start-up: the real program, from its start until "Bench dictionary is ready"
// reaches the speaker, and its peak memory, with word lists of 177,000, 1.1
// million and 4.6 million words; next to the same start-up with a 100-word
// list in the same run, which is the program's fixed cost. The cost per word
// is what a list adds to that fixed cost, divided by its words.
#include "bench/bench_help.h"
#include "bench/dict_generator.h"
#include "lang/error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace lexivoce;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const char kProgram[] = LEXIVOCE_PROGRAM;
const char kReady[] = "Bench dictionary is ready";
constexpr auto kReadyTimeout = 30s;
constexpr auto kTermTimeout = 5s;
constexpr auto kPoll = 2ms;
constexpr auto kSettle = 400ms;

const char kIni[] = "[Bench]\r\nPath=bench.dict\r\nHidden=0\r\nVoice1=0\r\nVoice2=0\r\nSpeed=10\r\nPitch=10\r\n"
                    "ReadPunc=0\r\n";
const char kConfig[] = "[Interface]\r\nActiveDict=Bench\r\nLanguage=eng\r\n";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw Error(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

// A profile folder the program starts in with a generated word list active.
// Only the index is read at start-up, so the dictionary beside it is a stub.
void writeProfile(const QString &dir, int entries)
{
    if (!QDir().mkpath(dir + QStringLiteral("/LANG")))
        throw Error(QStringLiteral("cannot create %1").arg(dir));
    writeFile(dir + QStringLiteral("/bench.dict"), bench::kIndexOnlyDictionary);
    writeFile(dir + QStringLiteral("/bench.index"), bench::GenerateIndex({entries, true}));
    writeFile(dir + QStringLiteral("/Lexivoce.ini"), kIni);
    writeFile(dir + QStringLiteral("/Lexivoce.config"), kConfig);
}

// A spawned program can start with its parent's RSS already counted in its
// ru_maxrss (fork copies the figure, some kernels carry it over at exec), so
// the buffers of the generator and the index builder must never live in this
// process: a child writes the profiles and this one stays small.
bool writeProfilesElsewhere(const std::vector<std::pair<QString, int>> &profiles)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        try {
            for (const auto &[dir, entries] : profiles)
                writeProfile(dir, entries);
        } catch (const Error &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Reads what the program has appended to its speech log since the last call.
class LogFollower
{
public:
    explicit LogFollower(QByteArray path) : m_path(std::move(path)) {}
    ~LogFollower()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LogFollower(const LogFollower &) = delete;
    LogFollower &operator=(const LogFollower &) = delete;

    bool SawReady()
    {
        if (m_fd < 0)
            m_fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return false;
        // The line may have been cut in half by the last read.
        const std::size_t from = m_text.size() > sizeof kReady ? m_text.size() - sizeof kReady : 0;
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_text.append(buffer, std::size_t(got));
        return m_text.find(kReady, from) != std::string::npos;
    }

    const std::string &Text() const { return m_text; }

private:
    QByteArray m_path;
    int m_fd = -1;
    std::string m_text;
};

std::string fileTail(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(std::max<qint64>(0, file.size() - bytes));
    return file.readAll().toStdString();
}

struct Launch
{
    double Seconds = 0;
    double PeakMegabytes = 0;
};

// Starts the program in the profile, waits for the ready line, ends it and
// takes its peak memory. Exits the benchmark when the program fails.
Launch launch(const QString &dir)
{
    const QByteArray log = QFile::encodeName(dir + QStringLiteral("/speech.log"));
    const QByteArray output = QFile::encodeName(dir + QStringLiteral("/output.txt"));
    const QByteArray profile = QFile::encodeName(dir);
    ::unlink(log.constData());

    std::vector<std::string> env;
    const char *const ours[] = {"QT_QPA_PLATFORM=", "LEXIVOCE_AUDIO=", "LEXIVOCE_SPEECH_LOG="};
    for (char **e = environ; *e; ++e) {
        if (std::none_of(std::begin(ours), std::end(ours),
                         [&](const char *key) { return std::strncmp(*e, key, std::strlen(key)) == 0; }))
            env.emplace_back(*e);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.emplace_back("LEXIVOCE_AUDIO=null");
    env.push_back("LEXIVOCE_SPEECH_LOG=" + log.toStdString());
    std::vector<char *> envp;
    for (std::string &entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(kProgram), const_cast<char *>("--profile"),
                    const_cast<char *>(profile.constData()), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    LogFollower follower(log);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, kProgram, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", kProgram, std::strerror(spawned));
        std::exit(1);
    }

    int status = 0;
    struct rusage usage {};
    const auto fail = [&](const char *what) {
        std::fprintf(stderr, "\nFAILED: %s %s\nits speech log:\n%s\nits output (last part):\n%s\n", kProgram, what,
                     follower.Text().c_str(), fileTail(QFile::decodeName(output), 4000).c_str());
        std::exit(1);
    };
    while (!follower.SawReady()) {
        if (::wait4(pid, &status, WNOHANG, &usage) == pid)
            fail(WIFSIGNALED(status) ? "was killed by a signal before it said the dictionary was ready"
                                     : "ended before it said the dictionary was ready");
        if (Clock::now() - start > kReadyTimeout) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            fail("did not say \"Bench dictionary is ready\" within 30 s");
        }
        std::this_thread::sleep_for(kPoll);
    }
    const Clock::time_point ready = Clock::now();
    // The peak counts what the program builds once the words are shown (the
    // exact look-up table, the rest of the list's layout).
    std::this_thread::sleep_for(kSettle);

    ::kill(pid, SIGTERM);
    const Clock::time_point stop = Clock::now();
    while (::wait4(pid, &status, WNOHANG, &usage) != pid) {
        if (Clock::now() - stop > kTermTimeout) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    // ru_maxrss counts KiB.
    return {std::chrono::duration<double>(ready - start).count(), double(usage.ru_maxrss) * 1024 / 1e6};
}

struct Figures
{
    double Seconds = 1e30; // best run
    double PeakMegabytes = 0; // largest run
};

void add(Figures &figures, const Launch &run)
{
    figures.Seconds = std::min(figures.Seconds, run.Seconds);
    figures.PeakMegabytes = std::max(figures.PeakMegabytes, run.PeakMegabytes);
}

} // namespace

int main(int argc, char **argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const std::string help = std::string("Usage: lexivoce-startup-bench [--quick]\n"
                                         "Starts ") + kProgram
                           + " with word lists of 177,000, 1.1 million and 4.6 million words\n"
                             "(--quick: 20,000, 60,000 and 200,000) and of 100 words, and prints the time\n"
                             "to \"dictionary is ready\", the peak memory and the cost per word.\n";
    if (bench::AnswerHelp(argc, argv, help.c_str()))
        return 0;
    const std::vector<int> sizes = quick ? std::vector<int>{20000, 60000, 200000}
                                         : std::vector<int>{177000, 1100000, 4600000};
    const int baselineEntries = 100;
    const int runs = quick ? 1 : 5;

    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        std::fputs("cannot create a temporary folder\n", stderr);
        return 1;
    }
    const QString small = temporary.filePath(QStringLiteral("small"));
    std::vector<std::pair<QString, int>> profiles{{small, baselineEntries}};
    for (const int size : sizes)
        profiles.emplace_back(temporary.filePath(QStringLiteral("w%1").arg(size)), size);
    std::printf("Generating word lists...\n");
    std::fflush(stdout);
    if (!writeProfilesElsewhere(profiles)) {
        std::fputs("cannot write the profiles\n", stderr);
        return 1;
    }

    // The first start of a profile fills it from the shipped data, and reads
    // everything from disk once; neither is what a user waits for each day.
    std::printf("Starting %s...\n", kProgram);
    std::fflush(stdout);
    std::vector<Figures> measured(profiles.size());
    for (size_t p = 0; p < profiles.size(); ++p)
        launch(profiles[p].first);
    for (int i = 0; i < runs; ++i) {
        for (size_t p = 0; p < profiles.size(); ++p)
            add(measured[p], launch(profiles[p].first));
    }

    const Figures &baseline = measured[0];
    const auto perWordUs = [&](size_t p) {
        return (measured[p].Seconds - baseline.Seconds) / profiles[p].second * 1e6;
    };
    const size_t largest = profiles.size() - 1;
    const double growth = perWordUs(largest) / perWordUs(1);
    std::printf("\n| %-10s | %-22s | %-22s | %-16s |\n", "words", "to \"is ready\" (best)", "peak memory (largest)",
                "cost per word");
    std::printf("|%s|%s|%s|%s|\n", std::string(12, '-').c_str(), std::string(24, '-').c_str(),
                std::string(24, '-').c_str(), std::string(18, '-').c_str());
    for (size_t p = 0; p < profiles.size(); ++p) {
        const std::string cost = p == 0 ? "(the fixed cost)" : std::to_string(perWordUs(p)).substr(0, 5) + " us";
        std::printf("| %10d | %19.1f ms | %19.1f MB | %-16s |\n", profiles[p].second, measured[p].Seconds * 1e3,
                    measured[p].PeakMegabytes, cost.c_str());
    }
    const bool timeMet = measured[largest].Seconds < 0.7;
    const bool memoryMet = measured[largest].PeakMegabytes < 350;
    const bool growthMet = growth <= 1.3;
    std::printf("\n| %-52s | %-12s | %-10s | %-7s |\n", "target", "value", "target", "met");
    std::printf("|%s|%s|%s|%s|\n", std::string(54, '-').c_str(), std::string(14, '-').c_str(),
                std::string(12, '-').c_str(), std::string(9, '-').c_str());
    std::printf("| %-52s | %9.1f ms | %-10s | %-7s |\n",
                (std::to_string(profiles[largest].second) + " words: to \"is ready\"").c_str(),
                measured[largest].Seconds * 1e3, "< 700 ms", timeMet ? "met" : "NOT met");
    std::printf("| %-52s | %9.1f MB | %-10s | %-7s |\n",
                (std::to_string(profiles[largest].second) + " words: peak memory").c_str(),
                measured[largest].PeakMegabytes, "< 350 MB", memoryMet ? "met" : "NOT met");
    std::printf("| %-52s | %12.2f | %-10s | %-7s |\n",
                ("cost per word, " + std::to_string(profiles[largest].second) + " / "
                 + std::to_string(profiles[1].second) + " words").c_str(),
                growth, "<= 1.3", growthMet ? "met" : "NOT met");
    std::printf("(%d timed run%s each, the ready line polled every %d ms; the program ends %d ms after it)\n", runs,
                runs == 1 ? "" : "s", int(kPoll.count()), int(kSettle.count()));
    if (quick)
        std::printf("(quick run on smaller lists: the targets are for the full run)\n");
    return 0;
}
