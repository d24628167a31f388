#include "dict/import_markup.h"

#include <QByteArrayList>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace lexivoce::dict {

namespace {

void appendCodePoint(QByteArray &out, std::uint32_t c)
{
    if (c < 0x80) {
        out.append(static_cast<char>(c));
    } else if (c < 0x800) {
        out.append(static_cast<char>(0xC0 | (c >> 6)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(static_cast<char>(0xE0 | (c >> 12)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (c >> 18)));
        out.append(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes the character reference at markup[i] ('&') into out; returns the
// number of bytes it took, or 0 when it is none.
qsizetype decodeEntity(QByteArrayView markup, qsizetype i, QByteArray &out)
{
    constexpr qsizetype kLongest = 12;
    const qsizetype semicolon = markup.sliced(i, std::min(kLongest, markup.size() - i)).indexOf(';');
    if (semicolon < 2)
        return 0;
    const QByteArrayView name = markup.sliced(i + 1, semicolon - 1);
    static const struct {
        QByteArrayView Name;
        std::uint32_t Code;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
    for (const auto &entity : kNamed) {
        if (name == entity.Name) {
            out.append(static_cast<char>(entity.Code));
            return semicolon + 1;
        }
    }
    if (!name.startsWith('#'))
        return 0;
    const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    bool ok = false;
    const std::uint32_t code = QByteArray(digits.data(), digits.size()).toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    appendCodePoint(out, code < 0x20 ? ' ' : code);
    return semicolon + 1;
}

// The lower-case name of the tag between '<' and '>' (a leading '/' and
// attributes left out).
QByteArray tagName(QByteArrayView tag)
{
    qsizetype start = tag.startsWith('/') ? 1 : 0;
    qsizetype end = start;
    while (end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[end])) || tag[end] == '-'))
        ++end;
    return QByteArray(tag.data() + start, end - start).toLower();
}

bool breaksLine(TMarkup kind, const QByteArray &name)
{
    static const QByteArrayList kHtmlBlocks = {"br", "p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6",
                                               "blockquote", "dt", "dd", "hr", "ul", "ol", "table"};
    static const QByteArrayList kXdxfBlocks = {"br", "ex", "def", "blockquote"};
    if (kind == TMarkup::Html)
        return kHtmlBlocks.contains(name);
    if (kind == TMarkup::Xdxf)
        return kXdxfBlocks.contains(name);
    return false;
}

// Tags whose content is never text to read.
bool dropsContent(TMarkup kind, const QByteArray &name)
{
    if (name == "script" || name == "style")
        return true;
    return kind == TMarkup::Xdxf && (name == "k" || name == "rref" || name == "tr");
}

} // namespace

TMarkupText MarkupToText(QByteArrayView markup, TMarkup kind)
{
    TMarkupText result;
    QByteArray &out = result.Text;
    out.reserve(markup.size());
    qsizetype i = 0;
    while (i < markup.size()) {
        const char c = markup[i];
        if (c == '&') {
            const qsizetype taken = decodeEntity(markup, i, out);
            if (taken > 0) {
                i += taken;
                continue;
            }
            out.append(c);
            ++i;
            continue;
        }
        if (c == '<') {
            const qsizetype close = markup.indexOf('>', i + 1);
            const QByteArray name = close > i ? tagName(markup.sliced(i + 1, close - i - 1)) : QByteArray();
            if (name.isEmpty()) {
                out.append(c);
                ++i;
                continue;
            }
            const bool closing = markup[i + 1] == '/';
            const bool selfClosing = markup[close - 1] == '/';
            i = close + 1;
            if (breaksLine(kind, name))
                out.append('\n');
            if (!closing && !selfClosing && dropsContent(kind, name)) {
                const QByteArray end = "</" + name;
                qsizetype stop = i;
                // Case of the closing tag as written: HTML is case-blind.
                while ((stop = markup.indexOf('<', stop)) >= 0
                       && markup.sliced(stop, std::min<qsizetype>(end.size(), markup.size() - stop)).toByteArray().toLower()
                              != end)
                    ++stop;
                const qsizetype contentEnd = stop < 0 ? markup.size() : stop;
                if (name == "tr" && result.Transcription.isEmpty())
                    result.Transcription = MarkupToText(markup.sliced(i, contentEnd - i), TMarkup::Pango).Text;
                const qsizetype after = stop < 0 ? -1 : markup.indexOf('>', stop);
                i = after < 0 ? markup.size() : after + 1;
            }
            continue;
        }
        if (kind == TMarkup::Html && (c == '\n' || c == '\r' || c == '\t'))
            out.append(' ');
        else
            out.append(c);
        ++i;
    }
    return result;
}

} // namespace lexivoce::dict
