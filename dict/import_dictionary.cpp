#include "dict/import_dictionary.h"

#include "dict/dict_sorter.h"
#include "dict/import_dictd.h"
#include "dict/import_dsl.h"
#include "dict/import_stardict.h"
#include "dict/index_builder.h"
#include "dict/locked_file.h"
#include "lang/error.h"
#include "lang/save_file.h"

#include <QFile>
#include <QFileInfo>

namespace lexivoce::dict {

std::optional<TImportFormat> ImportFormatFromName(const QString &name)
{
    const QString key = name.toLower();
    if (key == QLatin1String("dictd"))
        return TImportFormat::Dictd;
    if (key == QLatin1String("stardict"))
        return TImportFormat::StarDict;
    if (key == QLatin1String("dsl"))
        return TImportFormat::Dsl;
    return std::nullopt;
}

TImportedText ConvertDictionary(TImportFormat format, const QString &source)
{
    switch (format) {
    case TImportFormat::Dictd:
        return ConvertDictd(source);
    case TImportFormat::StarDict:
        return ConvertStarDict(source);
    case TImportFormat::Dsl:
        return ConvertDsl(source);
    }
    return {};
}

void RefuseExistingOutput(const QString &outPath)
{
    const QString indexPath = IndexFileName(outPath);
    if (QFileInfo(outPath).absoluteFilePath() == QFileInfo(indexPath).absoluteFilePath())
        throw Error(QStringLiteral("\"%1\" has the name of its own index file; give it another extension "
                                   "(\".dict\").")
                        .arg(outPath));
    for (const QString &path : {outPath, indexPath}) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            throw Error(QStringLiteral("\"%1\" already exists; an import never replaces a file. Remove it or "
                                       "choose another name.")
                            .arg(path));
    }
}

void WriteImportedDictionary(const QString &outPath, QByteArray text)
{
    RefuseExistingOutput(outPath);
    if (text.size() > kMaxDictionarySize)
        throw Error(QStringLiteral("The imported dictionary would take %1 bytes; a dictionary must be smaller than "
                                   "2 GiB.")
                        .arg(text.size()));
    QByteArray sorted = SortDictionaryBytes(text);
    text = QByteArray(); // one copy in memory at a time

    lang::TSaveFile out(outPath);
    if (!out.Open() || !out.Write(sorted) || !out.Commit())
        throw Error(WriteFailedMessage(outPath, out.ErrorString()));
    sorted = QByteArray();
    try {
        BuildIndex(outPath);
    } catch (...) {
        QFile::remove(outPath);
        throw;
    }
}

} // namespace lexivoce::dict
