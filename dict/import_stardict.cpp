#include "dict/import_stardict.h"

#include "dict/import_markup.h"
#include "lang/error.h"

#include <QHash>

#include <cctype>
#include <cstring>
#include <optional>

namespace lexivoce::dict {

namespace {

QString stemOf(const QString &source)
{
    for (const char *suffix : {".ifo", ".idx.gz", ".idx", ".dict.dz", ".dict"}) {
        const QString ending = QString::fromLatin1(suffix);
        if (source.endsWith(ending))
            return source.chopped(ending.size());
    }
    return source;
}

struct TIfo
{
    QHash<QByteArray, QByteArray> Values;

    QByteArray Value(const char *key) const { return Values.value(QByteArray(key)); }
};

TIfo readIfo(const QString &path, QByteArrayView bytes)
{
    constexpr QByteArrayView kMagic("StarDict's dict ifo file");
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (!bytes.startsWith(kMagic))
        throw Error(SourceError(path, QStringLiteral("it is no StarDict .ifo file (its first line must be \"%1\")")
                                          .arg(QString::fromLatin1(kMagic))));
    TIfo ifo;
    ForEachLine(bytes.sliced(kMagic.size()), [&ifo](QByteArrayView line) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            ifo.Values.insert(TrimBytes(line.first(equals)).toByteArray(), TrimBytes(line.sliced(equals + 1)).toByteArray());
    });
    return ifo;
}

// A whole number the .ifo must give.
std::uint64_t requiredNumber(const QString &path, const TIfo &ifo, const char *key)
{
    const QByteArray text = ifo.Value(key);
    bool ok = false;
    const std::uint64_t value = text.toULongLong(&ok);
    if (!ok)
        throw Error(SourceError(path, text.isEmpty()
                                          ? QStringLiteral("it does not give %1").arg(QString::fromLatin1(key))
                                          : QStringLiteral("its %1 \"%2\" is not a number")
                                                .arg(QString::fromLatin1(key), QString::fromUtf8(text))));
    return value;
}

std::uint64_t readBigEndian(const char *p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

// The readable parts of one word's data.
struct TFields
{
    QByteArray Text;
    QByteArray Transcription;

    void Add(char type, QByteArrayView payload)
    {
        switch (type) {
        case 'm': case 'l': case 'y': case 'w':
            append(payload);
            break;
        case 't':
            if (Transcription.isEmpty())
                Transcription = payload.toByteArray();
            break;
        case 'h':
            append(MarkupToText(payload, TMarkup::Html).Text);
            break;
        case 'g': case 'k':
            append(MarkupToText(payload, TMarkup::Pango).Text);
            break;
        case 'x': {
            TMarkupText text = MarkupToText(payload, TMarkup::Xdxf);
            append(text.Text);
            if (Transcription.isEmpty())
                Transcription = std::move(text.Transcription);
            break;
        }
        default: // WordNet, resource lists, binary fields
            break;
        }
    }

private:
    void append(QByteArrayView text)
    {
        if (!Text.isEmpty())
            Text.append('\n');
        Text.append(text);
    }
};

bool isBinaryType(char type)
{
    return std::isupper(static_cast<unsigned char>(type)) != 0;
}

// Splits data into fields: with a same-type sequence the types are given
// and the last field runs to the end; without one each field starts with
// its type. Text fields end at a NUL, binary fields give their size first.
// Returns false when a field runs past the end.
bool splitFields(QByteArrayView data, QByteArrayView sameTypes, TFields &fields)
{
    qsizetype pos = 0;
    qsizetype typeIndex = 0;
    for (;;) {
        char type = 0;
        bool last = false;
        if (!sameTypes.isEmpty()) {
            if (typeIndex == sameTypes.size())
                break;
            type = sameTypes[typeIndex];
            last = ++typeIndex == sameTypes.size();
        } else {
            if (pos >= data.size())
                break;
            type = data[pos++];
        }
        const QByteArrayView rest = data.sliced(pos);
        if (isBinaryType(type)) {
            if (last)
                break;
            if (rest.size() < 4)
                return false;
            const std::uint64_t size = readBigEndian(rest.data(), 4);
            if (size > static_cast<std::uint64_t>(rest.size() - 4))
                return false;
            pos += 4 + static_cast<qsizetype>(size);
            continue;
        }
        if (last) {
            fields.Add(type, rest);
            break;
        }
        const qsizetype nul = rest.indexOf('\0');
        fields.Add(type, nul < 0 ? rest : rest.first(nul));
        pos += nul < 0 ? rest.size() : nul + 1;
    }
    return true;
}

} // namespace

TImportedText ConvertStarDict(const QString &source)
{
    const QString stem = stemOf(source);
    const QString ifoPath = stem + QStringLiteral(".ifo");
    const TIfo ifo = readIfo(ifoPath, ReadSourceFile(ifoPath));
    const std::uint64_t wordCount = requiredNumber(ifoPath, ifo, "wordcount");
    const std::uint64_t idxFileSize = requiredNumber(ifoPath, ifo, "idxfilesize");
    const QByteArray offsetBits = ifo.Value("idxoffsetbits");
    if (!offsetBits.isEmpty() && offsetBits != "32" && offsetBits != "64")
        throw Error(SourceError(ifoPath, QStringLiteral("its idxoffsetbits is %1; StarDict knows 32 and 64")
                                             .arg(QString::fromUtf8(offsetBits))));
    const int offsetBytes = offsetBits == "64" ? 8 : 4;
    const QByteArray sameTypes = ifo.Value("sametypesequence");

    const TSourceFile idx = ReadFirstSourceFile(stem, {".idx", ".idx.gz"});
    if (static_cast<std::uint64_t>(idx.Bytes.size()) != idxFileSize)
        throw Error(SourceError(idx.Path, QStringLiteral("it holds %1 bytes, but \"%2\" says idxfilesize=%3")
                                              .arg(idx.Bytes.size()).arg(ifoPath).arg(idxFileSize)));
    const TSourceFile data = ReadFirstSourceFile(stem, {".dict.dz", ".dict"});

    TImportedText imported;
    imported.Name = QString::fromUtf8(ifo.Value("bookname"));
    TDictTextWriter writer;
    try {
        writer.WriteHeader(MarkupToText(ifo.Value("description"), TMarkup::Html).Text, ifo.Value("bookname"),
                           ifo.Value("website"));
    } catch (const TDictTextWriter::TNotUtf8 &) {
        throw Error(SourceError(ifoPath, QStringLiteral("its texts are not UTF-8")));
    }

    const QByteArrayView index = idx.Bytes;
    const QByteArrayView dictData = data.Bytes;
    std::uint64_t words = 0;
    qsizetype pos = 0;
    while (pos < index.size()) {
        const qsizetype nul = index.indexOf('\0', pos);
        if (nul < 0 || index.size() - (nul + 1) < offsetBytes + 4)
            throw Error(SourceError(idx.Path, QStringLiteral("it is cut short inside its word number %1")
                                                  .arg(words + 1)));
        const QByteArrayView word = index.sliced(pos, nul - pos);
        const std::uint64_t offset = readBigEndian(index.data() + nul + 1, offsetBytes);
        const std::uint64_t size = readBigEndian(index.data() + nul + 1 + offsetBytes, 4);
        pos = nul + 1 + offsetBytes + 4;
        ++words;
        const auto dataSize = static_cast<std::uint64_t>(dictData.size());
        if (offset > dataSize || size > dataSize - offset)
            throw Error(SourceError(idx.Path, QStringLiteral("the word \"%1\" points past the end of \"%2\" "
                                                             "(offset %3, size %4, %5 bytes there)")
                                                  .arg(QString::fromUtf8(word), data.Path)
                                                  .arg(offset).arg(size).arg(dataSize)));
        TFields fields;
        if (!splitFields(dictData.sliced(static_cast<qsizetype>(offset), static_cast<qsizetype>(size)), sameTypes,
                         fields))
            throw Error(SourceError(data.Path, QStringLiteral("the data of \"%1\" is damaged: a field runs past "
                                                              "its end")
                                                   .arg(QString::fromUtf8(word))));
        try {
            WritePlainEntry(writer, word, fields.Text, fields.Transcription);
        } catch (const TDictTextWriter::TNotUtf8 &) {
            throw Error(SourceError(data.Path, QStringLiteral("the entry of \"%1\" is not UTF-8 text")
                                                   .arg(QString::fromUtf8(word))));
        }
    }
    if (words != wordCount)
        throw Error(SourceError(idx.Path, QStringLiteral("it holds %1 words, but \"%2\" says wordcount=%3")
                                              .arg(words).arg(ifoPath).arg(wordCount)));
    if (writer.Entries() == 0)
        throw Error(SourceError(idx.Path, QStringLiteral("it holds no entries")));
    imported.Entries = writer.Entries();
    imported.Text = writer.TakeText();
    return imported;
}

} // namespace lexivoce::dict
