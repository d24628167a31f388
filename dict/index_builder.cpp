#include "dict/index_builder.h"

#include "dict/index_number.h"
#include "dict/locked_file.h"
#include "dict/text.h"
#include "lang/error.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cstring>
#include <memory>

namespace lexivoce::dict {

QString IndexFileName(const QString &dictPath)
{
    const qsizetype slash = dictPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = dictPath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? dictPath.left(dot) : dictPath;
    return stem + QStringLiteral(".index");
}

void TIndexBuilder::Feed(const char *data, std::int64_t size)
{
    const char *p = data;
    const char *end = data + size;
    while (p < end) {
        if (!m_collecting) {
            const auto *at = static_cast<const char *>(std::memchr(p, '@', static_cast<size_t>(end - p)));
            if (!at) {
                m_pos += end - p;
                return;
            }
            m_pos += at - p;
            p = at;
        } else {
            const char *q = p;
            while (q < end && *q != '@' && *q != '\n' && *q != '\r' && *q != '/')
                ++q;
            m_word.append(p, q - p);
            m_pos += q - p;
            p = q;
            if (p == end)
                return;
            if (*p != '@') {
                m_collecting = false;
                ++p;
                ++m_pos;
                continue;
            }
        }
        EndEntryAt(m_pos);
        ++p;
        ++m_pos;
    }
}

void TIndexBuilder::EndEntryAt(std::int64_t atPosition)
{
    if (atPosition > m_entryStart) {
        WriteLine(m_entryStart, atPosition - m_entryStart);
        m_out.append('\n');
    }
    m_entryStart = atPosition;
    m_collecting = true;
    m_word.clear();
}

void TIndexBuilder::Finish()
{
    WriteLine(m_entryStart, m_pos - m_entryStart);
    m_collecting = false;
}

void TIndexBuilder::WriteLine(std::int64_t offset, std::int64_t length)
{
    const qsizetype start = m_out.size();
    m_out.append(TrimBytes(m_word));
    // A TAB inside the word would be read back as the field separator and
    // give the word a wrong offset.
    for (qsizetype i = start; i < m_out.size(); ++i) {
        if (m_out[i] == '\t')
            m_out[i] = ' ';
    }
    m_out.append('\t');
    AppendIndexNumber(m_out, static_cast<std::uint32_t>(offset));
    m_out.append('\t');
    AppendIndexNumber(m_out, static_cast<std::uint32_t>(length));
}

TJobResult BuildIndex(const QString &dictPath, TJobReporter *reporter)
{
    if (!QFileInfo(dictPath).isFile())
        return TJobResult::NoFile;

    TJobPacer pacer(reporter);
    pacer.Notice(lang::MSG14);

    TLockedFile dict;
    dict.Open(dictPath, TLockedFile::TLock::Shared);
    const std::int64_t size = dict.Size();
    if (size > kMaxDictionarySize)
        throw Error(TooLargeMessage(dictPath));

    const QString indexPath = IndexFileName(dictPath);
    QSaveFile index(indexPath);
    if (!index.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(indexPath, index.errorString()));

    constexpr std::int64_t kChunk = 256 * 1024;
    auto buffer = std::make_unique<char[]>(kChunk);
    QByteArray lines;
    TIndexBuilder builder(lines);
    pacer.SetProgress(0);
    try {
        for (;;) {
            const std::int64_t n = dict.Read(buffer.get(), kChunk);
            if (n == 0)
                break;
            builder.Feed(buffer.get(), n);
            if (lines.size() >= kChunk) {
                if (index.write(lines) != lines.size())
                    throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(indexPath, index.errorString()));
                lines.clear();
            }
            if (size > 0)
                pacer.SetProgress(static_cast<int>(std::min<std::int64_t>(builder.Position(), size) * 100 / size));
            pacer.Step();
        }
    } catch (const TJobCancelled &) {
        index.cancelWriting();
        return TJobResult::Cancelled;
    }
    builder.Finish();
    if (index.write(lines) != lines.size() || !index.commit())
        throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(indexPath, index.errorString()));
    pacer.SetProgress(100);
    return TJobResult::Done;
}

} // namespace lexivoce::dict
