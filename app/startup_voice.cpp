#include "app/startup_voice.h"

#include "app/interface_voice.h"

#include "app/profile.h"
#include "dialogs/error_display.h"
#include "lang/control_texts.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/local_strings_file.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "speech/speech_channel.h"
#include "speech/utterance.h"

#include <QDir>
#include <QFileInfo>

namespace lexivoce::app {

namespace {

using lang::LanguageSectionKeys;

const QString kEnglish = QString::fromLatin1(LanguageSectionKeys::EnglishCode);

// The interface language the configuration of a profile names, when it is a
// code whose file the profile holds.
QString profileLanguageFile(const QString &profileDirectory)
{
    const QDir profile(profileDirectory);
    QString code = kEnglish;
    try {
        code = lang::TIniFile(profile.filePath(QStringLiteral("Lexivoce.config")))
                   .ReadString(QStringLiteral("Interface"), QStringLiteral("Language"), kEnglish);
    } catch (const Error &) {
        // An unreadable configuration is the window's to report.
    }
    if (!lang::IsLanguageCode(code))
        code = kEnglish;
    const QString file = profile.filePath(lang::LanguageFileName(code));
    return QFileInfo(file).isFile() ? file : QString();
}

QString shippedEnglishFile()
{
    const QString data = InstalledDataDirectory();
    const QString file = data.isEmpty() ? QString() : QDir(data).filePath(lang::LanguageFileName(kEnglish));
    return QFileInfo(file).isFile() ? file : QString();
}

} // namespace

TStartupVoice::TStartupVoice()
{
    try {
        m_speaker = std::make_unique<speech::TSpeaker5>();
        m_speaker->setObjectName(QStringLiteral("spkInterface"));
        m_component = std::make_unique<speech::TSpeakingComponent>();
        m_component->setObjectName(QStringLiteral("spInterface"));
        m_component->SetSpeaker(m_speaker.get());
    } catch (const Error &) {
        // Without a speech engine the box is still shown.
        m_component.reset();
        m_speaker.reset();
    }
    UseLanguageFile(shippedEnglishFile());
}

TStartupVoice::~TStartupVoice()
{
    if (!m_retired)
        dialogs::ResetErrorDisplayContext();
}

void TStartupVoice::UseProfile(const QString &profileDirectory)
{
    const QString file = profileLanguageFile(profileDirectory);
    if (!file.isEmpty())
        UseLanguageFile(file);
}

void TStartupVoice::UseLanguageFile(const QString &languageFile)
{
    m_localizer.reset();
    if (!languageFile.isEmpty()) {
        try {
            auto localizer = std::make_unique<lang::TLocalize>(languageFile);
            localizer->WriteBackDefaults = false;
            m_localizer = std::move(localizer);
        } catch (const Error &) {
        }
    }
    if (m_component && m_speaker && m_localizer) {
        try {
            m_component->Words = speech::LoadLocalStrings(languageFile);
            ApplyInterfaceVoice(*m_speaker, ReadInterfaceVoice(*m_localizer, QString(), kStartupMissingPosition));
        } catch (const Error &) {
            // The engine's own voice then.
        }
    }
    Install();
}

void TStartupVoice::Install()
{
    dialogs::SetErrorDisplayContext(m_component.get(), m_localizer.get());
}

void TStartupVoice::Retire()
{
    m_component.reset();
    m_speaker.reset();
    m_localizer.reset();
    m_retired = true;
}

QString TStartupVoice::Text(const lang::TMessage &message) const
{
    return lang::MessageText(m_localizer.get(), message);
}

bool TStartupVoice::Say(const speech::TUtterance &text)
{
    if (!m_component)
        return false;
    m_component->SpeakText(text);
    return true;
}

void TStartupVoice::WhenSaid(std::function<void()> then)
{
    speech::TSpeechChannel &channel = speech::TSpeechChannel::Instance();
    if (!m_component || channel.IsIdle()) {
        then();
        return;
    }
    const auto check = [then, &channel](const QString &, const QString &) {
        if (channel.IsIdle())
            then();
    };
    QObject::connect(&channel, &speech::TSpeechChannel::Done, m_component.get(), check);
    QObject::connect(&channel, &speech::TSpeechChannel::Cut, m_component.get(), check);
}

} // namespace lexivoce::app
