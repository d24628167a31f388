// Dictionary benchmarks: index build, sort, word-list load, searches and
// entry display on a generated 300,000-entry dictionary. Every figure is
// measured in the same run as its baseline, and printed with its target.
#include "bench/dict_generator.h"
#include "dict/dict_file.h"
#include "dict/dict_sorter.h"
#include "dict/entry_renderer.h"
#include "dict/index_builder.h"
#include "dict/word_list.h"
#include "view/styled_document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

using namespace lexivoce;

namespace {

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, secondsOf(work));
    return best;
}

// Bytes the heap holds now (small blocks and mmapped ones).
double heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

void readOnce(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return;
    auto buffer = std::make_unique<char[]>(1 << 20);
    while (::read(fd, buffer.get(), 1 << 20) > 0) {
    }
    ::close(fd);
}

struct Row
{
    const char *Measure;
    QString Value;
    QString Target;
    bool Met;
};

void printTable(const std::vector<Row> &rows)
{
    std::printf("\n| %-44s | %-22s | %-14s | %-4s |\n", "measure", "value", "target", "met");
    std::printf("|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(24, '-').c_str(),
                std::string(16, '-').c_str(), std::string(6, '-').c_str());
    for (const Row &row : rows)
        std::printf("| %-44s | %-22s | %-14s | %-4s |\n", row.Measure, row.Value.toUtf8().constData(),
                    row.Target.toUtf8().constData(), row.Met ? "yes" : "NO");
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int entries = quick ? 30000 : 300000;
    const int runs = quick ? 1 : 3;

    QTemporaryDir dir;
    const QString sortedPath = dir.filePath(QStringLiteral("bench.dict"));
    const QString unsortedPath = dir.filePath(QStringLiteral("unsorted.dict"));
    std::printf("Generating a dictionary of %d entries...\n", entries);
    const QByteArray unsorted = bench::GenerateDictionary({entries, false});
    {
        QFile file(unsortedPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(unsorted) != unsorted.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(unsortedPath));
            return 1;
        }
    }
    const double megabytes = static_cast<double>(unsorted.size()) / 1e6;
    std::vector<Row> rows;

    // Sorting rewrites its file, so each run starts from the unsorted copy.
    double sortSeconds = 1e30;
    for (int i = 0; i < runs; ++i) {
        QFile::remove(sortedPath);
        QFile::copy(unsortedPath, sortedPath);
        readOnce(sortedPath);
        sortSeconds = std::min(sortSeconds, secondsOf([&] { dict::SortDictionary(sortedPath); }));
    }
    rows.push_back({"SortDictionary", QStringLiteral("%1 s (%2 MB)").arg(number(sortSeconds, 3), number(megabytes, 1)),
                    QStringLiteral("< 1.5 s"), sortSeconds < 1.5});

    readOnce(sortedPath);
    const double readSeconds = bestOf(runs + 2, [&] { readOnce(sortedPath); });
    const double buildSeconds = bestOf(runs, [&] { dict::BuildIndex(sortedPath); });
    const double ratio = buildSeconds / readSeconds;
    rows.push_back({"BuildIndex throughput", QStringLiteral("%1 MB/s").arg(number(megabytes / buildSeconds, 0)),
                    QString(), true});
    rows.push_back({"BuildIndex time / one read pass", QStringLiteral("%1 (read %2 MB/s)").arg(number(ratio, 2), number(megabytes / readSeconds, 0)),
                    QStringLiteral("<= 6"), ratio <= 6});

    const QString indexPath = dict::IndexFileName(sortedPath);
    double loadSeconds = 1e30;
    double loadBytes = 0;
    for (int i = 0; i < runs; ++i) {
        auto list = std::make_unique<dict::TWordList>();
        const double before = heapBytes();
        loadSeconds = std::min(loadSeconds, secondsOf([&] { dict::LoadIndex(indexPath, *list); }));
        loadBytes = heapBytes() - before;
    }
    rows.push_back({"LoadIndex", QStringLiteral("%1 ms (%2 words)").arg(number(loadSeconds * 1e3, 1)).arg(entries),
                    QStringLiteral("< 150 ms"), loadSeconds < 0.150});
    rows.push_back({"LoadIndex memory added", QStringLiteral("%1 MB").arg(number(loadBytes / 1e6, 1)),
                    QStringLiteral("< 60 MB"), loadBytes < 60e6});

    dict::TWordList list;
    dict::LoadIndex(indexPath, list);
    std::mt19937 random(7);
    std::vector<QString> keys;
    const int lookups = quick ? 20000 : 200000;
    for (int i = 0; i < lookups; ++i) {
        QString word = list.Word(static_cast<int>(random() % static_cast<unsigned>(list.Count())));
        if (i % 3 == 0)
            word = word.toUpper();
        if (i % 10 == 0)
            word += QStringLiteral("q");
        keys.push_back(word);
    }
    int sink = 0;
    const double nearest = bestOf(runs, [&] {
        for (const QString &key : keys)
            sink += dict::FindNearest(key, list);
    }) / lookups;
    const double exact = bestOf(runs, [&] {
        for (const QString &key : keys)
            sink += dict::FindExact(key, list);
    }) / lookups;
    rows.push_back({"FindNearest per call", QStringLiteral("%1 us").arg(number(nearest * 1e6, 2)),
                    QStringLiteral("< 20 us"), nearest < 20e-6});
    rows.push_back({"FindExact per call", QStringLiteral("%1 us").arg(number(exact * 1e6, 2)),
                    QStringLiteral("< 20 us"), exact < 20e-6});

    dict::TDictFile file;
    file.Open(sortedPath);
    const int shows = quick ? 2000 : 20000;
    std::vector<int> positions;
    for (int i = 0; i < shows; ++i)
        positions.push_back(static_cast<int>(random() % static_cast<unsigned>(list.Count())));
    view::TStyledDocument document;
    const double show = bestOf(runs, [&] {
        for (const int position : positions) {
            document.Clear();
            dict::RenderEntry(document, file.ReadEntry(list.Location(position)));
        }
    }) / shows;
    rows.push_back({"Entry fetch + RenderEntry per call", QStringLiteral("%1 us").arg(number(show * 1e6, 1)),
                    QStringLiteral("< 200 us"), show < 200e-6});

    printTable(rows);
    if (quick)
        std::printf("(quick run on %d entries: the targets are for the full run)\n", entries);
    return sink == 42 ? 1 : 0;
}
