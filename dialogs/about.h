#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

class QFrame;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QShowEvent;

namespace lexivoce::speech {
class TSpeakingComponent;
}

namespace lexivoce::dialogs {

// The version text a file carries in its version record, for example
// "0.1.0.0"; empty when the file has none, or has one without a translation
// table or without a FileVersion for its first translation, and for a file
// that is missing, unreadable or not a regular file.
//
// A Linux program has no version resource, so every program that links the
// dialogs library carries one of its own (about.cpp): a record in a section
// of its own, built from the project's version. It starts with the marker
// VersionRecordMarker() and holds, after it, little-endian:
//   u16 number of values (1..64), u16 byte size of the values that follow;
//   per value: u16 key size (1..256), the key (ASCII), u16 data size, data.
// "\VarFileInfo\Translation" holds pairs of u16 (language, code page); the
// first pair forms the key "StringFileInfo\LLLLCCCC\FileVersion" (upper-case
// hexadecimal) of the UTF-8 version text. The file is mapped, not read; a
// record that is cut short or breaks any bound is skipped.
QString GetFileVersionString(const QString &fileName);

// The 16 bytes that open a version record. Made at run time, so that the
// code that looks for records never holds a copy of them itself.
QByteArray VersionRecordMarker();

// The copyright line's holder; the line is "© 2026 %s".
inline constexpr const char *kCopyrightHolder = "Lexivoce developers";

// The about box: logo, product name, the program file's version, who the
// software is for, copyright, help and contact lines, on a white borderless
// box with a purple frame. Its texts are fixed (never translated). When it
// opens, its caption and every line are spoken through SpeakingComponent;
// Enter or Esc closes it, every other key and every click does nothing.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    ~TfrmAbout() override;

    // Not owned; may be null (then nothing is said).
    speech::TSpeakingComponent *SpeakingComponent = nullptr;
    // The file whose version is shown; the running program by default.
    QString ProgramFile;

    // Fills the version and the copyright line and speaks the box. Runs
    // once, when the box is first shown.
    void TntFormShow();
    // key: the character typed (13 Enter, 27 Esc).
    void TntFormKeyPress(QChar key);

    QFrame *Shape1;
    QLabel *imgLogo;
    QLabel *lblShadow;
    QLabel *lblProductName;
    QLabel *lblFileVersion;
    QLabel *lblInfo;
    QLabel *lblCopyright;
    QLabel *lblWebsite;
    QLabel *lblTelFax;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void CreateControls();

    bool m_shown = false;
};

// Shows the about box modally over owner and frees it; sp (may be null)
// speaks it.
void ShowAbout(QWidget *owner, speech::TSpeakingComponent *sp);

} // namespace lexivoce::dialogs
