#pragma once

#include <QList>
#include <QString>

#include <initializer_list>

namespace lexivoce::lang {

// A text the program asks for by key, with its built-in default. The
// localizer looks the key up in the current language file and falls back to
// (and writes back) the default.
struct TMessage
{
    const char *Section;
    const char *Key;
    const char *Default; // UTF-8

    QString Text() const { return QString::fromUtf8(Default); }
    QString SectionName() const { return QString::fromLatin1(Section); }
    QString KeyName() const { return QString::fromLatin1(Key); }
};

inline constexpr const char *kMessages = "MESSAGES";
inline constexpr const char *kControls = "CONTROLS";

// Section MESSAGES. The English defaults are kept word for word, slips
// included: they are what translators work from, and the shipped English file
// is where they read well.
inline constexpr TMessage MSG01{kMessages, "MSG01", "Veltari Talking dictionary"};
inline constexpr TMessage MSG02{kMessages, "MSG02", "Delete all"};
inline constexpr TMessage MSG03{kMessages, "MSG03", "The new item has been added"};
inline constexpr TMessage MSG04{kMessages, "MSG04", "The selected item has been modified"};
inline constexpr TMessage MSG05{kMessages, "MSG05", "select"};
inline constexpr TMessage MSG06{kMessages, "MSG06", "The list is empty"};
inline constexpr TMessage MSG07{kMessages, "MSG07", "Error"};
inline constexpr TMessage MSG08{kMessages, "MSG08", "Do you want to print all ?"};
inline constexpr TMessage MSG09{kMessages, "MSG09", "Confirmation"};
inline constexpr TMessage MSG10{kMessages, "MSG10", "Printed by Lexivoce"};
inline constexpr TMessage MSG11{kMessages, "MSG11", "%s dictionary is ready"};
inline constexpr TMessage MSG12{kMessages, "MSG12", "Loading %s dictionary"};
inline constexpr TMessage MSG13{kMessages, "MSG13", "The word you have typed does not exists"};
inline constexpr TMessage MSG14{kMessages, "MSG14", "Creating index file"};
inline constexpr TMessage MSG15{kMessages, "MSG15", "Index file has been created"};
inline constexpr TMessage MSG16{kMessages, "MSG16", "The selected item has been deleted"};
inline constexpr TMessage MSG17{kMessages, "MSG17", "Sorting dict file"};

// Answers to actions that would otherwise pass in silence.
// Translators: %s is the new volume, 0 to 100.
inline constexpr TMessage MSG18{kMessages, "MSG18", "volume %s"};
// Translators: %s is the new rate, -10 (slowest) to 10 (fastest).
inline constexpr TMessage MSG19{kMessages, "MSG19", "rate %s"};
inline constexpr TMessage MSG20{kMessages, "MSG20", "The history is empty"};
// Back and Forward at the ends of the history.
inline constexpr TMessage MSG21{kMessages, "MSG21", "No earlier word"};
inline constexpr TMessage MSG22{kMessages, "MSG22", "No later word"};
// Up on the first line and Down on the last line of an entry.
inline constexpr TMessage MSG23{kMessages, "MSG23", "Top of the entry"};
inline constexpr TMessage MSG24{kMessages, "MSG24", "End of the entry"};
// Translators: said when the window hides; %s is the hot key, "Ctrl+F12".
inline constexpr TMessage MSG25{kMessages, "MSG25", "Lexivoce is hidden. Press %s to come back"};
// Asked with Yes and No when a look-up found another word's entry, or none,
// where the index said the word's entry was.
inline constexpr TMessage MSG26{kMessages, "MSG26", "The index of this dictionary is out of date. Rebuild it now?"};
// Translators: %s is the dictionary's name.
inline constexpr TMessage MSG27{kMessages, "MSG27",
                                "The index of %s dictionary is older than the dictionary and may be out of date"};
inline constexpr TMessage MSG28{kMessages, "MSG28", "This entry is too long; only its beginning is shown"};
// Translators: %s is what Lexivoce.config gave as the interface language.
inline constexpr TMessage MSG29{kMessages, "MSG29", "The interface language %s is not a language code. English is used."};
// Translators: said when a second start finds the first one not answering;
// %s is the profile folder.
inline constexpr TMessage MSG30{kMessages, "MSG30",
                                "Lexivoce is already running with the folder %s but does not answer. Close it, "
                                "then start Lexivoce again."};

// Save in the dictionary manager without a name or a file, or with the name
// of another dictionary of the list.
inline constexpr TMessage MSG31{kMessages, "MSG31", "Each dictionary needs a name of its own and a file"};

// Printing.
// Print current word with no entry on screen.
inline constexpr TMessage MSG32{kMessages, "MSG32", "There is no entry to print"};
inline constexpr TMessage MSG33{kMessages, "MSG33", "No printer is set up, so nothing was printed"};
// Translators: %s is the printer's name.
inline constexpr TMessage MSG34{kMessages, "MSG34", "Printing failed: the printer %s did not take the job"};
// Translators: %s is the number of pages.
inline constexpr TMessage MSG35{kMessages, "MSG35", "Sent to the printer. Pages: %s"};

// Translators: %s names the entry styles of Lexivoce.config that could not
// be read.
inline constexpr TMessage MSG36{kMessages, "MSG36",
                                "These styles in Lexivoce.config cannot be read and are shown as shipped: %s"};

// The file dialog's messages; like its captions, Vietnamese by default.
inline constexpr TMessage MSGFILEDLG001{kMessages, "MSGFILEDLG001", "Không có tập tin trong thư mục."};
inline constexpr TMessage MSGFILEDLG002{kMessages, "MSGFILEDLG002", "Bạn muốn xoá tạm thời %s ?"};
inline constexpr TMessage MSGFILEDLG003{kMessages, "MSGFILEDLG003", "Bạn muốn xoá tạm thời %d tập tin, thư mục ?"};
inline constexpr TMessage MSGFILEDLG004{kMessages, "MSGFILEDLG004", "Bạn muốn xoá hẳn %s ?"};
inline constexpr TMessage MSGFILEDLG005{kMessages, "MSGFILEDLG005", "Bạn muốn xoá hẳn %d tập tin, thư mục ?"};
// What went wrong with a file, said and shown instead of passing in silence.
// Translators: the first %s is a file or folder name, the second what the
// system said went wrong.
inline constexpr TMessage MSGFILEDLG006{kMessages, "MSGFILEDLG006", "Không xoá được %s: %s"};
// Translators: %s is a file or folder name; no trash could take it, so it
// was left where it was.
inline constexpr TMessage MSGFILEDLG007{kMessages, "MSGFILEDLG007",
                                        "Không chuyển được %s vào thùng rác. Tập tin vẫn còn nguyên."};
inline constexpr TMessage MSGFILEDLG008{kMessages, "MSGFILEDLG008", "Không tạo được thư mục %s: %s"};
inline constexpr TMessage MSGFILEDLG009{kMessages, "MSGFILEDLG009", "Không đổi được tên %s: %s"};
inline constexpr TMessage MSGFILEDLG010{kMessages, "MSGFILEDLG010", "Không chép được %s: %s"};
inline constexpr TMessage MSGFILEDLG011{kMessages, "MSGFILEDLG011", "Không chuyển được %s: %s"};
inline constexpr TMessage MSGFILEDLG012{kMessages, "MSGFILEDLG012", "Không mở được thư mục %s: %s"};
// OK at the top of the folders, which holds places, not files.
inline constexpr TMessage MSGFILEDLG013{kMessages, "MSGFILEDLG013", "Hãy chọn một thư mục trước."};

// The help page and its window.
// Translators: %s is the help page's file name.
inline constexpr TMessage MSGHELP001{kMessages, "MSGHELP001", "The help page %s cannot be opened"};
inline constexpr TMessage MSGHELP002{kMessages, "MSGHELP002", "No program to show web pages was found"};
// Translators: %s is a file name or a web address.
inline constexpr TMessage MSGHELP003{kMessages, "MSGHELP003", "Opening %s in the browser"};
// Said after a link's text in the help window.
inline constexpr TMessage MSGHELP004{kMessages, "MSGHELP004", "link"};
// Moving up at the top, or down at the end, of the help page.
inline constexpr TMessage MSGHELP005{kMessages, "MSGHELP005", "Top of the page"};
inline constexpr TMessage MSGHELP006{kMessages, "MSGHELP006", "End of the page"};
// Enter on a link whose target is not on the page, or of a kind the program
// does not open.
inline constexpr TMessage MSGHELP007{kMessages, "MSGHELP007", "This link cannot be followed"};

// lexivoce --check: what the program needs, found (%s names it) or missing.
inline constexpr TMessage MSGCHECK001{kMessages, "MSGCHECK001", "Sound server: %s"};
inline constexpr TMessage MSGCHECK002{kMessages, "MSGCHECK002", "No sound server answers, so no speech can be heard. Start PulseAudio or PipeWire."};
inline constexpr TMessage MSGCHECK003{kMessages, "MSGCHECK003", "English voice: %s"};
inline constexpr TMessage MSGCHECK004{kMessages, "MSGCHECK004", "No English voice is installed. Install the package espeak-ng-data."};
inline constexpr TMessage MSGCHECK005{kMessages, "MSGCHECK005", "Vietnamese voice: %s"};
inline constexpr TMessage MSGCHECK006{kMessages, "MSGCHECK006", "No Vietnamese voice is installed. Install the package espeak-ng-data."};
inline constexpr TMessage MSGCHECK007{kMessages, "MSGCHECK007", "X server: %s"};
inline constexpr TMessage MSGCHECK008{kMessages, "MSGCHECK008", "No X server: the hot key Ctrl+F12 and looking up copied words do not work."};
inline constexpr TMessage MSGCHECK009{kMessages, "MSGCHECK009", "Notification area: found"};
inline constexpr TMessage MSGCHECK010{kMessages, "MSGCHECK010", "No notification area: the window cannot hide to an icon."};
inline constexpr TMessage MSGCHECK011{kMessages, "MSGCHECK011", "Default printer: %s"};
inline constexpr TMessage MSGCHECK012{kMessages, "MSGCHECK012", "No printer is set up, so printing is not possible."};
inline constexpr TMessage MSGCHECK013{kMessages, "MSGCHECK013", "Everything Lexivoce needs is here."};
inline constexpr TMessage MSGCHECK014{kMessages, "MSGCHECK014", "Speech works; some other things are missing."};
inline constexpr TMessage MSGCHECK015{kMessages, "MSGCHECK015", "Speech cannot work until what is missing is installed."};

// Keys of section CONTROLS that code asks for by name, outside the walk over
// a window's components.
// The main window's status bar while a word list loads.
inline constexpr TMessage CtlStatusBar{kControls, "statusBar", "Loading..."};
// The dictionary manager's file-type list for the file dialog.
inline constexpr TMessage CtlDocFileType{kControls, "cboDocFileType", "Từ điển (*.dict)|*.dict|"};
// The dictionary manager's caption for the file dialog.
inline constexpr TMessage CtlOpenFileDialog{kControls, "frmOpenFileDialog", "Mở từ điển"};
// The headings of the dictionary manager's list of dictionaries.
inline constexpr TMessage CtlDictsColumnName{kControls, "lstDictsName", "Name"};
inline constexpr TMessage CtlDictsColumnFile{kControls, "lstDictsFile", "File"};
// The file dialog's OK caption when OK opens, and when it saves.
inline constexpr TMessage CtlOpenDlgOK{kControls, "btnOpenDlgOK", "Mở"};
inline constexpr TMessage CtlSaveDlgOK{kControls, "btnSaveDlgOK", "Lưu"};
// The file dialog's folder views: the top of the folders and its places,
// the word said after a folder's name, and the columns of the details view.
inline constexpr TMessage CtlShellTop{kControls, "shlTop", "Máy tính"};
inline constexpr TMessage CtlShellHome{kControls, "shlHome", "Thư mục riêng"};
inline constexpr TMessage CtlShellFileSystem{kControls, "shlFileSystem", "Hệ thống tập tin"};
inline constexpr TMessage CtlShellTrash{kControls, "shlTrash", "Thùng rác"};
inline constexpr TMessage CtlShellFolder{kControls, "shlFolder", "thư mục"};
inline constexpr TMessage CtlShellColumnName{kControls, "shlColumnName", "Tên"};
inline constexpr TMessage CtlShellColumnSize{kControls, "shlColumnSize", "Kích thước"};
inline constexpr TMessage CtlShellColumnType{kControls, "shlColumnType", "Kiểu"};
inline constexpr TMessage CtlShellColumnModified{kControls, "shlColumnModified", "Ngày sửa"};
// The help window's caption and its button that opens the page in the
// browser.
inline constexpr TMessage CtlHelpWindow{kControls, "frmHelp", "Lexivoce Help"};
inline constexpr TMessage CtlHelpBrowser{kControls, "btnOpenInBrowser", "Open in &browser"};

// Every text above: the messages in key order, then the CONTROLS keys.
const QList<TMessage> &AllMessages();

// text with each "%s" or "%d" filled by the next argument, in turn; what is
// filled in is never read again, and placeholders beyond the arguments stay.
QString FillMessage(const QString &text, std::initializer_list<QString> arguments);

} // namespace lexivoce::lang
