#include "lang/messages.h"

namespace lexivoce::lang {

const QList<TMessage> &AllMessages()
{
    static const QList<TMessage> messages = {
        MSG01, MSG02, MSG03, MSG04, MSG05, MSG06, MSG07, MSG08, MSG09, MSG10, MSG11, MSG12, MSG13, MSG14, MSG15,
        MSG16, MSG17, MSG18, MSG19, MSG20, MSG21, MSG22, MSG23, MSG24, MSG25, MSG26, MSG27, MSG28, MSG29,
        MSG30, MSG31, MSG32, MSG33, MSG34, MSG35, MSG36,
        MSGFILEDLG001, MSGFILEDLG002, MSGFILEDLG003, MSGFILEDLG004, MSGFILEDLG005, MSGFILEDLG006, MSGFILEDLG007,
        MSGFILEDLG008, MSGFILEDLG009, MSGFILEDLG010, MSGFILEDLG011, MSGFILEDLG012, MSGFILEDLG013,
        MSGHELP001, MSGHELP002, MSGHELP003, MSGHELP004, MSGHELP005, MSGHELP006, MSGHELP007,
        MSGCHECK001, MSGCHECK002, MSGCHECK003, MSGCHECK004, MSGCHECK005, MSGCHECK006, MSGCHECK007, MSGCHECK008,
        MSGCHECK009, MSGCHECK010, MSGCHECK011, MSGCHECK012, MSGCHECK013, MSGCHECK014, MSGCHECK015,
        CtlStatusBar, CtlDocFileType, CtlOpenFileDialog, CtlDictsColumnName, CtlDictsColumnFile, CtlOpenDlgOK,
        CtlSaveDlgOK,
        CtlShellTop, CtlShellHome, CtlShellFileSystem, CtlShellTrash, CtlShellFolder, CtlShellColumnName,
        CtlShellColumnSize, CtlShellColumnType, CtlShellColumnModified,
        CtlHelpWindow, CtlHelpBrowser,
    };
    return messages;
}

QString FillMessage(const QString &text, std::initializer_list<QString> arguments)
{
    QString result;
    auto next = arguments.begin();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u's' || text[i + 1] == u'd')
            && next != arguments.end()) {
            result += *next++;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace lexivoce::lang
