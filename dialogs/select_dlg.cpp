#include "dialogs/select_dlg.h"

#include "dialogs/dialog_form.h"
#include "dialogs/error_display.h"
#include "dialogs/file_dialog.h"
#include "dict/dict_sorter.h"
#include "dict/index_builder.h"
#include "dict/job_reporter.h"
#include "lang/control_texts.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/speaking_component.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace lexivoce::dialogs {

namespace {

// The name a new dictionary starts with.
const QString kNewDictionary = QStringLiteral("Từ điển mới");

QString caption(const char *name)
{
    return lang::DefaultCaption(lang::DictionaryManagerTexts(), QString::fromLatin1(name));
}

QLabel *label(QWidget *parent, const char *name, int x, int y, QWidget *names = nullptr)
{
    auto *result = MakeControl<QLabel>(parent, name, x, y);
    result->setText(caption(name));
    result->adjustSize();
    if (names)
        result->setBuddy(names);
    return result;
}

template <class T>
T *captioned(QWidget *parent, const char *name, int x, int y, int width, int height)
{
    T *widget = MakeControl<T>(parent, name, x, y, width, height);
    widget->setText(caption(name));
    return widget;
}

QSlider *slider(QWidget *parent, const char *name, int x, int y, int tick)
{
    auto *result = MakeControl<QSlider>(parent, name, x, y, 209, 25);
    result->setOrientation(Qt::Horizontal);
    result->setRange(0, 20);
    result->setValue(10);
    if (tick > 0) {
        result->setTickInterval(tick);
        result->setTickPosition(QSlider::TicksBelow);
    }
    return result;
}

void frame(QWidget *parent, int x, int y, int width, int height)
{
    auto *box = new QFrame(parent);
    box->setFrameShape(QFrame::StyledPanel);
    box->setGeometry(x, y, width, height);
    box->lower();
}

void untranslated(QWidget *widget)
{
    widget->setProperty("tag", -1);
}

// Building an index from the dialog: its progress on the dialog's bar, its
// notices spoken, the dialog painting and speaking between steps. Keys wait
// until it is done.
class TDialogReporter : public dict::TJobReporter
{
public:
    TDialogReporter(std::function<void(const lang::TMessage &)> notice, std::function<void(int)> progress)
        : m_notice(std::move(notice)), m_progress(std::move(progress))
    {
    }

    void Notice(const lang::TMessage &message) override { m_notice(message); }
    void Progress(int percent) override { m_progress(percent); }
    bool ProcessEvents() override
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }

private:
    std::function<void(const lang::TMessage &)> m_notice;
    std::function<void(int)> m_progress;
};

} // namespace

TfrmSelectDlg::TfrmSelectDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectDlg"));
    setWindowTitle(caption("frmSelectDlg"));
    CreateControls();
    SetDialogForm(this, QSize(546, 433));
}

TfrmSelectDlg::~TfrmSelectDlg()
{
    if (SpeakingComponent)
        SpeakingComponent->StopSpeaking();
}

