#include "dict/import_dictd.h"

#include "lang/error.h"

#include <array>
#include <vector>

namespace lexivoce::dict {

std::optional<std::uint64_t> DecodeDictdNumber(QByteArrayView text)
{
    static constexpr auto kValues = [] {
        std::array<signed char, 256> values{};
        values.fill(-1);
        const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            values[static_cast<unsigned char>(digits[i])] = static_cast<signed char>(i);
        return values;
    }();
    // Eight digits are 48 bits: far beyond any dictionary, far below overflow.
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = kValues[static_cast<unsigned char>(c)];
        if (digit < 0)
            return std::nullopt;
        value = value * 64 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

namespace {

QString stemOf(const QString &source)
{
    for (const char *suffix : {".index", ".dict.dz", ".dict"}) {
        const QString ending = QString::fromLatin1(suffix);
        if (source.endsWith(ending))
            return source.chopped(ending.size());
    }
    return source;
}

// What a 00-database-* word is about ("info", "short", "url"...), or empty
// when word is an entry's.
QByteArrayView metadataKind(QByteArrayView word)
{
    for (const QByteArrayView prefix : {QByteArrayView("00-database-"), QByteArrayView("00database")}) {
        if (word.startsWith(prefix))
            return word.sliced(prefix.size());
    }
    return {};
}

// A metadata entry's lines, less the lines that name the entry itself.
QByteArray metadataText(QByteArrayView text)
{
    QByteArray kept;
    ForEachLine(text, [&kept](QByteArrayView line) {
        if (!metadataKind(line).isEmpty())
            return;
        kept.append(line);
        kept.append('\n');
    });
    return kept;
}

QByteArrayView firstLine(QByteArrayView text)
{
    const qsizetype end = text.indexOf('\n');
    return end < 0 ? text : text.first(end);
}

struct TIndexLine
{
    QByteArrayView Word;
    std::uint64_t Offset;
    std::uint64_t Length;
};

} // namespace

TImportedText ConvertDictd(const QString &source)
{
    const QString stem = stemOf(source);
    const TSourceFile index = ReadFirstSourceFile(stem, {".index"});
    const TSourceFile data = ReadFirstSourceFile(stem, {".dict.dz", ".dict"});
    const QByteArrayView text = data.Bytes;
    const auto textSize = static_cast<std::uint64_t>(text.size());

    // The index is read once; the header entries come first in our file, and
    // the metadata may stand anywhere in the index.
    std::vector<TIndexLine> entries;
    QByteArray info, shortName, url;
    const QByteArrayView lines = index.Bytes;
    qsizetype start = 0;
    qsizetype lineNumber = 0;
    while (start < lines.size()) {
        qsizetype end = lines.indexOf('\n', start);
        if (end < 0)
            end = lines.size();
        QByteArrayView line = lines.sliced(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (TrimBytes(line).isEmpty())
            continue;
        const auto lineError = [&](const QString &what) {
            return Error(SourceError(index.Path, QStringLiteral("line %1 %2").arg(lineNumber).arg(what)));
        };
        const qsizetype tab1 = line.indexOf('\t');
        const qsizetype tab2 = tab1 < 0 ? -1 : line.indexOf('\t', tab1 + 1);
        if (tab2 < 0)
            throw lineError(QStringLiteral("is not \"word TAB offset TAB length\""));
        const qsizetype tab3 = line.indexOf('\t', tab2 + 1);
        const QByteArrayView offsetDigits = line.sliced(tab1 + 1, tab2 - tab1 - 1);
        const QByteArrayView lengthDigits = tab3 < 0 ? line.sliced(tab2 + 1) : line.sliced(tab2 + 1, tab3 - tab2 - 1);
        const std::optional<std::uint64_t> offset = DecodeDictdNumber(offsetDigits);
        const std::optional<std::uint64_t> length = DecodeDictdNumber(lengthDigits);
        if (!offset || !length)
            throw lineError(QStringLiteral("gives \"%1\" where a number in dictd's digits (A-Z a-z 0-9 + /) belongs")
                                .arg(QString::fromUtf8(!offset ? offsetDigits : lengthDigits)));
        if (*offset > textSize || *length > textSize - *offset)
            throw lineError(QStringLiteral("points past the end of \"%1\" (offset %2, length %3, %4 bytes there)")
                                .arg(data.Path).arg(*offset).arg(*length).arg(textSize));
        QByteArrayView word = TrimBytes(line.first(tab1));
        // A fourth field keeps the word as written when the first is folded.
        if (tab3 >= 0 && !TrimBytes(line.sliced(tab3 + 1)).isEmpty())
            word = TrimBytes(line.sliced(tab3 + 1));
        const QByteArrayView entryText = text.sliced(static_cast<qsizetype>(*offset), static_cast<qsizetype>(*length));
        const QByteArrayView kind = metadataKind(TrimBytes(line.first(tab1)));
        if (kind == "info")
            info = metadataText(entryText);
        else if (kind == "short")
            shortName = firstLine(metadataText(entryText)).toByteArray();
        else if (kind == "url")
            url = firstLine(metadataText(entryText)).toByteArray();
        else if (kind.isEmpty())
            entries.push_back({word, *offset, *length});
    }

    TImportedText imported;
    imported.Name = QString::fromUtf8(shortName).trimmed();
    TDictTextWriter writer;
    try {
        writer.WriteHeader(info, shortName, url);
    } catch (const TDictTextWriter::TNotUtf8 &) {
        throw Error(SourceError(data.Path, QStringLiteral("its 00-database entries are not UTF-8 text")));
    }
    for (const TIndexLine &entry : entries) {
        try {
            WritePlainEntry(writer, entry.Word,
                            text.sliced(static_cast<qsizetype>(entry.Offset), static_cast<qsizetype>(entry.Length)));
        } catch (const TDictTextWriter::TNotUtf8 &) {
            throw Error(SourceError(data.Path, QStringLiteral("the entry of \"%1\" is not UTF-8 text")
                                                   .arg(QString::fromUtf8(entry.Word))));
        }
    }
    if (writer.Entries() == 0)
        throw Error(SourceError(index.Path, QStringLiteral("it holds no entries")));
    imported.Entries = writer.Entries();
    imported.Text = writer.TakeText();
    return imported;
}

} // namespace lexivoce::dict
