#pragma once

#include "dict/registry.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTabWidget;
class QTreeWidget;
class QWidget;

namespace lexivoce::lang {
class TIniFile;
class TLocalize;
struct TMessage;
}
namespace lexivoce::speech {
class TSpeakingComponent;
}

namespace lexivoce::dialogs {

// The dictionary manager, "Setup dictionary": the registry's dictionaries
// with their files, voices, pitch, speed and punctuation (saved at once by
// Save and Delete), the interface voice, and building a dictionary's index,
// sorted first on request. Every control is spoken by the caller's speaking
// component and translated by its localizer.
//
// Use: set SpeakingComponent, Localizer and VoiceNames, HookControlTree,
// TranslateComponent, fill the interface voice controls, exec(); after OK (1)
// reload the registry and take the interface voice from cboMainVoice,
// tkbMainPitch and tkbMainSpeed. Cancel gives 2.
class TfrmSelectDlg : public QDialog
{
    Q_OBJECT

public:
    // One dictionary of the list: its file and how it is spoken.
    struct TPathItem
    {
        QString Path;
        dict::VoicePair Voices = 0;
        int Speed = 10;
        int Pitch = 10;
        bool ReadPunc = false;
    };

    explicit TfrmSelectDlg(QWidget *parent = nullptr);
    ~TfrmSelectDlg() override;

    // Parallel to lstDicts.
    QList<TPathItem> PathList;
    std::unique_ptr<lang::TIniFile> RegistryFile;
    // A new dictionary is in the list and not yet saved.
    bool Adding = false;
    // The selected dictionary was changed and not yet saved.
    bool Modified = false;
    // Not owned; set before showing.
    speech::TSpeakingComponent *SpeakingComponent = nullptr;
    lang::TLocalize *Localizer = nullptr;
    // The installed voices, in engine order (the voice boxes' items).
    QStringList VoiceNames;
    // The registry the dialog reads and writes.
    QString RegistryName = QStringLiteral("Lexivoce.ini");

    // Reads the registry into the list and selects the first dictionary.
    void LoadRegistry(const QString &name);
    void EnableDictFields(bool enabled);

    void lstDictsClick();
    void btnAddClick();
    void btnDeleteClick();
    void btnSaveClick();
    // sender: btnOpenFile (into edtFileName) or btnBrowse (into edtDictFile).
    void btnBrowseClick(QPushButton *sender);
    void btnMakeClick();
    bool IsBuilding() const { return m_building; }

    QTabWidget *pgeConfig;
    QWidget *tabParams;
    QLabel *lblSelectDict;
    QLabel *lblFileName;
    QLineEdit *edtFileName;
    QPushButton *btnOpenFile;
    QLabel *lblDictName;
    QLineEdit *edtDictName;
    QLabel *lblVoice1;
    QComboBox *cboVoices1;
    QLabel *lblVoice2;
    QComboBox *cboVoices2;
    QLabel *lblPitch;
    QSlider *tkbPitch;
    QLabel *lblSpeed;
    QSlider *tkbSpeed;
    QCheckBox *chkReadPunc;
    QLabel *lblDicts;
    QTreeWidget *lstDicts;
    QPushButton *btnAdd;
    QPushButton *btnDelete;
    QPushButton *btnSave;
    QLabel *lblSelMainVoice;
    QLabel *lblMainVoice;
    QComboBox *cboMainVoice;
    QLabel *lblmainPitch;
    QSlider *tkbMainPitch;
    QLabel *lblMainSpeed;
    QSlider *tkbMainSpeed;
    QWidget *tabCreateIndex;
    QLabel *lblMakeIndex;
    QLabel *lblDictFile;
    QLineEdit *edtDictFile;
    QPushButton *btnBrowse;
    QCheckBox *chkSort;
    QPushButton *btnMake;
    QProgressBar *pgbMakeIndex;
    QLabel *lblProgress;
    QPushButton *btnOK;
    QPushButton *btnCancel;

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls();
    void edtFileNameChange();
    void cboVoices1Change();
    void SetProgress(int percent);
    void Say(const lang::TMessage &message);
    QString Text(const lang::TMessage &message) const;
    void SetTracking(bool on);

    bool m_shown = false;
    bool m_building = false;
    bool m_tracking = true;
};

} // namespace lexivoce::dialogs