void TfrmSelectDlg::CreateControls()
{
    pgeConfig = MakeControl<QTabWidget>(this, "pgeConfig", 0, 0, 545, 393);
    tabParams = new QWidget;
    tabParams->setObjectName(QStringLiteral("tabParams"));
    pgeConfig->addTab(tabParams, caption("tabParams"));
    tabCreateIndex = new QWidget;
    tabCreateIndex->setObjectName(QStringLiteral("tabCreateIndex"));
    pgeConfig->addTab(tabCreateIndex, caption("tabCreateIndex"));

    // The dictionaries.
    QWidget *page = tabParams;
    frame(page, 8, 16, 521, 225);
    edtFileName = MakeControl<QLineEdit>(page, "edtFileName", 72, 24, 129, 21);
    untranslated(edtFileName);
    lblSelectDict = label(page, "lblSelectDict", 16, 8);
    lblFileName = label(page, "lblFileName", 16, 27, edtFileName);
    btnOpenFile = captioned<QPushButton>(page, "btnOpenFile", 208, 24, 65, 25);
    edtDictName = MakeControl<QLineEdit>(page, "edtDictName", 72, 56, 201, 21);
    untranslated(edtDictName);
    lblDictName = label(page, "lblDictName", 16, 59, edtDictName);
    cboVoices1 = MakeControl<QComboBox>(page, "cboVoices1", 72, 88, 201, 21);
    untranslated(cboVoices1);
    lblVoice1 = label(page, "lblVoice1", 16, 91, cboVoices1);
    cboVoices2 = MakeControl<QComboBox>(page, "cboVoices2", 72, 120, 201, 21);
    untranslated(cboVoices2);
    lblVoice2 = label(page, "lblVoice2", 16, 123, cboVoices2);
    tkbPitch = slider(page, "tkbPitch", 64, 152, 2);
    lblPitch = label(page, "lblPitch", 16, 152, tkbPitch);
    tkbSpeed = slider(page, "tkbSpeed", 64, 184, 2);
    lblSpeed = label(page, "lblSpeed", 16, 184, tkbSpeed);
    chkReadPunc = captioned<QCheckBox>(page, "chkReadPunc", 72, 216, 201, 17);
    lstDicts = MakeControl<QTreeWidget>(page, "lstDicts", 288, 40, 233, 161);
    untranslated(lstDicts);
    lstDicts->setRootIsDecorated(false);
    lstDicts->setItemsExpandable(false);
    lstDicts->setUniformRowHeights(true);
    lstDicts->setColumnCount(2);
    lblDicts = label(page, "lblDicts", 288, 24, lstDicts);
    btnAdd = captioned<QPushButton>(page, "btnAdd", 286, 208, 75, 25);
    btnDelete = captioned<QPushButton>(page, "btnDelete", 366, 208, 75, 25);
    btnSave = captioned<QPushButton>(page, "btnSave", 446, 208, 75, 25);
    btnSave->setEnabled(false);

    // The interface voice.
    frame(page, 8, 248, 273, 113);
    lblSelMainVoice = label(page, "lblSelMainVoice", 16, 242);
    cboMainVoice = MakeControl<QComboBox>(page, "cboMainVoice", 72, 264, 201, 21);
    untranslated(cboMainVoice);
    lblMainVoice = label(page, "lblMainVoice", 16, 267, cboMainVoice);
    tkbMainPitch = slider(page, "tkbMainPitch", 64, 296, 0);
    lblmainPitch = label(page, "lblmainPitch", 16, 296, tkbMainPitch);
    tkbMainSpeed = slider(page, "tkbMainSpeed", 64, 328, 0);
    lblMainSpeed = label(page, "lblMainSpeed", 16, 328, tkbMainSpeed);

    // The index.
    page = tabCreateIndex;
    frame(page, 8, 16, 321, 113);
    edtDictFile = MakeControl<QLineEdit>(page, "edtDictFile", 64, 32, 177, 21);
    untranslated(edtDictFile);
    lblMakeIndex = label(page, "lblMakeIndex", 16, 10);
    lblDictFile = label(page, "lblDictFile", 16, 35, edtDictFile);
    btnBrowse = captioned<QPushButton>(page, "btnBrowse", 246, 28, 75, 25);
    btnBrowse->setProperty("tag", 1);
    chkSort = captioned<QCheckBox>(page, "chkSort", 64, 56, 177, 17);
    btnMake = captioned<QPushButton>(page, "btnMake", 246, 60, 75, 25);
    pgbMakeIndex = MakeControl<QProgressBar>(page, "pgbMakeIndex", 64, 104, 257, 16);
    pgbMakeIndex->setRange(0, 100);
    pgbMakeIndex->hide();
    lblProgress = MakeControl<QLabel>(page, "lblProgress", 16, 107, 41, 16);
    lblProgress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblProgress->hide();

    btnOK = captioned<QPushButton>(this, "btnOK", 192, 400, 75, 25);
    btnOK->setDefault(true);
    btnCancel = captioned<QPushButton>(this, "btnCancel", 272, 400, 75, 25);

    // Tab order, page by page.
    QWidget *params[] = {edtFileName, btnOpenFile, edtDictName, cboVoices1, cboVoices2, tkbPitch, tkbSpeed,
                         chkReadPunc, lstDicts,    btnAdd,      btnDelete,   btnSave,    cboMainVoice,
                         tkbMainPitch, tkbMainSpeed};
    for (std::size_t i = 1; i < std::size(params); ++i)
        setTabOrder(params[i - 1], params[i]);
    setTabOrder(edtDictFile, btnBrowse);
    setTabOrder(btnBrowse, chkSort);
    setTabOrder(chkSort, btnMake);
    setTabOrder(btnOK, btnCancel);
    edtFileName->setFocus(Qt::OtherFocusReason);

    for (QLineEdit *edit : {edtFileName, edtDictName, edtDictFile})
        connect(edit, &QLineEdit::textChanged, this, &TfrmSelectDlg::edtFileNameChange);
    for (QComboBox *box : {cboVoices1, cboVoices2})
        connect(box, &QComboBox::currentIndexChanged, this, &TfrmSelectDlg::cboVoices1Change);
    for (QSlider *slider : {tkbPitch, tkbSpeed})
        connect(slider, &QSlider::valueChanged, this, &TfrmSelectDlg::cboVoices1Change);
    connect(chkReadPunc, &QCheckBox::clicked, this, &TfrmSelectDlg::cboVoices1Change);
    connect(lstDicts, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
        if (column != 0 || !m_tracking)
            return;
        cboVoices1Change();
        // A check mark set from the keyboard is said, as a check box's is.
        if (SpeakingComponent && lstDicts->hasFocus() && item == lstDicts->currentItem())
            SpeakingComponent->SpeakText(item->checkState(0) == Qt::Checked ? SpeakingComponent->Words.stChecked
                                                                             : SpeakingComponent->Words.stUnchecked);
    });
    connect(lstDicts, &QTreeWidget::currentItemChanged, this, [this] {
        if (m_tracking && lstDicts->currentItem())
            lstDictsClick();
    });
    connect(btnAdd, &QPushButton::clicked, this, &TfrmSelectDlg::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmSelectDlg::btnDeleteClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmSelectDlg::btnSaveClick);
    connect(btnOpenFile, &QPushButton::clicked, this, [this] { btnBrowseClick(btnOpenFile); });
    connect(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(btnBrowse); });
    connect(btnMake, &QPushButton::clicked, this, &TfrmSelectDlg::btnMakeClick);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (!m_building)
            done(1);
    });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSelectDlg::reject);
}

