// Huge entries and words: how long opening one holds the GUI thread, and
// what it keeps in memory. Each shape is an entry (or head word) of tens of
// megabytes in a dictionary of its own; opening it is what the main window
// does on Enter: fetch, render into the entry view, lay out and paint. The
// target is the answer to the user's next key: within 100 ms; a frame is
// 16.7 ms. An ordinary entry is measured in the same run as the baseline.
#include "bench/bench_help.h"
#include "dict/dict_file.h"
#include "dict/entry_renderer.h"
#include "dict/index_builder.h"
#include "dict/word_list.h"
#include "view/styled_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

using namespace lexivoce;

namespace {

constexpr double kTargetMs = 100;
constexpr double kFrameMs = 1000.0 / 60;

const QByteArray kHeader = "@00-database-info\r\n-x\r\n@00-database-short\r\n-x\r\n@00-database-url\r\n-x\r\n";
const QByteArray kOrdinary = "@abroad /ə'brɔ:d/\r\n*phó từ\r\n-ở nước ngoài, ra nước ngoài\r\n"
                             "=to live abroad+ sống ở nước ngoài\r\n!from abroad\r\n-từ nước ngoài\r\n";

double heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

QByteArray repeated(const QByteArray &piece, qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + piece.size());
    while (bytes.size() < size)
        bytes += piece;
    return bytes;
}

struct Shape
{
    const char *Name;
    QByteArray HeadWord;
    std::function<QByteArray()> Entry;
};

struct Row
{
    std::string Measure;
    double Ms;
    double HeldMb;
    bool Cut;
};

// Writes header + entry, builds the index and loads the word list.
bool prepare(const QString &path, const QByteArray &entry, dict::TWordList &list)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kHeader) != kHeader.size()
        || file.write(entry) != entry.size())
        return false;
    file.close();
    dict::BuildIndex(path);
    dict::LoadIndex(dict::IndexFileName(path), list);
    return list.Count() > 0;
}

// Best of runs: fetch, render into the shown view, lay out and paint.
Row openEntry(const char *name, const QString &path, const dict::TWordList &list, view::TStyledView &view)
{
    dict::TDictFile file;
    file.Open(path);
    double best = 1e30;
    double held = 0;
    bool cut = false;
    for (int run = 0; run < 3; ++run) {
        view.Clear();
        view.Format();
        QApplication::processEvents();
        const double before = heapBytes();
        QElapsedTimer timer;
        timer.start();
        bool fetchCut = false;
        const QByteArray entry = file.ReadEntry(list.Location(0), &fetchCut);
        cut = dict::RenderEntry(*view.Document(), entry) || fetchCut;
        view.repaint();
        QApplication::processEvents();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        held = std::max(held, heapBytes() - before);
    }
    return {name, best, held / 1e6, cut};
}

} // namespace

int main(int argc, char **argv)
{
    if (bench::AnswerHelp(argc, argv,
                          "Usage: lexivoce-entry-bench\n"
                          "Opens huge entries and head words as the main window does and prints how\n"
                          "long each holds the GUI thread and what it keeps in memory, next to an\n"
                          "ordinary entry measured in the same run.\n"))
        return 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.dict"));

    view::TStyledView view;
    view.resize(700, 500);
    view.show();

    constexpr qsizetype kMb = 1024 * 1024;
    const std::vector<Shape> shapes = {
        {"ordinary entry (baseline)", "abroad", [] { return kOrdinary; }},
        {"40 MB meaning line", "huge", [] { return "@huge\r\n-" + repeated("con chó nhỏ ", 40 * kMb); }},
        {"15 MB example line", "huge", [] { return "@huge\r\n=" + repeated("dog cat ", 15 * kMb) + "+ chó"; }},
        {"40 MB of idiom lines", "huge", [] { return "@huge\r\n" + repeated("!a b\r\n", 40 * kMb); }},
        {"40 MB of one-letter lines", "huge", [] { return "@huge\r\n" + repeated("-x\r\n", 40 * kMb); }},
        {"40 MB run without a blank", "huge", [] { return "@huge\r\n-" + repeated("abcdefghij", 40 * kMb); }},
        {"40 MB Vietnamese run", "huge", [] { return "@huge\r\n-" + repeated("ệ", 40 * kMb); }},
    };

    std::vector<Row> rows;
    double baseline = 0;
    for (const Shape &shape : shapes) {
        dict::TWordList list;
        if (!prepare(path, shape.Entry(), list)) {
            std::fprintf(stderr, "cannot prepare %s\n", shape.Name);
            return 1;
        }
        rows.push_back(openEntry(shape.Name, path, list, view));
        if (baseline == 0)
            baseline = rows.back().Ms;
    }

    // A 50 MB head word: the word list shown and walked. (Loading its index
    // reads 50 MB like any index of that size.)
    {
        dict::TWordList list;
        const QByteArray word = repeated("w", 50 * kMb);
        if (!prepare(path, "@" + word + "\r\n-x\r\n" + kOrdinary, list))
            return 1;
        QListView listView;
        listView.resize(300, 500);
        QElapsedTimer timer;
        timer.start();
        listView.setModel(&list);
        listView.show();
        for (int i = 0; i < list.Count(); ++i) {
            listView.setCurrentIndex(list.index(i));
            listView.repaint();
            QApplication::processEvents();
        }
        rows.push_back({"50 MB head word: show and walk the list", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                        0, list.Word(0).size() < word.size()});
    }

    std::printf("\n| %-42s | %10s | %7s | %8s | %9s | %4s | %-4s |\n", "opening", "ms", "frames", "× base",
                "held MB", "cut", "met");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(44, '-').c_str(), std::string(12, '-').c_str(),
                std::string(9, '-').c_str(), std::string(10, '-').c_str(), std::string(11, '-').c_str(),
                std::string(6, '-').c_str(), std::string(6, '-').c_str());
    for (const Row &row : rows)
        std::printf("| %-42s | %10.1f | %7.1f | %8.1f | %9.1f | %4s | %-4s |\n", row.Measure.c_str(), row.Ms,
                    row.Ms / kFrameMs, row.Ms / baseline, row.HeldMb, row.Cut ? "yes" : "no",
                    row.Ms < kTargetMs ? "yes" : "NO");
    std::printf("(target: every opening within %.0f ms, the answer to the next key)\n", kTargetMs);
    return 0;
}
