#include "dialogs/help_view.h"

#include "dialogs/help_reader.h"
#include "dialogs/message_dialog.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/speaking_component.h"
#include "speech/utterance.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>

namespace lexivoce::dialogs {

namespace {

// A help page is a few hundred kilobytes; a larger file is not one.
constexpr qint64 kMaxPageSize = 8 * 1024 * 1024;

// Starts the desktop's handler on argument (a path or an address).
bool startHandler(const QString &argument)
{
    const QString handler = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (handler.isEmpty())
        return false;
    return QProcess::startDetached(handler, {argument});
}

// The page view. It reads what a key reached once the view has acted on
// the key, and takes Enter itself, so that Enter never presses a button of
// the window.
class THelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    // Before the view acts on a key; true: the key is taken.
    std::function<bool(int key)> KeyBefore;
    std::function<void(int key, Qt::KeyboardModifiers modifiers, int oldPosition)> KeyAfter;
    // Tab or Shift+Tab selected a link.
    std::function<void()> LinkReached;
    // The focus came back with Tab or Shift+Tab.
    std::function<void()> FocusBack;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (KeyBefore && KeyBefore(event->key())) {
            event->accept();
            return;
        }
        const int oldPosition = textCursor().position();
        QTextBrowser::keyPressEvent(event);
        if (KeyAfter)
            KeyAfter(event->key(), event->modifiers(), oldPosition);
    }

    bool focusNextPrevChild(bool next) override
    {
        const bool hadFocus = hasFocus();
        const bool moved = QTextBrowser::focusNextPrevChild(next);
        // Still here: the selection went to the next link. Otherwise the
        // focus left for the next control, which says itself.
        if (moved && hadFocus && hasFocus() && LinkReached)
            LinkReached();
        return moved;
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QTextBrowser::focusInEvent(event);
        if ((event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) && FocusBack)
            FocusBack();
    }
};

QString wrapArticle(const QString &article)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>") + article
         + QStringLiteral("</body></html>");
}

} // namespace

bool OpenHelpInBrowser(const QString &fileName)
{
    const QFileInfo page(fileName);
    if (!page.isFile())
        return false;
    return startHandler(page.absoluteFilePath());
}

QString HelpArticleId(const QString &languageCode)
{
    return languageCode.startsWith(QLatin1String("vi"), Qt::CaseInsensitive) ? QStringLiteral("vi")
                                                                              : QStringLiteral("en");
}

QString HelpArticle(const QString &html, const QString &articleId)
{
    static const QRegularExpression opening(
        QStringLiteral(R"re(<article\b[^>]*\bid\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+))[^>]*>)re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral(R"(<(/?)article\b[^>]*>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const QRegularExpressionMatch &match : opening.globalMatch(html)) {
        const QString id = match.captured(1) + match.captured(2) + match.captured(3);
        if (id != articleId)
            continue;
        // Up to its own end tag, past any article inside it.
        int depth = 1;
        for (const QRegularExpressionMatch &inner : tag.globalMatch(html, match.capturedEnd())) {
            depth += inner.captured(1).isEmpty() ? 1 : -1;
            if (depth == 0)
                return html.mid(match.capturedEnd(), inner.capturedStart() - match.capturedEnd());
        }
        return html.mid(match.capturedEnd());
    }
    return QString();
}

TfrmHelp::TfrmHelp(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(lang::CtlHelpWindow.Text());
    CreateControls();
    m_reader = std::make_unique<THelpReader>(rvHelp);
    // A page to read: large, and as large as the user likes.
    const QSize size(720, 540);
    resize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}

TfrmHelp::~TfrmHelp()
{
    if (SpeakingComponent)
        SpeakingComponent->StopSpeaking();
}

void TfrmHelp::CreateControls()
{
    auto *view = new THelpBrowser(this);
    rvHelp = view;
    rvHelp->setObjectName(QStringLiteral("rvHelp"));
    // The page is the page's own text.
    rvHelp->setProperty("tag", -1);
    rvHelp->setOpenLinks(false);
    rvHelp->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse
                                    | Qt::LinksAccessibleByKeyboard | Qt::LinksAccessibleByMouse);
    view->KeyBefore = [this](int key) { return ViewKeyBefore(key); };
    view->KeyAfter = [this](int key, Qt::KeyboardModifiers modifiers, int oldPosition) {
        ViewKeyAfter(key, modifiers, oldPosition);
    };
    view->LinkReached = [this] { Speak(m_reader->LinkUtterance(Text(lang::MSGHELP004))); };
    view->FocusBack = [this] { ViewFocusBack(); };
    connect(rvHelp, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) { FollowLink(url.toString()); });

    btnOpenInBrowser = new QPushButton(lang::CtlHelpBrowser.Text(), this);
    btnOpenInBrowser->setObjectName(QStringLiteral("btnOpenInBrowser"));
    // Enter belongs to the page's links, never to this button.
    btnOpenInBrowser->setAutoDefault(false);
    connect(btnOpenInBrowser, &QPushButton::clicked, this, &TfrmHelp::btnOpenInBrowserClick);
    auto *openInBrowser = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(openInBrowser, &QShortcut::activated, this, &TfrmHelp::btnOpenInBrowserClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOpenInBrowser);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rvHelp);
    layout->addLayout(buttons);
    setTabOrder(rvHelp, btnOpenInBrowser);
    rvHelp->setFocus(Qt::OtherFocusReason);
}