QString TfrmSelectDlg::Text(const lang::TMessage &message) const
{
    return lang::MessageText(Localizer, message);
}

void TfrmSelectDlg::Say(const lang::TMessage &message)
{
    if (SpeakingComponent)
        SpeakingComponent->SpeakText(Text(message));
}

void TfrmSelectDlg::SetTracking(bool on)
{
    m_tracking = on;
}

void TfrmSelectDlg::reject()
{
    // A build in progress finishes first: the file is never left half made.
    if (!m_building)
        done(2);
}

void TfrmSelectDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The window's name first; the focused control follows. Filling the
    // controls says nothing.
    if (SpeakingComponent)
        SpeakingComponent->SpeakText(windowTitle());
    {
        const QSignalBlocker voice1(cboVoices1), voice2(cboVoices2);
        cboVoices1->addItems(VoiceNames);
        cboVoices2->addItems(VoiceNames);
    }
    lstDicts->setHeaderLabels({Text(lang::CtlDictsColumnName), Text(lang::CtlDictsColumnFile)});
    LoadRegistry(RegistryName);
}

void TfrmSelectDlg::LoadRegistry(const QString &name)
{
    SetTracking(false);
    lstDicts->clear();
    PathList.clear();
    QList<dict::TDictRecord> records;
    try {
        RegistryFile = std::make_unique<lang::TIniFile>(name);
        records = dict::ReadRegistry(*RegistryFile);
    } catch (const Error &error) {
        ShowError(error.message());
    }
    for (const dict::TDictRecord &record : records) {
        auto *item = new QTreeWidgetItem(lstDicts, {record.Name, record.Path});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, record.Hidden == 0 ? Qt::Checked : Qt::Unchecked);
        PathList.append({record.Path, dict::MakeVoicePair(record.Voice1 & 0xFF, record.Voice2 & 0xFF), record.Speed,
                         record.Pitch, record.ReadPunc != 0});
    }
    const bool any = !records.isEmpty();
    EnableDictFields(any);
    btnDelete->setEnabled(any);
    if (any) {
        {
            const QSignalBlocker quiet(lstDicts->selectionModel());
            lstDicts->setCurrentItem(lstDicts->topLevelItem(0));
        }
        lstDicts->viewport()->update();
        lstDictsClick();
    }
    SetTracking(true);
}

void TfrmSelectDlg::EnableDictFields(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(lblDictName), static_cast<QWidget *>(lblFileName),
                             static_cast<QWidget *>(edtDictName), static_cast<QWidget *>(edtFileName),
                             static_cast<QWidget *>(btnOpenFile)})
        control->setEnabled(enabled);
}

