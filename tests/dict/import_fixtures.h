#pragma once

// Small sources of each format, written by the tests themselves.

#include "dict/entry_renderer.h"
#include "dict/index_builder.h"
#include "dict/dict_file.h"
#include "dict/word_list.h"
#include "view/styled_document.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zlib.h>

#include <utility>
#include <vector>

namespace lexivoce::test {

using TSourceEntries = std::vector<std::pair<QByteArray, QByteArray>>; // word, text

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QByteArray Gzip(const QByteArray &bytes)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(bytes.size()))) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// A number in dictd's base-64 digits.
inline QByteArray DictdNumber(quint64 value)
{
    const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray text;
    do {
        text.prepend(digits[value % 64]);
        value /= 64;
    } while (value > 0);
    return text;
}

// stem.index and stem.dict (stem.dict.dz when compressed); returns the index.
inline QByteArray WriteDictd(const QString &stem, const TSourceEntries &entries, bool compressed = false)
{
    QByteArray index;
    QByteArray text;
    QByteArray where; // TAB offset TAB length of the last text
    for (const auto &[word, body] : entries) {
        // An empty text stands for the previous one: a second word of it.
        if (!body.isEmpty()) {
            where = '\t' + DictdNumber(static_cast<quint64>(text.size())) + '\t'
                  + DictdNumber(static_cast<quint64>(body.size()));
            text += body;
        }
        index += word + where + '\n';
    }
    WriteBytes(stem + QStringLiteral(".index"), index);
    WriteBytes(stem + (compressed ? QStringLiteral(".dict.dz") : QStringLiteral(".dict")),
               compressed ? Gzip(text) : text);
    return index;
}

struct TStarDict
{
    TSourceEntries Entries; // word, the entry's data as stored
    QByteArray IfoLines;    // more key=value lines
    bool Offsets64 = false;
    bool Compressed = false;

    // Writes stem.ifo, stem.idx (.idx.gz) and stem.dict (.dict.dz); returns
    // the .idx bytes.
    QByteArray Write(const QString &stem) const
    {
        QByteArray idx;
        QByteArray data;
        const auto bigEndian = [&idx](quint64 value, int bytes) {
            for (int i = bytes - 1; i >= 0; --i)
                idx.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        };
        for (const auto &[word, body] : Entries) {
            idx += word + '\0';
            bigEndian(static_cast<quint64>(data.size()), Offsets64 ? 8 : 4);
            bigEndian(static_cast<quint64>(body.size()), 4);
            data += body;
        }
        QByteArray ifo = "StarDict's dict ifo file\nversion=" + QByteArray(Offsets64 ? "3.0.0" : "2.4.2") + "\n";
        ifo += "wordcount=" + QByteArray::number(static_cast<qsizetype>(Entries.size())) + "\n";
        ifo += "idxfilesize=" + QByteArray::number(idx.size()) + "\n";
        if (Offsets64)
            ifo += "idxoffsetbits=64\n";
        ifo += IfoLines;
        WriteBytes(stem + QStringLiteral(".ifo"), ifo);
        WriteBytes(stem + (Compressed ? QStringLiteral(".idx.gz") : QStringLiteral(".idx")),
                   Compressed ? Gzip(idx) : idx);
        WriteBytes(stem + (Compressed ? QStringLiteral(".dict.dz") : QStringLiteral(".dict")),
                   Compressed ? Gzip(data) : data);
        return idx;
    }
};

// UTF-16LE with its byte-order mark, as DSL files usually are.
inline QByteArray Utf16Le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// The entry of word in the dictionary at dictPath, found through its index
// and rendered as the program renders it; empty when it is not found.
inline QString LookUp(const QString &dictPath, const QString &word, view::TStyledDocument *document = nullptr)
{
    dict::TWordList list;
    dict::LoadIndex(dict::IndexFileName(dictPath), list);
    const int position = dict::FindExact(word, list);
    if (position < 0)
        return QString();
    dict::TDictFile file;
    file.Open(dictPath);
    const QByteArray entry = file.ReadEntry(list.Location(position));
    if (!dict::IsEntryOf(entry, list.Word(position)))
        return QStringLiteral("<the index leads elsewhere>");
    view::TStyledDocument own;
    view::TStyledDocument &doc = document ? *document : own;
    dict::RenderEntry(doc, entry);
    return doc.PlainText();
}

} // namespace lexivoce::test