bool TfrmHelp::LoadPage(const QString &fileName, const QString &languageCode)
{
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || file.size() > kMaxPageSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kMaxPageSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxPageSize)
        return false;
    // The page says its encoding; UTF-8 when it does not.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    m_html = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
    m_fileName = QFileInfo(fileName).absoluteFilePath();
    // Links and pictures relative to the page are found beside it.
    rvHelp->document()->setBaseUrl(QUrl::fromLocalFile(m_fileName));
    ShowArticle(HelpArticleId(languageCode));
    return true;
}

void TfrmHelp::ShowArticle(const QString &articleId)
{
    const QString article = HelpArticle(m_html, articleId);
    m_articleId = article.isEmpty() ? QString() : articleId;
    rvHelp->setHtml(article.isEmpty() ? m_html : wrapArticle(article));
    rvHelp->moveCursor(QTextCursor::Start);
}

void TfrmHelp::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (SpeakingComponent)
        m_reader->Words = SpeakingComponent->Words;
    // Once the page is laid out at the window's width, so that the first
    // line is the one on the screen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            Speak(windowTitle());
            Speak(m_reader->LineUtterance());
            m_opened = true;
        },
        Qt::QueuedConnection);
}

QString TfrmHelp::Text(const lang::TMessage &message) const
{
    return lang::MessageText(Localizer, message);
}

void TfrmHelp::Speak(const speech::TUtterance &text)
{
    if (SpeakingComponent && !text.IsEmpty())
        SpeakingComponent->SpeakText(text);
}

void TfrmHelp::Say(const lang::TMessage &message, const QString &argument)
{
    Speak(lang::FillMessage(Text(message), {argument}));
}

bool TfrmHelp::ViewKeyBefore(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const QString target = m_reader->LinkAtCaret();
    if (!target.isEmpty())
        FollowLink(target);
    return true;
}

void TfrmHelp::ViewKeyAfter(int key, Qt::KeyboardModifiers modifiers, int oldPosition)
{
    if (modifiers & Qt::AltModifier)
        return;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool moved = rvHelp->textCursor().position() != oldPosition;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        // At the top or the end the line would only be said again.
        if (moved)
            Speak(m_reader->LineUtterance());
        else
            Say(key == Qt::Key_Up || key == Qt::Key_PageUp ? lang::MSGHELP005 : lang::MSGHELP006);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!moved)
            Say(key == Qt::Key_Left ? lang::MSGHELP005 : lang::MSGHELP006);
        else
            Speak(ctrl ? m_reader->WordUtterance() : m_reader->CharacterUtterance());
        break;
    case Qt::Key_Home:
        Speak(ctrl ? m_reader->PageUtterance() : m_reader->CharacterUtterance());
        break;
    case Qt::Key_End:
        Speak(ctrl ? m_reader->LineUtterance() : m_reader->CharacterUtterance());
        break;
    default:
        break;
    }
}

