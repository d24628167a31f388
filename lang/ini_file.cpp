#include "lang/ini_file.h"

#include "lang/error.h"
#include "lang/save_file.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexivoce::lang {

namespace {

// What tells one version of the file on disk from another. Our own writes
// rename a new file over the old one, so a rewrite within the same clock tick
// still shows up as a new inode.
struct Stamp
{
    bool exists = false;
    int statError = 0;            // why the file could not be looked at
    mode_t mode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &fileName)
{
    Stamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0) {
        // A missing file, or a path through a file, is a file not yet
        // written; anything else is a file we cannot look at.
        if (errno != ENOENT && errno != ENOTDIR)
            stamp.statError = errno;
        return stamp;
    }
    stamp.exists = true;
    stamp.mode = st.st_mode;
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.inode = st.st_ino;
    stamp.device = st.st_dev;
    return stamp;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Only blanks and tabs, as the Windows reader trims; other white space is
// part of the value.
QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString foldName(QStringView name)
{
    return trimBlanks(name).toString().toCaseFolded();
}

enum class LineKind { Other, Header, Key };

// Classifies one line; name receives the section name of a header or the key
// name of a key line. A header's name runs to the last ']' of the line.
LineKind parseLine(const QString &line, QStringView *name)
{
    const QStringView text = trimBlanks(line);
    if (text.isEmpty() || text.front() == u';')
        return LineKind::Other;
    if (text.front() == u'[') {
        const qsizetype close = text.lastIndexOf(u']');
        if (close > 0) {
            *name = trimBlanks(text.sliced(1, close - 1));
            return LineKind::Header;
        }
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0)
        return LineKind::Other;
    *name = trimBlanks(text.first(eq));
    return name->isEmpty() ? LineKind::Other : LineKind::Key;
}

QString valueOfLine(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return trimBlanks(QStringView(line).sliced(eq + 1)).toString();
}

const char kFormatsWeRead[] = "Lexivoce reads UTF-16 little-endian with its byte-order mark, UTF-8 and 8-bit text";

// The text of the file's bytes, or an empty optional with *problem set when
// the bytes are in a form we do not read: rewriting such a file from what we
// made of it would mangle it.
std::optional<QString> decode(const QByteArray &bytes, QString *problem)
{
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) || bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4))) {
        *problem = QStringLiteral("It is UTF-32 text; ") + QLatin1String(kFormatsWeRead);
        return std::nullopt;
    }
    if (bytes.startsWith("\xFE\xFF")) {
        *problem = QStringLiteral("It is UTF-16 big-endian text; ") + QLatin1String(kFormatsWeRead);
        return std::nullopt;
    }
    if (bytes.startsWith("\xFF\xFE")) {
        // Code units are taken as they are, lone surrogates included, so that
        // a rewrite gives back the very same units; an odd last byte is lost.
        const qsizetype units = (bytes.size() - 2) / 2;
        QString text(units, Qt::Uninitialized);
        qFromLittleEndian<char16_t>(bytes.constData() + 2, units, text.data());
        return text;
    }
    if (bytes.contains('\0')) {
        *problem = QStringLiteral("It holds NUL bytes, so it is UTF-16 without its byte-order mark or no text "
                                  "at all; ")
                 + QLatin1String(kFormatsWeRead);
        return std::nullopt;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString readErrorMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Cannot read \"%1\". %2.").arg(fileName, reason);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The whole file, or the system's error number.
int readWhole(const QString &fileName, QByteArray *bytes)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno;
    int error = 0;
    constexpr qsizetype kChunk = 64 * 1024;
    for (;;) {
        const qsizetype at = bytes->size();
        bytes->resize(at + kChunk);
        const ssize_t n = ::read(fd, bytes->data() + at, kChunk);
        if (n < 0 && errno == EINTR) {
            bytes->truncate(at);
            continue;
        }
        bytes->truncate(at + std::max<ssize_t>(n, 0));
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
    }
    ::close(fd);
    return error;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}

