#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QString>

#include <cstdint>

class QFontMetrics;
class QKeyEvent;

namespace lexivoce::lang {
class TLocalize;
}
namespace lexivoce::speech {
class TSpeakingComponent;
}

namespace lexivoce::dialogs {

// The kind of message: it names the form, gives the default caption and the
// icon (none for Custom, whose caption is the application's title).
enum MessageType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// A set of buttons: bit n stands for the n-th button below, which is also
// the order of creation, of placement from left to right and of tabbing.
// Bits 11 to 15 name no button.
using MessageButtons = std::uint16_t;
inline constexpr MessageButtons mbYes = 1u << 0;
inline constexpr MessageButtons mbNo = 1u << 1;
inline constexpr MessageButtons mbOK = 1u << 2;
inline constexpr MessageButtons mbCancel = 1u << 3;
inline constexpr MessageButtons mbAbort = 1u << 4;
inline constexpr MessageButtons mbRetry = 1u << 5;
inline constexpr MessageButtons mbIgnore = 1u << 6;
inline constexpr MessageButtons mbAll = 1u << 7;
inline constexpr MessageButtons mbNoToAll = 1u << 8;
inline constexpr MessageButtons mbYesToAll = 1u << 9;
inline constexpr MessageButtons mbHelp = 1u << 10;
inline constexpr int kMessageButtonCount = 11;

// What the dialog returns: the result of the button that closed it, or
// mrCancel when the window was closed. The Help button (mrNone) never closes.
enum ModalResult : int {
    mrNone = 0,
    mrOK = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// The program's own message box, built at run time by BuildMessageDialog so
// that it can be spoken and translated like every other window.
class TMessageForm : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(int HelpContext READ HelpContext WRITE SetHelpContext)
    Q_PROPERTY(QString HelpFile READ HelpFile WRITE SetHelpFile)

public:
    explicit TMessageForm(QWidget *parent = nullptr);

    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int context) { m_helpContext = context; }
    QString HelpFile() const { return m_helpFile; }
    void SetHelpFile(const QString &fileName) { m_helpFile = fileName; }

    // The button Escape presses; nullptr when Escape does nothing.
    QPushButton *CancelButton() const { return m_cancelButton; }
    void SetCancelButton(QPushButton *button) { m_cancelButton = button; }

    // What the Help button does. The program has no help system, so this
    // only tells whoever listens; the dialog stays open.
    void ShowHelp();

public Q_SLOTS:
    // Reached only through the window's close command (Escape is handled
    // before QDialog sees it): the result is mrCancel.
    void reject() override;

Q_SIGNALS:
    void HelpRequested(int helpContext, const QString &helpFile);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_helpContext = 0;
    QString m_helpFile;
    QPointer<QPushButton> m_cancelButton;
};

// The width of "A".."Z" then "a".."z" in the font divided by 52 (integer
// division), and the height of that text.
QSize AverageCharSize(const QFontMetrics &metrics);

// The form with all its controls, sized and centred on the primary screen,
// not shown. The caller owns it.
TMessageForm *BuildMessageDialog(const QString &message, MessageType type, MessageButtons buttons);

// Builds, translates (when localizer is given), attaches to speaker (when
// given) and shows the dialog modally; returns the result of the button that
// closed it. left and top, when >= 0, replace that edge of the centred
// position. The form is freed in every case.
int ShowMessageDialogAt(const QString &message, MessageType type, MessageButtons buttons, int helpContext,
                        int left, int top, const QString &helpFile, speech::TSpeakingComponent *speaker,
                        lang::TLocalize *localizer);

// Centred, without a help file.
int ShowMessageDialog(const QString &message, MessageType type, MessageButtons buttons, int helpContext,
                      speech::TSpeakingComponent *speaker, lang::TLocalize *localizer);

// Centred, with caption in place of the type's own (after translation).
int ShowMessageDialog(const QString &message, const QString &caption, MessageType type, MessageButtons buttons,
                      speech::TSpeakingComponent *speaker, lang::TLocalize *localizer);

// An Error dialog with OK, spoken through the real speech engine: for trying
// the dialog by ear.
int DemoMessageDialog(const QString &message);

// The process-wide table of measured button caption widths. For tests: how
// many captions were measured so far, and forgetting every measurement.
int CaptionWidthMeasureCount();
void ResetCaptionWidths();

} // namespace lexivoce::dialogs
