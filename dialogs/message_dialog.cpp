#include "dialogs/message_dialog.h"

#include "lang/control_texts.h"
#include "lang/localize.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>

#include <array>
#include <cstdlib>
#include <memory>

namespace lexivoce::dialogs {

namespace {

// The default captions live with the other interface texts, under the
// component names ("frmMsgDlg" + type name, "btnDlg" + button name).
struct TTypeInfo
{
    const char16_t *Name;
    QStyle::StandardPixmap Icon;
    bool HasIcon;
};

const std::array<TTypeInfo, 5> kTypes{{
    {u"Warning", QStyle::SP_MessageBoxWarning, true},
    {u"Error", QStyle::SP_MessageBoxCritical, true},
    {u"Information", QStyle::SP_MessageBoxInformation, true},
    {u"Confirmation", QStyle::SP_MessageBoxQuestion, true},
    {u"Custom", QStyle::SP_CustomBase, false},
}};

// The standard bitmap-button kinds: one glyph each. The kind also makes a
// button a default (Yes, OK) or a cancel (No, Cancel) button.
enum TGlyphKind : std::uint8_t { gkYes, gkNo, gkOK, gkCancel, gkAbort, gkRetry, gkIgnore, gkAll, gkHelp };

QStyle::StandardPixmap glyphOf(TGlyphKind kind)
{
    switch (kind) {
    case gkYes: return QStyle::SP_DialogYesButton;
    case gkNo: return QStyle::SP_DialogNoButton;
    case gkOK: return QStyle::SP_DialogOkButton;
    case gkCancel: return QStyle::SP_DialogCancelButton;
    case gkAbort: return QStyle::SP_DialogAbortButton;
    case gkRetry: return QStyle::SP_DialogRetryButton;
    case gkIgnore: return QStyle::SP_DialogIgnoreButton;
    case gkAll: return QStyle::SP_DialogYesToAllButton;
    case gkHelp: return QStyle::SP_DialogHelpButton;
    }
    return QStyle::SP_DialogOkButton;
}

struct TButtonInfo
{
    const char16_t *Name;
    TGlyphKind Kind;
    int Result;
};

// Indexed by bit number.
const std::array<TButtonInfo, kMessageButtonCount> kButtons{{
    {u"Yes", gkYes, mrYes},
    {u"No", gkNo, mrNo},
    {u"OK", gkOK, mrOK},
    {u"Cancel", gkCancel, mrCancel},
    {u"Abort", gkAbort, mrAbort},
    {u"Retry", gkRetry, mrRetry},
    {u"Ignore", gkIgnore, mrIgnore},
    {u"All", gkAll, mrAll},
    {u"NoToAll", gkNo, mrNoToAll},
    {u"YesToAll", gkAll, mrYesToAll},
    {u"Help", gkHelp, mrNone},
}};

constexpr int kYes = 0, kNo = 1, kOK = 2, kCancel = 3, kRetry = 5;

QString text(const char16_t *utf16)
{
    return QString::fromUtf16(utf16);
}

QString defaultCaption(const QString &componentName)
{
    return lang::DefaultCaption(lang::MessageDialogTexts(), componentName);
}

QString buttonName(int bit)
{
    return QStringLiteral("btnDlg") + text(kButtons[bit].Name);
}

// Caption widths measured once per run: 0 means not measured yet.
std::array<int, kMessageButtonCount> g_captionWidths{};
int g_captionMeasureCount = 0;

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c)
{
    const qint64 product = static_cast<qint64>(a) * b;
    const qint64 magnitude = (std::llabs(product) * 2 + std::llabs(c)) / (2 * std::llabs(c));
    return static_cast<int>((product < 0) != (c < 0) ? -magnitude : magnitude);
}

bool has(MessageButtons buttons, int bit)
{
    return (buttons >> bit) & 1u;
}

// A label that names a control treats '&' as a mnemonic; the message must
// show (and be spoken) as written, and must not grab an Alt shortcut.
QString escapeMnemonics(QString message)
{
    return message.replace(u'&', QStringLiteral("&&"));
}

} // namespace

// ---------------------------------------------------------------------------

TMessageForm::TMessageForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
}

void TMessageForm::ShowHelp()
{
    Q_EMIT HelpRequested(m_helpContext, m_helpFile);
}

void TMessageForm::reject()
{
    done(mrCancel);
}

