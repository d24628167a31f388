#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QPushButton;
class QShowEvent;
class QTextBrowser;
class QUrl;

namespace lexivoce::lang {
class TLocalize;
struct TMessage;
}
namespace lexivoce::speech {
class TSpeakingComponent;
class TUtterance;
}

namespace lexivoce::dialogs {

class THelpReader;

// Hands fileName (made absolute) to the desktop's handler, xdg-open, found
// through PATH, and returns at once. False when the file is not there, no
// xdg-open is in PATH, or it could not be started; what the handler does
// with the file afterwards is its own business.
bool OpenHelpInBrowser(const QString &fileName);

// The article of the help page meant for a user of the interface language
// languageCode ("vie", "vi": the article with id "vi"; any other, or none:
// "en").
QString HelpArticleId(const QString &languageCode);
// The content of html's <article> element whose id is articleId; empty when
// the page has no such article.
QString HelpArticle(const QString &html, const QString &articleId);

// The help window: the help page's article in the interface language, read
// aloud like the entry view. Up and Down read the line reached (as laid
// out), Left and Right the character, Ctrl+Left and Ctrl+Right the word,
// Ctrl+Home the whole page from the top, Ctrl+End goes to the last line and
// reads it; at the top or the end the edge is said. Tab and Shift+Tab move
// between links, saying each with the word for a link; Enter on a link
// within the page moves to its target and reads that line (a link to the
// other language's article shows that article); Enter on a link to
// anywhere else opens it with the desktop's handler and says so. The
// "Open in browser" button (also Ctrl+B) opens the page with the desktop's
// handler; a failure is said. Escape closes the window. On opening it says
// its caption and reads the first line.
//
// Use: set SpeakingComponent and Localizer, LoadPage, TranslateComponent,
// HookControlTree with the page view self-voiced, exec() (ShowHelp does all
// of it).
class TfrmHelp : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget *parent = nullptr);
    ~TfrmHelp() override;

    // Not owned; either may be null (nothing is said, the built-in texts are
    // used).
    speech::TSpeakingComponent *SpeakingComponent = nullptr;
    lang::TLocalize *Localizer = nullptr;

    // Reads the page from fileName and shows its article for languageCode
    // (the whole page when it has none). False, and nothing shown, when the
    // file is missing, unreadable or over 8 MiB.
    bool LoadPage(const QString &fileName, const QString &languageCode);
    // The page's file, absolute; the article shown ("vi", "en"; empty for
    // the whole page).
    QString FileName() const { return m_fileName; }
    QString ArticleId() const { return m_articleId; }

    const THelpReader &Reader() const { return *m_reader; }

    // target: a link's href, relative to the page.
    void FollowLink(const QString &target);
    void btnOpenInBrowserClick();

    QTextBrowser *rvHelp;
    QPushButton *btnOpenInBrowser;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls();
    void ShowArticle(const QString &articleId);
    void GoToAnchor(const QString &name);
    bool ViewKeyBefore(int key);
    void ViewKeyAfter(int key, Qt::KeyboardModifiers modifiers, int oldPosition);
    void ViewFocusBack();
    void Speak(const speech::TUtterance &text);
    void Say(const lang::TMessage &message, const QString &argument = QString());
    QString Text(const lang::TMessage &message) const;

    std::unique_ptr<THelpReader> m_reader;
    QString m_fileName;
    QString m_html;
    QString m_articleId;
    bool m_shown = false;
    bool m_opened = false; // the opening was said
};

// F1: the help window on fileName (normally "readme.htm" in the current
// folder, the profile folder), modal over owner, freed after. A page that
// cannot be read is said and shown in the message dialog instead.
void ShowHelp(QWidget *owner, const QString &fileName, const QString &languageCode,
              speech::TSpeakingComponent *sp, lang::TLocalize *localizer);

// The Help menu's command: the page in the desktop's browser, said as it
// opens; without a browser, the help window (after saying so). A missing
// page is said and shown in the message dialog.
void OpenHelp(QWidget *owner, const QString &fileName, const QString &languageCode,
              speech::TSpeakingComponent *sp, lang::TLocalize *localizer);

} // namespace lexivoce::dialogs