void TfrmSelectDlg::lstDictsClick()
{
    QTreeWidgetItem *item = lstDicts->currentItem();
    if (!item)
        return;
    const int index = lstDicts->indexOfTopLevelItem(item);
    const bool tracking = m_tracking;
    SetTracking(false);
    edtDictName->setText(item->text(0));
    edtFileName->setText(index < PathList.size() ? PathList.at(index).Path : QString());
    if (index < PathList.size()) {
        // Following the selection is no change of the user's: nothing is
        // said for it, and nothing is marked.
        const QSignalBlocker voice1(cboVoices1), voice2(cboVoices2), pitch(tkbPitch), speed(tkbSpeed),
            punctuation(chkReadPunc);
        const TPathItem &entry = PathList.at(index);
        const auto select = [](QComboBox *box, int voice) { box->setCurrentIndex(voice < box->count() ? voice : -1); };
        select(cboVoices1, dict::FirstVoice(entry.Voices) & 0xFF);
        select(cboVoices2, dict::SecondVoice(entry.Voices) & 0xFF);
        // How the selected dictionary speaks, as Save will write it.
        tkbPitch->setValue(entry.Pitch);
        tkbSpeed->setValue(entry.Speed);
        chkReadPunc->setChecked(entry.ReadPunc);
    }
    btnSave->setEnabled(Adding || Modified);
    SetTracking(tracking);
}

void TfrmSelectDlg::edtFileNameChange()
{
    if (!m_tracking)
        return;
    if (!Adding)
        Modified = true;
    btnSave->setEnabled(!edtFileName->text().isEmpty() && !edtDictName->text().isEmpty());
}

void TfrmSelectDlg::cboVoices1Change()
{
    if (!m_tracking)
        return;
    if (!Adding)
        Modified = true;
    btnSave->setEnabled(true);
}

void TfrmSelectDlg::btnAddClick()
{
    SetTracking(false);
    btnAdd->setEnabled(false);
    Adding = true;
    Modified = false;
    // The voice boxes, sliders and punctuation keep their values.
    PathList.append({QString(),
                     dict::MakeVoicePair(std::max(0, cboVoices1->currentIndex()), std::max(0, cboVoices2->currentIndex())),
                     tkbSpeed->value(), tkbPitch->value(), chkReadPunc->isChecked()});
    auto *item = new QTreeWidgetItem(lstDicts, {kNewDictionary, QString()});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Checked);
    lstDicts->setCurrentItem(item);
    edtDictName->setText(kNewDictionary);
    edtFileName->clear();
    EnableDictFields(true);
    btnSave->setEnabled(false);
    edtFileName->setFocus(Qt::OtherFocusReason);
    SetTracking(true);
}

void TfrmSelectDlg::btnDeleteClick()
{
    QTreeWidgetItem *item = lstDicts->currentItem();
    if (!item || !item->isSelected() || item->text(0).isEmpty())
        return;
    const int index = lstDicts->indexOfTopLevelItem(item);
    const bool unsavedNew = Adding && index == lstDicts->topLevelItemCount() - 1;
    edtFileName->clear();
    edtDictName->clear();
    if (!unsavedNew && RegistryFile) {
        try {
            dict::DeleteDictionary(*RegistryFile, item->text(0));
        } catch (const Error &error) {
            ShowError(error.message());
            return;
        }
    }
    SetTracking(false);
    delete lstDicts->takeTopLevelItem(index);
    if (index < PathList.size())
        PathList.removeAt(index);
    lstDicts->setCurrentItem(nullptr);
    lstDicts->clearSelection();
    SetTracking(true);
    if (unsavedNew)
        Adding = false;
    btnDelete->setEnabled(lstDicts->topLevelItemCount() > 0);
    btnAdd->setEnabled(true);
    Say(lang::MSG16);
}