void TMessageForm::keyPressEvent(QKeyEvent *event)
{
    // Escape presses the cancel button; with none it does nothing, so that a
    // dialog without one closes only by the close command.
    if (event->matches(QKeySequence::Cancel)) {
        if (m_cancelButton && m_cancelButton->isEnabled())
            m_cancelButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

QSize AverageCharSize(const QFontMetrics &metrics)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QSize size = metrics.size(Qt::TextSingleLine, letters);
    return {size.width() / 52, size.height()};
}

int CaptionWidthMeasureCount()
{
    return g_captionMeasureCount;
}

void ResetCaptionWidths()
{
    g_captionWidths.fill(0);
    g_captionMeasureCount = 0;
}

TMessageForm *BuildMessageDialog(const QString &message, MessageType type, MessageButtons buttons)
{
    const TTypeInfo &typeInfo = kTypes[static_cast<std::size_t>(type) < kTypes.size() ? type : mtCustom];

    // The form and its font. Tahoma is rarely installed here; the fallback
    // must cover Vietnamese.
    auto form = std::make_unique<TMessageForm>();
    QFont font = form->font();
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    form->setFont(font);
    const QString formName = QStringLiteral("frmMsgDlg") + text(typeInfo.Name);
    form->setObjectName(formName);
    form->setLayoutDirection(QGuiApplication::layoutDirection());
    const QFontMetrics metrics(form->font());
    const QSize average = AverageCharSize(metrics);
    const int cx = average.width();
    const int cy = average.height();

    // Layout units, in average characters.
    const int horzMargin = mulDiv(8, cx, 4);
    const int vertMargin = mulDiv(8, cy, 8);
    const int horzSpacing = mulDiv(10, cx, 4);
    const int vertSpacing = mulDiv(10, cy, 8);
    int buttonWidth = mulDiv(65, cx, 4);
    const int buttonHeight = mulDiv(16, cy, 8);
    const int buttonSpacing = mulDiv(8, cx, 4);

    // One width for all buttons, from the default captions: a longer
    // translation later does not widen them.
    int buttonCount = 0;
    for (int bit = 0; bit < kMessageButtonCount; ++bit) {
        if (!has(buttons, bit))
            continue;
        ++buttonCount;
        if (g_captionWidths[bit] == 0) {
            const QRect caption = metrics.boundingRect(QRect(), Qt::AlignLeft | Qt::TextSingleLine | Qt::TextShowMnemonic,
                                                       defaultCaption(buttonName(bit)));
            g_captionWidths[bit] = caption.width() + 8;
            ++g_captionMeasureCount;
        }
        buttonWidth = std::max(buttonWidth, g_captionWidths[bit]);
    }

    // The message, wrapped within half the screen. The full geometry of
    // the primary screen, not its available area: the box centres on the
    // screen as a whole.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect();
    const QRect measured = metrics.boundingRect(QRect(0, 0, screenRect.width() / 2, 0),
                                                Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, message);
    const int textWidth = measured.x() + measured.width();
    const int textHeight = measured.y() + measured.height();

    // The icon-and-text block, the button row and the client area.
    int blockWidth = textWidth;
    int blockHeight = textHeight;
    if (typeInfo.HasIcon) {
        blockWidth += 32 + horzSpacing;
        blockHeight = std::max(blockHeight, 32);
    }
    const int groupWidth = buttonCount > 0 ? buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing : 0;
    const int clientWidth = std::max(blockWidth, groupWidth) + 2 * horzMargin;
    const int clientHeight = blockHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    form->setFixedSize(clientWidth, clientHeight);

    // Centred. Before the first show the frame is unknown, so the outer
    // size is the client size; move() places the frame's corner.
    const QSize outer = form->frameGeometry().size();
    form->move(screenRect.x() + screenRect.width() / 2 - outer.width() / 2,
               screenRect.y() + screenRect.height() / 2 - outer.height() / 2);

    // Custom has no caption of its own: the application's title.
    const QString caption = defaultCaption(formName);
    form->setWindowTitle(caption.isEmpty() ? QGuiApplication::applicationDisplayName() : caption);

    const bool rightToLeft = form->layoutDirection() == Qt::RightToLeft;

    // Qt does not mirror absolute positions; the icon goes to the
    // reading start, where the label leaves room for it.
    if (typeInfo.HasIcon) {
        auto *icon = new QLabel(form.get());
        icon->setObjectName(QStringLiteral("imgDlgIcon"));
        icon->setPixmap(form->style()->standardIcon(typeInfo.Icon, nullptr, form.get()).pixmap(32, 32));
        icon->setAlignment(Qt::AlignCenter);
        icon->setGeometry(rightToLeft ? clientWidth - horzMargin - 32 : horzMargin, vertMargin, 32, 32);
    }

    // The message; tag -1 keeps the localizer off it.
    auto *label = new QLabel(form.get());
    label->setObjectName(QStringLiteral("lblDlgMsg"));
    label->setProperty("tag", -1);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    label->setLayoutDirection(form->layoutDirection());
    int labelLeft = blockWidth - textWidth + horzMargin;
    if (rightToLeft)
        labelLeft = clientWidth - labelLeft - textWidth;
    label->setGeometry(labelLeft, vertMargin, textWidth, textHeight);

    // The default button is OK, else Yes, else Retry: Qt allows only one,
    // and the Yes and OK kinds never point elsewhere. Escape presses the
    // first cancel button in table order, chosen here or by its kind.
    const int defaultBit = has(buttons, kOK) ? kOK : has(buttons, kYes) ? kYes : has(buttons, kRetry) ? kRetry : -1;
    const int cancelBit = has(buttons, kCancel) ? kCancel : has(buttons, kNo) ? kNo : has(buttons, kOK) ? kOK : -1;

    // The buttons, centred in one row.
    int x = (clientWidth - groupWidth) / 2;
    const int y = blockHeight + vertMargin + vertSpacing;
    QPushButton *firstButton = nullptr;
    for (int bit = 0; bit < kMessageButtonCount; ++bit) {
        if (!has(buttons, bit))
            continue;
        const TButtonInfo &info = kButtons[bit];
        auto *button = new QPushButton(form.get());
        if (!firstButton) {
            firstButton = button;
            label->setBuddy(button);
        }
        button->setObjectName(buttonName(bit));
        button->setText(defaultCaption(button->objectName()));
        button->setIcon(form->style()->standardIcon(glyphOf(info.Kind), nullptr, button));
        button->setDefault(bit == defaultBit);
        const bool cancelKind = info.Kind == gkCancel || info.Kind == gkNo;
        if ((bit == cancelBit || cancelKind) && !form->CancelButton())
            form->SetCancelButton(button);
        button->setGeometry(x, y, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;

        TMessageForm *owner = form.get();
        if (info.Result == mrNone) {
            QObject::connect(button, &QPushButton::clicked, owner, &TMessageForm::ShowHelp);
        } else {
            const int result = info.Result;
            QObject::connect(button, &QPushButton::clicked, owner, [owner, result] { owner->done(result); });
        }
    }
    label->setText(firstButton ? escapeMnemonics(message) : message);

    // QDialog would give the opening focus to its default button; it belongs
    // to the first one.
    if (firstButton)
        firstButton->setFocus(Qt::OtherFocusReason);
    return form.release();
}

namespace {

int showMessageForm(const QString &message, const QString &caption, MessageType type, MessageButtons buttons,
                    int helpContext, int left, int top, const QString &helpFile,
                    speech::TSpeakingComponent *speaker, lang::TLocalize *localizer)
{
    const std::unique_ptr<TMessageForm> form(BuildMessageDialog(message, type, buttons));
    if (localizer)
        localizer->TranslateComponent(form.get());
    if (!caption.isNull())
        form->setWindowTitle(caption);

    // Detached before the form goes, whatever way it goes.
    const QPointer<speech::TSpeakingComponent> attached = speaker;
    const auto detach = qScopeGuard([&] {
        if (attached)
            attached->UnhookControlTree(form.get());
    });
    if (speaker)
        speaker->HookControlTree(form.get());

    form->SetHelpContext(helpContext);
    form->SetHelpFile(helpFile);
    if (left >= 0)
        form->move(left, form->y());
    if (top >= 0)
        form->move(form->x(), top);
    return form->exec();
}

} // namespace

int ShowMessageDialogAt(const QString &message, MessageType type, MessageButtons buttons, int helpContext,
                        int left, int top, const QString &helpFile, speech::TSpeakingComponent *speaker,
                        lang::TLocalize *localizer)
{
    return showMessageForm(message, QString(), type, buttons, helpContext, left, top, helpFile, speaker, localizer);
}

int ShowMessageDialog(const QString &message, MessageType type, MessageButtons buttons, int helpContext,
                      speech::TSpeakingComponent *speaker, lang::TLocalize *localizer)
{
    return ShowMessageDialogAt(message, type, buttons, helpContext, -1, -1, QString(), speaker, localizer);
}

int ShowMessageDialog(const QString &message, const QString &caption, MessageType type, MessageButtons buttons,
                      speech::TSpeakingComponent *speaker, lang::TLocalize *localizer)
{
    return showMessageForm(message, caption, type, buttons, 0, -1, -1, QString(), speaker, localizer);
}

int DemoMessageDialog(const QString &message)
{
    speech::TSpeaker5 speaker;
    speaker.setObjectName(QStringLiteral("spkInterface"));
    speech::TSpeakingComponent spoken;
    spoken.setObjectName(QStringLiteral("spInterface"));
    spoken.SetSpeaker(&speaker);
    return ShowMessageDialog(message, mtError, mbOK, 0, &spoken, nullptr);
}

} // namespace lexivoce::dialogs
