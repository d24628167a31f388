#include "lang/control_texts.h"

#include <array>

namespace lexivoce::lang {

namespace {

// Separators, the dictionary items, the language items and the controls
// that show data (edit, word list, history, status bar) carry negative tags
// and are missing on purpose.
constexpr std::array kMainWindow = {
    TControlText{"frmMainDict", "Talking Dictionary"},
    TControlText{"lblLookup", "&Look up"},
    TControlText{"mnuHistory", "History"},
    TControlText{"mnuBack", "Back"},
    TControlText{"mnuForward", "Forward"},
    TControlText{"mnuRecent", "Recent words"},
    TControlText{"mnuDelete", "Delete all"},
    TControlText{"mnuMinimize", "Minimize"},
    TControlText{"mnuExit", "Exit"},
    TControlText{"mnuDictionary", "Dictionary"},
    TControlText{"mnuPrint", "Print"},
    TControlText{"mnuPrintCurrent", "Print current word..."},
    TControlText{"mnuPrintAll", "Print all words..."},
    TControlText{"mnuConfig", "Settings"},
    TControlText{"mnuManager", "Setup dictionary..."},
    TControlText{"mnuFormat", "Customize dictionary..."},
    TControlText{"mnuHelp", "Help"},
    TControlText{"mnuLVHelp", "Lexivoce Help"},
    TControlText{"mnuAbout", "About..."},
};

// The dictionary list, the edits and the voice boxes carry negative tags;
// the progress label is empty whenever the dialog is translated.
constexpr std::array kDictionaryManager = {
    TControlText{"frmSelectDlg", "Setup dictionary"},
    TControlText{"tabParams", "Params"},
    TControlText{"lblSelectDict", "Select dictionary"},
    TControlText{"lblFileName", "File name"},
    TControlText{"btnOpenFile", "Open..."},
    TControlText{"lblDictName", "Dict name"},
    TControlText{"lblVoice1", "Voice 1"},
    TControlText{"lblVoice2", "Voice 2"},
    TControlText{"lblPitch", "Pitch"},
    TControlText{"lblSpeed", "Speed"},
    TControlText{"chkReadPunc", "Read punc"},
    TControlText{"lblDicts", "Available dictionaries"},
    TControlText{"btnAdd", "Add"},
    TControlText{"btnDelete", "Delete"},
    TControlText{"btnSave", "Save"},
    TControlText{"lblSelMainVoice", "Select main voice"},
    TControlText{"lblMainVoice", "Voice"},
    TControlText{"lblmainPitch", "Pitch"},
    TControlText{"lblMainSpeed", "Speed"},
    TControlText{"tabCreateIndex", "Create index"},
    TControlText{"lblMakeIndex", "Index file"},
    TControlText{"lblDictFile", "Dict file"},
    TControlText{"btnBrowse", "Open..."},
    TControlText{"chkSort", "Sort"},
    TControlText{"btnMake", "Create"},
    TControlText{"btnOK", "OK"},
    TControlText{"btnCancel", "Cancel"},
};

// The three picture buttons have no caption; the folder combo carries a
// negative tag. The form's caption and the OK caption are set again by the
// dialog's mode (btnOpenDlgOK, btnSaveDlgOK).
constexpr std::array kFileDialog = {
    TControlText{"frmFileDialog", "Mở tập tin"},
    TControlText{"lblLookin", "Tìm trong &I"},
    TControlText{"lblFileName", "Tên tập tin &N"},
    TControlText{"lblFileType", "Kiểu tập tin &T"},
    TControlText{"btnOK", "Mở"},
    TControlText{"btnCancel", "Hủy bỏ"},
};

// The message label carries a negative tag: the message is the caller's.
constexpr std::array kMessageDialog = {
    TControlText{"frmMsgDlgWarning", "Cảnh báo"},
    TControlText{"frmMsgDlgError", "Lỗi"},
    TControlText{"frmMsgDlgInformation", "Thông tin"},
    TControlText{"frmMsgDlgConfirmation", "Xác nhận"},
    TControlText{"btnDlgYes", "Có"},
    TControlText{"btnDlgNo", "Không"},
    TControlText{"btnDlgOK", "Đồng ý"},
    TControlText{"btnDlgCancel", "Hủy bỏ"},
    TControlText{"btnDlgAbort", "Bỏ luôn"},
    TControlText{"btnDlgRetry", "Làm lại"},
    TControlText{"btnDlgIgnore", "Bỏ qua"},
    TControlText{"btnDlgAll", "Tất cả"},
    TControlText{"btnDlgNoToAll", "Không hết"},
    TControlText{"btnDlgYesToAll", "Có hết"},
    TControlText{"btnDlgHelp", "Giúp đở"}, // the form's spelling; the Vietnamese file has it right
};

} // namespace

std::span<const TControlText> MainWindowTexts()
{
    return kMainWindow;
}

std::span<const TControlText> DictionaryManagerTexts()
{
    return kDictionaryManager;
}

std::span<const TControlText> FileDialogTexts()
{
    return kFileDialog;
}

std::span<const TControlText> MessageDialogTexts()
{
    return kMessageDialog;
}

QString DefaultCaption(std::span<const TControlText> table, QStringView name)
{
    for (const TControlText &text : table) {
        if (name == QLatin1String(text.Name))
            return text.CaptionText();
    }
    return QString();
}

} // namespace lexivoce::lang
