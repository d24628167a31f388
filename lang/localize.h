#pragma once

#include "lang/ini_file.h"

#include <QStringView>

#include <functional>

class QObject;

namespace lexivoce::lang {

// The folder of the language files, under the current directory.
inline QString LanguageFolderName() { return QStringLiteral("LANG"); }
// "LANG/Lexivoce." + code.
QString LanguageFileName(const QString &code);

// Whether code can name a language file: letters and digits only, so that
// no code can lead outside the language folder ("../x") or into another
// file name.
bool IsLanguageCode(QStringView code);

// The interface localizer: an ini-file object on the current language file
// whose ReadString falls back to the caller's default and writes that
// default into the file, so that a language file fills itself with every
// text the program asks for, ready to be translated.
class TLocalize : public TIniFile
{
public:
    // On "LANG/Lexivoce.eng".
    TLocalize();
    // On fileName: its folder is the file's folder (the program's folder
    // when it has none); its code is its extension ("eng", and ".eng"
    // appended, when it has none). The folder is created when missing.
    explicit TLocalize(const QString &fileName);

    // The value, or defaultValue when the key is missing or empty; then the
    // default is also written into the file (when WriteBackDefaults). Writing
    // back is a service to translators, never a reason to lose a text: when
    // it fails (a read-only folder, a full disk), or the file cannot be read
    // at all, the default is returned all the same, OnWriteBackFailed hears
    // of it once, and this file is not written again.
    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const override;

    // Switches to the file of code (the extension replaced); the same code
    // or none changes nothing. A code that is not a language code
    // (IsLanguageCode) changes nothing and gives false.
    bool SetLanguage(const QString &code);

    // Told, once per language file, the message of a write-back that failed.
    std::function<void(const QString &message)> OnWriteBackFailed;

    // Replaces the texts of component and of everything it owns from
    // section CONTROLS (see translate_component.cpp).
    void TranslateComponent(QObject *component);

    QString LanguageFolder;  // with its trailing separator when it came from a file name
    QString LanguageCode;
    bool WriteBackDefaults = true;
    QString LanguageFile;

private:
    void Create(const QString &fileName);

    mutable bool m_writeBackFailed = false;
};

struct TMessage;

// message's text from localizer's language file; its built-in text when
// there is no localizer.
QString MessageText(const TLocalize *localizer, const TMessage &message);

} // namespace lexivoce::lang
