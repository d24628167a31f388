#include "dict/dict_sorter.h"

#include "dict/locked_file.h"
#include "dict/text.h"
#include "lang/error.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace lexivoce::dict {

QString SortKey(QByteArrayView entry)
{
    const qsizetype lineEnd = entry.indexOf(QByteArrayView("\r\n"));
    const QByteArrayView key = lineEnd >= 0 ? entry.sliced(1, lineEnd - 1) : entry;
    const QString decoded = DecodeUtf8(key);
    return TrimText(decoded).toString().toLower();
}

int CompareEntries(QByteArrayView first, QByteArrayView second)
{
    const int order = QStringView(SortKey(first)).compare(SortKey(second));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

namespace {

// Splits at every '@': each piece starts at an '@', except a preamble.
std::vector<QByteArrayView> splitEntries(QByteArrayView bytes, TJobPacer *pacer)
{
    std::vector<QByteArrayView> entries;
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    const char *start = begin;
    while (start < end) {
        const auto *next = static_cast<const char *>(
            std::memchr(start + 1, '@', static_cast<size_t>(end - start - 1)));
        const char *stop = next ? next : end;
        entries.emplace_back(start, stop - start);
        start = stop;
        if (pacer) {
            pacer->SetProgress(static_cast<int>(static_cast<std::int64_t>(stop - begin) * 100 / bytes.size()));
            pacer->Tick();
        }
    }
    return entries;
}

bool endsWithLineEnd(QByteArrayView entry)
{
    return !entry.isEmpty() && (entry.back() == '\n' || entry.back() == '\r');
}

} // namespace

QByteArray SortDictionaryBytes(QByteArrayView bytes, TJobPacer *pacer)
{
    const std::vector<QByteArrayView> entries = splitEntries(bytes, pacer);

    std::vector<QString> keys;
    keys.reserve(entries.size());
    for (const QByteArrayView entry : entries) {
        keys.push_back(SortKey(entry));
        if (pacer)
            pacer->Tick();
    }

    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (pacer)
            pacer->Tick();
        return QStringView(keys[a]) < QStringView(keys[b]);
    });

    QByteArray sorted;
    sorted.reserve(bytes.size() + 2 * static_cast<qsizetype>(entries.size()));
    for (const std::uint32_t i : order) {
        sorted.append(entries[i]);
        if (!endsWithLineEnd(entries[i]))
            sorted.append("\r\n", 2);
    }
    return sorted;
}

TJobResult SortDictionary(const QString &dictPath, TJobReporter *reporter)
{
    if (!QFileInfo(dictPath).isFile())
        return TJobResult::NoFile;

    TJobPacer pacer(reporter);
    pacer.Notice(lang::MSG17);

    // Held until the new file is in place: no reader can open the old one
    // meanwhile, and a reader that already has it makes this fail at once.
    TLockedFile file;
    const std::int64_t size = OpenWholeDictionary(file, dictPath, TLockedFile::TLock::Exclusive);

    try {
        QByteArray bytes(size, Qt::Uninitialized);
        std::int64_t done = 0;
        constexpr std::int64_t kChunk = 1024 * 1024;
        while (done < size) {
            const std::int64_t n = file.Read(bytes.data() + done, std::min(kChunk, size - done));
            if (n == 0)
                break;
            done += n;
            pacer.Step();
        }
        bytes.truncate(done);

        const QByteArray sorted = SortDictionaryBytes(bytes, &pacer);
        pacer.SetProgress(100);

        QSaveFile out(dictPath);
        const auto fail = [&] {
            return Error(WriteFailedMessage(dictPath, out.errorString()));
        };
        if (!out.open(QIODevice::WriteOnly))
            throw fail();
        for (qsizetype at = 0; at < sorted.size(); at += kChunk) {
            const qsizetype n = std::min<qsizetype>(kChunk, sorted.size() - at);
            if (out.write(sorted.constData() + at, n) != n)
                throw fail();
            pacer.Step();
        }
        if (!out.commit())
            throw fail();
    } catch (const TJobCancelled &) {
        return TJobResult::Cancelled;
    }
    return TJobResult::Done;
}

} // namespace lexivoce::dict