void TfrmSelectDlg::btnSaveClick()
{
    const QString name = edtDictName->text();
    const QString path = edtFileName->text();
    int target = -1;
    if (Adding)
        target = lstDicts->topLevelItemCount() - 1;
    else if (Modified)
        target = lstDicts->indexOfTopLevelItem(lstDicts->currentItem());
    // Nothing new, nothing selected: never a write to another section. A
    // registry that could not be read (said when the dialog opened) is
    // never written.
    if (target < 0 || target >= PathList.size() || !RegistryFile)
        return;
    // A section without a name, or shared with another dictionary, would
    // lose one of them.
    bool taken = false;
    for (int i = 0; i < lstDicts->topLevelItemCount(); ++i)
        taken = taken || (i != target && lstDicts->topLevelItem(i)->text(0) == name);
    if (name.trimmed().isEmpty() || path.trimmed().isEmpty() || taken) {
        Say(lang::MSG31);
        return;
    }
    QTreeWidgetItem *item = lstDicts->topLevelItem(target);
    const QString oldName = item->text(0);
    const bool wasAdding = Adding;
    dict::TDictRecord record;
    record.Name = name;
    record.Path = path;
    record.Hidden = item->checkState(0) == Qt::Checked ? 0 : 1;
    record.Voice1 = std::max(0, cboVoices1->currentIndex()) & 0xFF;
    record.Voice2 = std::max(0, cboVoices2->currentIndex()) & 0xFF;
    record.Speed = tkbSpeed->value() & 0xFF;
    record.Pitch = tkbPitch->value() & 0xFF;
    record.ReadPunc = chkReadPunc->isChecked() ? 1 : 0;
    try {
        dict::SaveDictionary(*RegistryFile, record, oldName, !wasAdding);
    } catch (const Error &error) {
        ShowError(error.message());
        return;
    }
    if (wasAdding)
        btnAdd->setEnabled(true);
    Say(wasAdding ? lang::MSG03 : lang::MSG04);
    Adding = false;
    Modified = false;
    PathList[target] = {path, record.Voices(), record.Speed, record.Pitch, record.ReadPunc != 0};
    SetTracking(false);
    item->setText(0, name);
    item->setText(1, path);
    SetTracking(true);
    btnSave->setEnabled(false);
}

void TfrmSelectDlg::btnBrowseClick(QPushButton *sender)
{
    if (SpeakingComponent)
        SpeakingComponent->StopSpeaking();
    QLineEdit *target = sender == btnBrowse ? edtDictFile : edtFileName;
    TfrmFileDialog dialog;
    dialog.SpeakingComponent = SpeakingComponent;
    dialog.Localizer = Localizer;
    // Where the file already named lies, else where the program starts.
    const QFileInfo current(target->text());
    dialog.SetInitialFolder(!target->text().isEmpty() && current.absoluteDir().exists() ? current.absolutePath()
                                                                                         : DefaultInitialFolder());
    if (Localizer)
        Localizer->TranslateComponent(&dialog);
    dialog.SetFilterList(Text(lang::CtlDocFileType));
    dialog.SetFilterIndex(0);
    dialog.SetDialogMode(fdmOpen);
    dialog.SetMultiSelect(false);
    dialog.setWindowTitle(Text(lang::CtlOpenFileDialog));
    if (SpeakingComponent)
        SpeakingComponent->HookControlTree(&dialog);
    if (dialog.exec() == 1)
        target->setText(dialog.FileName);
}

void TfrmSelectDlg::SetProgress(int percent)
{
    pgbMakeIndex->setValue(percent);
    lblProgress->setText(QStringLiteral("%1 %").arg(percent));
}

void TfrmSelectDlg::btnMakeClick()
{
    if (m_building)
        return;
    m_building = true;
    SetProgress(0);
    pgbMakeIndex->show();
    lblProgress->show();
    // Disabling the focused button would send the focus on to OK, which
    // would be said and then pressed by the next Space: the focus waits on
    // the (silent) progress bar instead, and comes back after.
    const bool hadFocus = btnMake->hasFocus();
    if (hadFocus)
        pgbMakeIndex->setFocus(Qt::OtherFocusReason);
    btnMake->setEnabled(false);
    const QString path = edtDictFile->text();
    TDialogReporter reporter([this](const lang::TMessage &message) { Say(message); },
                             [this](int percent) { SetProgress(percent); });
    bool built = false;
    try {
        if (chkSort->isChecked())
            dict::SortDictionary(path, &reporter);
        built = dict::BuildIndex(path, &reporter) == dict::TJobResult::Done;
    } catch (const Error &error) {
        // A missing file, the open dictionary that cannot be sorted, a full
        // disk: shown and said; the file keeps its content.
        ShowError(error.message());
    }
    if (built && QFileInfo::exists(path))
        Say(lang::MSG15);
    btnMake->setEnabled(true);
    if (hadFocus)
        btnMake->setFocus(Qt::OtherFocusReason);
    pgbMakeIndex->hide();
    lblProgress->hide();
    m_building = false;
}

} // namespace lexivoce::dialogs
