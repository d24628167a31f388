#pragma once

#include "view/styled_document.h"

#include <QComboBox>
#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace lexivoce::speech {
class TSpeakingComponent;
}
namespace lexivoce::view {
class TStyledView;
}

namespace lexivoce::dialogs {

// The sample entry of the style settings, in the dictionary text format.
extern const QString kSettingsSample;

// Appends text (lines of the dictionary text format) to the document the
// way the sample shows it: a line's marker gives its style, idioms and
// examples a bullet, an example's translation and a head line's
// transcription a style of their own; the words of a line stay one piece.
void RenderSample(view::TStyledDocument &document, const QString &text);

// The colour combo of the style settings: each item is a swatch of one of
// the sixteen basic colours, named for speech but drawn without text.
class TColorCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit TColorCombo(QWidget *parent = nullptr);

    // The basic colour's platform name ("clRed"), by item.
    static QString ColorName(int index);
    // The item of color; -1 when it is not one of the sixteen.
    int IndexOf(const view::TColor &color) const;
    view::TColor ColorAt(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The style settings: a sample entry whose pieces select their style, and
// the font, colour, size, bold, italic and underline of that style, with
// the sample's background picture. The sample starts from the entry view's
// styles, so that what it shows is what OK gives the entry view; the
// dialog itself keeps nothing.
// Use: set SpeakingComponent, SetStyles, HookControlTree, exec(); after
// Accepted read Styles().
class TfrmSettings : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmSettings(QWidget *parent = nullptr);
    ~TfrmSettings() override;

    view::TStyledView *rvSample = nullptr;
    QFrame *frame = nullptr;
    QLabel *lblFontName = nullptr;
    QComboBox *cboFontName = nullptr;
    QLabel *lblFontColor = nullptr;
    TColorCombo *cboFontColor = nullptr;
    QLabel *lblFontSize = nullptr;
    QSpinBox *spnFontSize = nullptr;
    QLabel *lblFontStyle = nullptr;
    QCheckBox *chkBold = nullptr;
    QCheckBox *chkItalic = nullptr;
    QCheckBox *chkUnderline = nullptr;
    QLabel *lblBgFileName = nullptr;
    QLineEdit *edtBgFileName = nullptr;
    QPushButton *btnBrowse = nullptr;
    QLabel *lblBgStyle = nullptr;
    QComboBox *cboBgStyle = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

    speech::TSpeakingComponent *SpeakingComponent = nullptr;
    // The text style being edited; -1 before the first choice.
    int CurrentStyle = -1;
    // Asks for the background picture's file; empty when none was chosen.
    // By default the program's own file dialog.
    std::function<QString()> ChooseBackgroundFile;

    // The styles the sample starts from: those of the entry view.
    void SetStyles(const view::TStyleSheet &styles);
    // Those styles with the edits made in the sample.
    view::TStyleSheet Styles() const;

    void TntFormShow();
    // A piece of the sample was chosen: its style is shown for editing.
    void rvSampleJump(int itemNo);
    // A control changed the current style (or the background), by its tag.
    void cboFontNameChange(QObject *sender);
    void btnBrowseClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectChanges();
    void disconnectChanges();
    // The text item under the sample's caret; -1 without one.
    int pieceAtCaret() const;
    void onSampleCaretMoved();
    void speakCurrentPiece();

    view::TStyleSheet m_styles;
    view::TStyleSheet m_sampleStyles;
    QList<QMetaObject::Connection> m_changeConnections;
    bool m_shown = false;
};

// The sample's name for a text style of an entry, as the dialog says it.
QString SampleStyleName(int style);

} // namespace lexivoce::dialogs