QByteArray encode(const QStringList &lines)
{
    qsizetype units = 0;
    for (const QString &line : lines)
        units += line.size() + 2;
    QByteArray bytes(2 + units * 2, Qt::Uninitialized);
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    char *out = bytes.data() + 2;
    static const char16_t lineEnd[2] = {u'\r', u'\n'};
    for (const QString &line : lines) {
        qToLittleEndian<char16_t>(line.utf16(), line.size(), out);
        out += line.size() * 2;
        qToLittleEndian<char16_t>(lineEnd, 2, out);
        out += 4;
    }
    return bytes;
}

QString singleLine(const QString &text)
{
    QString result = text;
    result.replace(u'\r', u' ');
    result.replace(u'\n', u' ');
    return result;
}

} // namespace

struct TIniFile::Content
{
    struct Section
    {
        QString name;             // as spelled in the first header
        qsizetype header = 0;     // line of "[name]"
        qsizetype end = 0;        // one past its last line
        qsizetype lastKey = 0;    // line of its last key, or the header
        QStringList keyNames;     // first spelling, file order
        QHash<QString, qsizetype> keys; // folded name -> line of first occurrence
    };

    Stamp stamp;
    QString readError;            // the file exists but we do not read it
    QStringList lines;
    QList<Section> sections;
    QHash<QString, qsizetype> firstSection; // folded name -> index in sections

    void index();
    const Section *find(const QString &section) const;
    qsizetype findKey(const QString &section, const QString &key) const;
};

void TIniFile::Content::index()
{
    sections.clear();
    firstSection.clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView name;
        const LineKind kind = parseLine(lines[i], &name);
        if (kind == LineKind::Header) {
            if (!sections.isEmpty())
                sections.last().end = i;
            Section section;
            section.name = name.toString();
            section.header = i;
            section.lastKey = i;
            sections.append(section);
            const QString folded = name.toString().toCaseFolded();
            if (!firstSection.contains(folded))
                firstSection.insert(folded, sections.size() - 1);
        } else if (kind == LineKind::Key && !sections.isEmpty()) {
            // Keys above the first header belong to no section and stay
            // untouched, as unknown lines do.
            Section &section = sections.last();
            section.lastKey = i;
            const QString folded = name.toString().toCaseFolded();
            if (!section.keys.contains(folded)) {
                section.keys.insert(folded, i);
                section.keyNames.append(name.toString());
            }
        }
    }
    if (!sections.isEmpty())
        sections.last().end = lines.size();
}

const TIniFile::Content::Section *TIniFile::Content::find(const QString &section) const
{
    const auto it = firstSection.constFind(foldName(section));
    return it == firstSection.cend() ? nullptr : &sections[*it];
}

qsizetype TIniFile::Content::findKey(const QString &section, const QString &key) const
{
    const Section *found = find(section);
    if (!found)
        return -1;
    return found->keys.value(foldName(key), -1);
}

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

TIniFile::~TIniFile() = default;

void TIniFile::SetFileName(const QString &fileName)
{
    m_fileName = fileName;
    m_cache.reset();
}

QString TIniFile::WriteErrorMessage(const QString &fileName)
{
    return QStringLiteral("Unable to write to %1").arg(fileName);
}

const TIniFile::Content &TIniFile::Load() const
{
    // The stamp is taken before reading: a change made while we read shows
    // up as a different stamp on the next call and is read then.
    const Stamp stamp = stampOf(m_fileName);
    if (!m_cache || m_cache->stamp != stamp) {
        auto content = std::make_unique<Content>();
        content->stamp = stamp;
        QString reason;
        QByteArray bytes;
        if (stamp.statError != 0) {
            reason = systemReason(stamp.statError);
        } else if (!stamp.exists) {
            // Reads as empty; the first write creates it.
        } else if (S_ISDIR(stamp.mode)) {
            reason = QStringLiteral("It is a folder");
        } else if (!S_ISREG(stamp.mode)) {
            reason = QStringLiteral("It is not a regular file");
        } else if (const int error = readWhole(m_fileName, &bytes)) {
            reason = systemReason(error);
        } else if (const std::optional<QString> text = decode(bytes, &reason)) {
            content->lines = splitLines(*text);
            content->index();
        }
        if (!reason.isEmpty())
            content->readError = readErrorMessage(m_fileName, reason);
        m_cache = std::move(content);
    }
    if (!m_cache->readError.isEmpty())
        throw Error(m_cache->readError);
    return *m_cache;
}

