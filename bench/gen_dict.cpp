// lexivoce-gen-dict FILE [ENTRIES] [--unsorted]: writes a generated
// dictionary for benchmarks and manual trials.
#include "bench/dict_generator.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs("Usage: lexivoce-gen-dict FILE [ENTRIES] [--unsorted]\n", stdout);
        return 0;
    }
    const bool unsorted = args.removeAll(QStringLiteral("--unsorted")) > 0;
    if (args.isEmpty() || args.size() > 2) {
        std::fputs("Usage: lexivoce-gen-dict FILE [ENTRIES] [--unsorted]\n", stderr);
        return 1;
    }
    lexivoce::bench::TGeneratorOptions options;
    if (args.size() == 2)
        options.Entries = args[1].toInt();
    options.Sorted = !unsorted;
    const QByteArray bytes = lexivoce::bench::GenerateDictionary(options);
    QFile file(args[0]);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "lexivoce-gen-dict: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    return 0;
}