void TfrmHelp::ViewFocusBack()
{
    // QDialog gives the opening focus as if by Tab; the opening says more.
    if (!m_opened)
        return;
    const speech::TUtterance link = m_reader->LinkUtterance(Text(lang::MSGHELP004));
    Speak(link.IsEmpty() ? m_reader->LineUtterance() : link);
}

void TfrmHelp::GoToAnchor(const QString &name)
{
    int position = m_reader->AnchorPosition(name);
    // A link to the other language's article shows that article.
    if (position < 0 && !HelpArticle(m_html, name).isEmpty()) {
        ShowArticle(name);
        position = 0;
    }
    if (position < 0) {
        Say(lang::MSGHELP007);
        return;
    }
    QTextCursor cursor(rvHelp->document());
    cursor.setPosition(position);
    rvHelp->setTextCursor(cursor);
    rvHelp->scrollToAnchor(name);
    rvHelp->ensureCursorVisible();
    Speak(m_reader->LineUtterance());
}

void TfrmHelp::FollowLink(const QString &target)
{
    const QUrl url(target);
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
        GoToAnchor(url.fragment(QUrl::FullyDecoded));
        return;
    }
    const QUrl resolved = rvHelp->document()->baseUrl().resolved(url);
    static const QStringList kOpened = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                                        QStringLiteral("file")};
    if (!resolved.isValid() || !kOpened.contains(resolved.scheme().toLower())) {
        Say(lang::MSGHELP007);
        return;
    }
    const bool opened = startHandler(resolved.isLocalFile() ? resolved.toLocalFile()
                                                            : resolved.toString(QUrl::FullyEncoded));
    if (opened)
        Say(lang::MSGHELP003, target);
    else
        Say(lang::MSGHELP002);
}

void TfrmHelp::btnOpenInBrowserClick()
{
    if (OpenHelpInBrowser(m_fileName))
        Say(lang::MSGHELP003, QFileInfo(m_fileName).fileName());
    else
        Say(lang::MSGHELP002);
}

namespace {

void sayMissing(const QString &fileName, speech::TSpeakingComponent *sp, lang::TLocalize *localizer)
{
    const QString message = lang::FillMessage(lang::MessageText(localizer, lang::MSGHELP001), {fileName});
    ShowMessageDialog(message, mtError, mbOK, 0, sp, localizer);
}

} // namespace

void ShowHelp(QWidget *owner, const QString &fileName, const QString &languageCode,
              speech::TSpeakingComponent *sp, lang::TLocalize *localizer)
{
    TfrmHelp form(owner);
    form.SpeakingComponent = sp;
    form.Localizer = localizer;
    if (!form.LoadPage(fileName, languageCode)) {
        form.SpeakingComponent = nullptr;
        sayMissing(fileName, sp, localizer);
        return;
    }
    if (localizer)
        localizer->TranslateComponent(&form);
    // Detached before the form goes, whatever way it goes.
    const QPointer<speech::TSpeakingComponent> attached = sp;
    const auto detach = qScopeGuard([&] {
        if (attached)
            attached->UnhookControlTree(&form);
    });
    if (sp) {
        sp->HookControlTree(&form);
        sp->SetSelfVoiced(form.rvHelp);
    }
    form.exec();
}

void OpenHelp(QWidget *owner, const QString &fileName, const QString &languageCode,
              speech::TSpeakingComponent *sp, lang::TLocalize *localizer)
{
    if (!QFileInfo(fileName).isFile()) {
        sayMissing(fileName, sp, localizer);
        return;
    }
    if (OpenHelpInBrowser(fileName)) {
        if (sp)
            sp->SpeakText(lang::FillMessage(lang::MessageText(localizer, lang::MSGHELP003),
                                            {QFileInfo(fileName).fileName()}));
        return;
    }
    if (sp)
        sp->SpeakText(lang::MessageText(localizer, lang::MSGHELP002));
    ShowHelp(owner, fileName, languageCode, sp, localizer);
}

} // namespace lexivoce::dialogs
