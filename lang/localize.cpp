#include "lang/localize.h"

#include "lang/messages.h"

#include "lang/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lexivoce::lang {

QString LanguageFileName(const QString &code)
{
    return LanguageFolderName() + QStringLiteral("/Lexivoce.") + code;
}

bool IsLanguageCode(QStringView code)
{
    if (code.isEmpty() || code.size() > 16)
        return false;
    for (const QChar c : code) {
        const bool letterOrDigit = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!letterOrDigit)
            return false;
    }
    return true;
}

TLocalize::TLocalize()
    : TIniFile(LanguageFileName(QStringLiteral("eng")))
{
    // The program file's name would be "lexivoce" here; the language files
    // keep one spelling on a file system that tells letter cases apart.
    LanguageFolder = LanguageFolderName();
    LanguageCode = QStringLiteral("eng");
    LanguageFile = LanguageFileName(LanguageCode);
    QDir().mkpath(LanguageFolder);
    WriteBackDefaults = true;
}

TLocalize::TLocalize(const QString &fileName)
    : TIniFile(fileName)
{
    Create(fileName);
}

void TLocalize::Create(const QString &fileName)
{
    QString name = fileName;
    const qsizetype slash = name.lastIndexOf(u'/');
    LanguageFolder = slash >= 0 ? name.left(slash + 1) : QString();
    if (LanguageFolder.isEmpty()) {
        LanguageFolder = QCoreApplication::applicationDirPath() + u'/';
        name = LanguageFolder + name;
    }
    const QString base = name.mid(name.lastIndexOf(u'/') + 1);
    const qsizetype dot = base.lastIndexOf(u'.');
    QString code = dot >= 0 ? base.mid(dot + 1) : QString();
    if (code.isEmpty()) {
        code = QStringLiteral("eng");
        if (!name.endsWith(u'.'))
            name += u'.';
        name += code;
    }
    QDir().mkpath(LanguageFolder);
    SetFileName(name);
    LanguageFile = name;
    LanguageCode = code;
    WriteBackDefaults = true;
    m_writeBackFailed = false;
}

QString TLocalize::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    QString value;
    try {
        value = TIniFile::ReadString(section, key, QString());
    } catch (const Error &error) {
        // A file we cannot read (a folder in the way, another encoding) is
        // not written either; the built-in text serves.
        if (!m_writeBackFailed && OnWriteBackFailed)
            OnWriteBackFailed(error.message());
        m_writeBackFailed = true;
        return defaultValue;
    }
    if (!value.isEmpty())
        return value;
    if (WriteBackDefaults && !m_writeBackFailed) {
        // Writing back is part of reading here: the file learns every text
        // the program asked for.
        try {
            const_cast<TLocalize *>(this)->WriteString(section, key, defaultValue);
        } catch (const Error &error) {
            m_writeBackFailed = true;
            if (OnWriteBackFailed)
                OnWriteBackFailed(error.message());
        }
    }
    return defaultValue;
}

bool TLocalize::SetLanguage(const QString &code)
{
    if (!IsLanguageCode(code))
        return false;
    if (code == LanguageCode)
        return true;
    const QFileInfo info(LanguageFile);
    const QString stem = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    const QString folder = LanguageFile.left(LanguageFile.size() - info.fileName().size());
    Create(folder + stem + u'.' + code);
    return true;
}

QString MessageText(const TLocalize *localizer, const TMessage &message)
{
    return localizer ? localizer->ReadString(message.SectionName(), message.KeyName(), message.Text())
                     : message.Text();
}

} // namespace lexivoce::lang