void TIniFile::Save(const Content &content)
{
    TSaveFile file(m_fileName);
    if (!file.Open() || !file.Write(encode(content.lines)) || !file.Commit())
        throw Error(WriteErrorMessage(m_fileName));

    auto saved = std::make_unique<Content>(content);
    saved->stamp = stampOf(m_fileName);
    saved->readError.clear();
    saved->index();
    m_cache = std::move(saved);
}

QStringList TIniFile::ReadSections() const
{
    const Content &content = Load();
    QStringList names;
    for (qsizetype i = 0; i < content.sections.size(); ++i) {
        // Only the first section of each name is listed.
        const QString &name = content.sections[i].name;
        if (content.firstSection.value(name.toCaseFolded()) == i)
            names.append(name);
    }
    return names;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    const Content::Section *found = Load().find(section);
    return found ? found->keyNames : QStringList();
}

bool TIniFile::SectionExists(const QString &section) const
{
    return Load().find(section) != nullptr;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return Load().findKey(section, key) >= 0;
}

QString TIniFile::ReadString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    const Content &content = Load();
    const qsizetype line = content.findKey(section, key);
    return line < 0 ? defaultValue : valueOfLine(content.lines[line]);
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    if (!ValueExists(section, key))
        return defaultValue;
    // This class's own reading: a localizer must not write a default back
    // for a number it was only asked about.
    const QString value = TIniFile::ReadString(section, key, QString());
    qsizetype i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+'))
        negative = value[i++] == u'-';
    qint64 magnitude = 0;
    const qint64 limit = negative ? -qint64(INT_MIN) : INT_MAX;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i)
        magnitude = qMin(limit, magnitude * 10 + (value[i].unicode() - u'0'));
    return int(negative ? -magnitude : magnitude);
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimBlanks(singleLine(section)).toString();
    const QString keyName = trimBlanks(singleLine(key)).toString();
    const QString cleanValue = singleLine(value);
    // Such a line would read back as a section header, a comment, another
    // key or nothing at all.
    if (keyName.isEmpty() || keyName.front() == u'[' || keyName.front() == u';' || keyName.contains(u'='))
        throw Error(QStringLiteral("Unable to write to %1: \"%2\" cannot be a key name (a key name is not empty, "
                                   "does not begin with \"[\" or \";\" and holds no \"=\").")
                        .arg(m_fileName, keyName));

    Content changed = Load();
    if (const Content::Section *found = changed.find(sectionName)) {
        const qsizetype line = found->keys.value(keyName.toCaseFolded(), -1);
        if (line >= 0) {
            // Keep the key's stored spelling; only its value changes.
            QStringView storedName;
            parseLine(changed.lines[line], &storedName);
            changed.lines[line] = storedName.toString() + u'=' + cleanValue;
        } else {
            changed.lines.insert(found->lastKey + 1, keyName + u'=' + cleanValue);
        }
    } else {
        changed.lines.append(u'[' + sectionName + u']');
        changed.lines.append(keyName + u'=' + cleanValue);
    }
    Save(changed);
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::EraseSection(const QString &section)
{
    Content changed = Load();
    const QString folded = foldName(singleLine(section));
    // From the back, so that the line numbers of earlier sections stay valid.
    for (qsizetype i = changed.sections.size() - 1; i >= 0; --i) {
        const Content::Section &candidate = changed.sections[i];
        if (candidate.name.toCaseFolded() == folded)
            changed.lines.remove(candidate.header, candidate.end - candidate.header);
    }
    Save(changed);
}

} // namespace lexivoce::lang
