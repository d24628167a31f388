// Feeds arbitrary bytes to the ini reader, then writes one value and checks
// that the write neither lost a section nor failed to read back.
#include "lang/error.h"
#include "lang/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QString &iniPath()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    return path;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using lexivoce::lang::TIniFile;
    {
        QFile file(iniPath());
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const qint64 length = qint64(size);
        check(file.write(reinterpret_cast<const char *>(data), length) == length);
    }

    TIniFile ini(iniPath());
    QStringList sections;
    try {
        sections = ini.ReadSections();
    } catch (const lexivoce::Error &) {
        // Bytes in a form we do not read are refused for writing as well,
        // and left as they are.
        try {
            ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("Key"), QStringLiteral("v"));
        } catch (const lexivoce::Error &) {
            QFile file(iniPath());
            check(file.open(QIODevice::ReadOnly));
            check(file.readAll() == QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
            return 0;
        }
        std::abort();
    }
    for (const QString &section : sections) {
        check(ini.SectionExists(section));
        const QStringList keys = ini.ReadSection(section);
        for (const QString &key : keys) {
            check(ini.ValueExists(section, key));
            ini.ReadString(section, key, QString());
            ini.ReadInteger(section, key, 0);
        }
    }

    const QString section = QStringLiteral("Fuzz");
    const QString key = QStringLiteral("Key");
    const QString value = QString::fromLatin1(reinterpret_cast<const char *>(data),
                                              qsizetype(size < 64 ? size : 64)).simplified();
    ini.WriteString(section, key, value);
    check(ini.ReadString(section, key, QStringLiteral("<missing>")) == value);

    // The rewrite keeps every section that was there and adds at most ours.
    QStringList expected = sections;
    if (!sections.contains(section, Qt::CaseInsensitive))
        expected.append(section);
    check(TIniFile(iniPath()).ReadSections() == expected);
    return 0;
}
