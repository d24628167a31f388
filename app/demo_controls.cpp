#include "app/demo_controls.h"

#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lexivoce::app {

namespace {

QLabel *labelFor(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TfrmDemoControls::TfrmDemoControls(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmDemoControls"));
    setWindowTitle(QStringLiteral("Lexivoce controls"));
    m_speaker = new speech::TSpeaker5(this);
    m_speaker->setObjectName(QStringLiteral("spkInterface"));
    m_sp = new speech::TSpeakingComponent(this);
    m_sp->setObjectName(QStringLiteral("spInterface"));
    m_sp->SetSpeaker(m_speaker);

    auto *central = new QWidget;
    auto *form = new QFormLayout;
    auto *name = new QLineEdit(QStringLiteral("Lan"));
    form->addRow(labelFor(QStringLiteral("&Name:"), name), name);
    auto *readOnly = new QLineEdit(QStringLiteral("abroad"));
    readOnly->setReadOnly(true);
    form->addRow(labelFor(QStringLiteral("&Word:"), readOnly), readOnly);
    auto *password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    form->addRow(labelFor(QStringLiteral("&Password:"), password), password);
    auto *notes = new QTextEdit;
    notes->setPlainText(QStringLiteral("Typing a word and a space says the word."));
    notes->setTabChangesFocus(true);
    form->addRow(labelFor(QStringLiteral("N&otes:"), notes), notes);
    auto *combo = new QComboBox;
    combo->addItems({QStringLiteral("English"), QStringLiteral("Tiếng Việt")});
    form->addRow(labelFor(QStringLiteral("&Language:"), combo), combo);
    auto *speed = new QSlider(Qt::Horizontal);
    speed->setRange(0, 20);
    speed->setValue(10);
    form->addRow(labelFor(QStringLiteral("&Speed:"), speed), speed);

    auto *options = new QGroupBox(QStringLiteral("Options"));
    auto *optionsLayout = new QVBoxLayout(options);
    auto *bold = new QCheckBox(QStringLiteral("&Bold"));
    bold->setChecked(true);
    optionsLayout->addWidget(bold);
    auto *left = new QRadioButton(QStringLiteral("&Left"));
    left->setChecked(true);
    optionsLayout->addWidget(left);
    optionsLayout->addWidget(new QRadioButton(QStringLiteral("&Right")));
    optionsLayout->addWidget(new QPushButton(QStringLiteral("&OK")));

    auto *tabs = new QTabWidget;
    auto *list = new QListWidget;
    for (const QString &text : {QStringLiteral("apple"), QStringLiteral("book"), QStringLiteral("cat")}) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    tabs->addTab(list, QStringLiteral("&List"));
    auto *tree = new QTreeWidget;
    tree->setHeaderLabel(QStringLiteral("Dictionaries"));
    auto *root = new QTreeWidgetItem(tree, {QStringLiteral("English")});
    new QTreeWidgetItem(root, {QStringLiteral("Vietnamese")});
    tabs->addTab(tree, QStringLiteral("&Tree"));
    auto *report = new QTreeWidget;
    report->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("File")});
    report->setRootIsDecorated(false);
    new QTreeWidgetItem(report, {QStringLiteral("Anh-Việt"), QStringLiteral("en-vi.dict")});
    new QTreeWidgetItem(report, {QStringLiteral("Việt-Anh"), QStringLiteral("vi-en.dict")});
    tabs->addTab(report, QStringLiteral("&Report"));
    auto *grid = new QTableWidget(2, 2);
    grid->setHorizontalHeaderLabels({QStringLiteral("Word"), QStringLiteral("Meaning")});
    grid->setVerticalHeaderLabels({QStringLiteral("1"), QStringLiteral("2")});
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("apple")));
    grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("quả táo")));
    grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("book")));
    grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("quyển sách")));
    tabs->addTab(grid, QStringLiteral("&Grid"));

    auto *layout = new QVBoxLayout(central);
    layout->addLayout(form);
    layout->addWidget(options);
    layout->addWidget(tabs);
    setCentralWidget(central);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *save = file->addAction(QStringLiteral("&Save"));
    save->setEnabled(false);
    QMenu *recent = file->addMenu(QStringLiteral("&Recent"));
    recent->addAction(QStringLiteral("en-vi.dict"));
    QAction *wrap = file->addAction(QStringLiteral("&Wrap lines"));
    wrap->setCheckable(true);
    wrap->setChecked(true);
    file->addSeparator();
    connect(file->addAction(QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);

    m_sp->HookControlTree(this);
    resize(520, 640);
    QTimer::singleShot(0, this, [this] { m_sp->SpeakText(windowTitle()); });
}

} // namespace lexivoce::app
