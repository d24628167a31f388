// The main window opens the dictionary manager and takes what it decided:
// the dictionaries again from the registry, and the interface voice.
#include "app/main_dict.h"

#include "app/interface_voice.h"
#include "dialogs/error_display.h"
#include "dialogs/select_dlg.h"
#include "dict/registry.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>

namespace lexivoce::app {

void TfrmMainDict::mnuManagerClick()
{
    dialogs::TfrmSelectDlg dialog(this);
    dialog.SpeakingComponent = spInterface;
    dialog.Localizer = Localizer();
    dialog.VoiceNames = spkInterface->VoiceNames;
    dialog.RegistryName = dict::RegistryFileName();
    // Filled before it speaks: opening says the window, not each value.
    dialog.cboMainVoice->addItems(spkInterface->VoiceNames);
    dialog.cboMainVoice->setCurrentIndex(static_cast<int>(spkInterface->VoiceNames.indexOf(InterfaceVoiceName)));
    dialog.tkbMainPitch->setValue(speech::SliderPosition(spkInterface->Pitch()));
    dialog.tkbMainSpeed->setValue(speech::SliderPosition(spkInterface->Speed()));
    spInterface->HookControlTree(&dialog);
    Localizer()->TranslateComponent(&dialog);

    if (dialog.exec() == 1) {
        ReloadDictionaryList(dict::RegistryFileName());
        const TInterfaceVoice voice{dialog.cboMainVoice->currentText(), dialog.tkbMainPitch->value(),
                                    dialog.tkbMainSpeed->value()};
        SetInterfaceVoice(voice);
        try {
            lang::TIniFile language(lang::LanguageFileName(InterfaceLanguage));
            WriteInterfaceVoice(language, voice);
        } catch (const Error &error) {
            dialogs::ShowError(error.message());
        }
    }
    if (edtLookup->hasFocus() || lstHistory->hasFocus())
        edtLookupEnter();
    else
        FocusEditOrHistory();
}

} // namespace lexivoce::app
