#include "dialogs/settings.h"

#include "dialogs/dialog_form.h"
#include "dialogs/file_dialog.h"
#include "dialogs/message_dialog.h"
#include "dict/text.h"
#include "speech/speaking_component.h"
#include "speech/utterance.h"
#include "view/entry_styles.h"
#include "view/styled_view.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>
#include <array>

namespace lexivoce::dialogs {

const QString kSettingsSample = QStringLiteral(
    "@abroad /ə'brɔ:d/\n"
    "*phó từ\n"
    "-ở nước ngoài, ra nước ngoài\n"
    "=to live abroad+ sống ở nước ngoài\n"
    "=to go abroad+ đi ra nước ngoài\n"
    "!from abroad\n"
    "-từ nước ngoài\n"
    "=these machines were brought from abroad+những chiếc máy này mang từ nước ngoài vào");

namespace {

constexpr QSize kClientSize(536, 348);
// Bounds of a size a style may take: the spin box of the original had none,
// but a size below 1 cannot be drawn.
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 400;

// What each control edits, by its tag.
enum TChangeTag : int { tagFontName = 0, tagColor = 1, tagSize = 2, tagBold = 3, tagItalic = 4, tagUnderline = 5,
                        tagBackground = 6 };

struct TBasicColor
{
    const char *Name;   // the platform's name
    const char *Spoken; // what is said for it
    int Red, Green, Blue;
};

constexpr std::array<TBasicColor, 16> kBasicColors{{
    {"clBlack", "Đen", 0, 0, 0},
    {"clMaroon", "Nâu sẫm", 128, 0, 0},
    {"clGreen", "Xanh lá", 0, 128, 0},
    {"clOlive", "Ô liu", 128, 128, 0},
    {"clNavy", "Xanh tím than", 0, 0, 128},
    {"clPurple", "Tím", 128, 0, 128},
    {"clTeal", "Xanh mòng két", 0, 128, 128},
    {"clGray", "Xám", 128, 128, 128},
    {"clSilver", "Bạc", 192, 192, 192},
    {"clRed", "Đỏ", 255, 0, 0},
    {"clLime", "Xanh chanh", 0, 255, 0},
    {"clYellow", "Vàng", 255, 255, 0},
    {"clBlue", "Xanh dương", 0, 0, 255},
    {"clFuchsia", "Hồng tím", 255, 0, 255},
    {"clAqua", "Xanh nước biển", 0, 255, 255},
    {"clWhite", "Trắng", 255, 255, 255},
}};

const char *const kBackgroundStyles[] = {"Không hình nền", "Co giãn", "Xếp liền nhau", "Xếp liền và cuộn",
                                         "Canh giữa"};

// The markers of the dictionary text format; a line's marker is its style.
const QString kMarkers = QStringLiteral("@*-!=+/");

QColor toQColor(const TBasicColor &color)
{
    return QColor(color.Red, color.Green, color.Blue);
}

// Trimmed of the characters 0 to 32 at both ends.
QString trimmed(QStringView text)
{
    return dict::TrimText(text).toString();
}

// The line with its marker made a blank, trimmed.
QString withoutMarker(QStringView line)
{
    return line.isEmpty() ? QString() : trimmed(line.sliced(1));
}

// A swatch in the rectangle: shrunk by a pixel on each side, filled with the
// colour and outlined with the pen.
void drawSwatch(QPainter &painter, const QRect &rect, const QColor &color, const QColor &pen)
{
    const QRect swatch = rect.adjusted(1, 1, -1, -1);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(color);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.restore();
}

class TSwatchDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        if (selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QColor color = index.data(Qt::DecorationRole).value<QColor>();
        drawSwatch(*painter, option.rect.adjusted(1, 1, -1, -1), color,
                   selected ? option.palette.highlightedText().color() : option.palette.text().color());
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(40, 16));
    }
};

QLabel *label(QWidget *parent, const char *name, const char *text, int x, int y, QWidget *names)
{
    auto *result = MakeControl<QLabel>(parent, name, x, y);
    result->setText(QString::fromUtf8(text));
    result->adjustSize();
    result->setBuddy(names);
    return result;
}

QCheckBox *check(QWidget *parent, const char *name, const char *text, int x, int y, int tag)
{
    auto *box = MakeControl<QCheckBox>(parent, name, x, y);
    box->setText(QString::fromUtf8(text));
    box->adjustSize();
    box->setProperty("tag", tag);
    return box;
}

} // namespace

QString SampleStyleName(int style)
{
    static const char *const names[] = {"Từ chính", "Từ loại", "Nghĩa", "Thành ngữ", "Ví dụ", "Lời dịch", "Phiên âm"};
    return style >= 0 && style < view::kEntryLineStyleCount ? QString::fromUtf8(names[style]) : QString();
}

void RenderSample(view::TStyledDocument &document, const QString &text)
{
    using view::kContinuePara;
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                  .split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const int s = std::max(0, static_cast<int>(kMarkers.indexOf(line.front())));
        const int p = view::EntryParaStyleOf(s);
        switch (line.front().unicode()) {
        case u'!':
            document.AddPicture(view::bulletIdiom, p);
            document.AddText(withoutMarker(line), s, kContinuePara);
            continue;
        case u'=': {
            document.AddPicture(view::bulletExample, p);
            const qsizetype plus = line.indexOf(QLatin1Char('+'));
            const QStringView example = plus < 0 ? QStringView(line) : QStringView(line).first(plus);
            const QStringView translation = plus < 0 ? QStringView() : QStringView(line).sliced(plus + 1);
            document.AddText(withoutMarker(example), s, kContinuePara);
            document.AddText(QStringLiteral(": ") + trimmed(translation), view::tsTranslation, kContinuePara);
            continue;
        }
        case u'@': {
            qsizetype split = line.indexOf(QLatin1Char('/'));
            if (split < 0)
                split = line.indexOf(QLatin1Char('['));
            if (split < 0)
                break;
            document.AddText(withoutMarker(QStringView(line).first(split)) + QLatin1Char(' '), s, p);
            document.AddText(trimmed(QStringView(line).sliced(split)), view::tsPhonetic, kContinuePara);
            continue;
        }
        default:
            break;
        }
        document.AddText(withoutMarker(line), s, p);
    }
    document.Format();
}

TColorCombo::TColorCombo(QWidget *parent)
    : QComboBox(parent)
{
    setItemDelegate(new TSwatchDelegate(this));
    for (const TBasicColor &color : kBasicColors) {
        // The text is said, never drawn.
        addItem(QString::fromUtf8(color.Spoken));
        setItemData(count() - 1, toQColor(color), Qt::DecorationRole);
        setItemData(count() - 1, QString::fromLatin1(color.Name), Qt::UserRole);
    }
    setCurrentIndex(-1);
}

QString TColorCombo::ColorName(int index)
{
    return index >= 0 && index < static_cast<int>(kBasicColors.size()) ? QString::fromLatin1(kBasicColors[index].Name)
                                                                       : QString();
}

int TColorCombo::IndexOf(const view::TColor &color) const
{
    if (color.WindowText)
        return -1;
    for (int i = 0; i < static_cast<int>(kBasicColors.size()); ++i) {
        const TBasicColor &basic = kBasicColors[i];
        if (basic.Red == color.Red && basic.Green == color.Green && basic.Blue == color.Blue)
            return i;
    }
    return -1;
}

view::TColor TColorCombo::ColorAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(kBasicColors.size()))
        return view::TColor::WindowTextColor();
    const TBasicColor &basic = kBasicColors[index];
    return view::TColor::Rgb(basic.Red, basic.Green, basic.Blue);
}

void TColorCombo::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawSwatch(painter, field.adjusted(1, 1, -1, -1), itemData(currentIndex(), Qt::DecorationRole).value<QColor>(),
               palette().color(QPalette::Text));
}

TfrmSettings::TfrmSettings(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Cấu hình"));

    rvSample = MakeControl<view::TStyledView>(this, "rvSample", 16, 8, 505, 201);
    rvSample->setAccessibleName(QStringLiteral("Mẫu"));
    frame = MakeControl<QFrame>(this, "frame", 16, 216, 505, 105);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->lower();

    cboFontName = MakeControl<QComboBox>(this, "cboFontName", 64, 224, 193, 21);
    cboFontName->setProperty("tag", tagFontName);
    lblFontName = label(this, "lblFontName", "Tên", 32, 227, cboFontName);
    cboFontColor = MakeControl<TColorCombo>(this, "cboFontColor", 64, 256, 105, 19);
    cboFontColor->setProperty("tag", tagColor);
    lblFontColor = label(this, "lblFontColor", "Màu", 32, 259, cboFontColor);
    spnFontSize = MakeControl<QSpinBox>(this, "spnFontSize", 208, 256, 49, 22);
    spnFontSize->setRange(kMinFontSize, kMaxFontSize);
    spnFontSize->setProperty("tag", tagSize);
    lblFontSize = label(this, "lblFontSize", "Cỡ", 184, 259, spnFontSize);
    chkBold = check(this, "chkBold", "Đậm", 64, 288, tagBold);
    chkItalic = check(this, "chkItalic", "Nghiêng", 120, 288, tagItalic);
    chkUnderline = check(this, "chkUnderline", "Gạch dưới", 192, 288, tagUnderline);
    lblFontStyle = label(this, "lblFontStyle", "Kiểu", 32, 289, chkBold);
    edtBgFileName = MakeControl<QLineEdit>(this, "edtBgFileName", 336, 224, 140, 21);
    edtBgFileName->setReadOnly(true);
    lblBgFileName = label(this, "lblBgFileName", "Hình nền", 280, 227, edtBgFileName);
    btnBrowse = MakeControl<QPushButton>(this, "btnBrowse", 480, 224, 23, 23);
    btnBrowse->setText(QStringLiteral("..."));
    // A picture button: what it does is said, not seen.
    btnBrowse->setAccessibleName(QStringLiteral("Chọn hình nền"));
    btnBrowse->setToolTip(btnBrowse->accessibleName());
    cboBgStyle = MakeControl<QComboBox>(this, "cboBgStyle", 336, 256, 169, 21);
    for (const char *style : kBackgroundStyles)
        cboBgStyle->addItem(QString::fromUtf8(style));
    cboBgStyle->setProperty("tag", tagBackground);
    lblBgStyle = label(this, "lblBgStyle", "Kiểu nền", 280, 259, cboBgStyle);
    btnOk = MakeControl<QPushButton>(this, "btnOk", 352, 288, 75, 25);
    btnOk->setText(QStringLiteral("Đồng ý"));
    btnOk->setDefault(true);
    btnCancel = MakeControl<QPushButton>(this, "btnCancel", 432, 288, 75, 25);
    btnCancel->setText(QStringLiteral("Thôi"));

    QWidget *order[] = {rvSample, cboFontName, cboFontColor, spnFontSize, chkBold, chkItalic, chkUnderline,
                        edtBgFileName, btnBrowse, cboBgStyle, btnOk, btnCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(rvSample, &view::TStyledView::Jump, this, &TfrmSettings::rvSampleJump);
    connect(rvSample, &QTextEdit::cursorPositionChanged, this, &TfrmSettings::onSampleCaretMoved);
    rvSample->installEventFilter(this);
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmSettings::btnBrowseClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connectChanges();

    m_styles = view::EntryStyleSheet();
    SetDialogForm(this, kClientSize);
}

TfrmSettings::~TfrmSettings() = default;

void TfrmSettings::SetStyles(const view::TStyleSheet &styles)
{
    m_styles = styles;
}

view::TStyleSheet TfrmSettings::Styles() const
{
    // Only what the dialog edits: the sample's jumps are its own.
    view::TStyleSheet result = m_styles;
    for (int i = 0; i < view::kEntryLineStyleCount && i < result.TextStyles.size() && i < m_sampleStyles.TextStyles.size(); ++i) {
        view::TTextStyle &style = result.TextStyles[i];
        const view::TTextStyle &edited = m_sampleStyles.TextStyles[i];
        style.FontName = edited.FontName;
        style.Size = edited.Size;
        style.Color = edited.Color;
        style.Bold = edited.Bold;
        style.Italic = edited.Italic;
        style.Underline = edited.Underline;
    }
    return result;
}

void TfrmSettings::connectChanges()
{
    const auto changed = [this](QObject *sender) { return [this, sender] { cboFontNameChange(sender); }; };
    m_changeConnections = {
        connect(cboFontName, &QComboBox::currentIndexChanged, this, changed(cboFontName)),
        connect(cboFontColor, &QComboBox::currentIndexChanged, this, changed(cboFontColor)),
        connect(spnFontSize, &QSpinBox::valueChanged, this, changed(spnFontSize)),
        connect(chkBold, &QCheckBox::clicked, this, changed(chkBold)),
        connect(chkItalic, &QCheckBox::clicked, this, changed(chkItalic)),
        connect(chkUnderline, &QCheckBox::clicked, this, changed(chkUnderline)),
        connect(cboBgStyle, &QComboBox::currentIndexChanged, this, changed(cboBgStyle)),
    };
}

void TfrmSettings::disconnectChanges()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_changeConnections))
        disconnect(connection);
    m_changeConnections.clear();
}

void TfrmSettings::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        TntFormShow();
    }
    QDialog::showEvent(event);
}

void TfrmSettings::TntFormShow()
{
    // The sample reads itself: its pieces and their styles.
    if (SpeakingComponent)
        SpeakingComponent->SetSelfVoiced(rvSample);
    m_sampleStyles = m_styles;
    for (view::TTextStyle &style : m_sampleStyles.TextStyles)
        style.Jump = true;
    CurrentStyle = -1;
    {
        const QSignalBlocker blocker(cboFontName);
        QStringList families = QFontDatabase::families();
        std::sort(families.begin(), families.end(),
                  [](const QString &a, const QString &b) { return a.localeAwareCompare(b) < 0; });
        cboFontName->clear();
        cboFontName->addItems(families);
    }
    view::TStyledDocument *sample = rvSample->Document();
    sample->Clear();
    sample->SetStyles(m_sampleStyles);
    RenderSample(*sample, kSettingsSample);
    {
        const QSignalBlocker blocker(cboBgStyle);
        cboBgStyle->setCurrentIndex(static_cast<int>(rvSample->BackgroundStyle()));
    }
    for (int i = 0; i < sample->ItemCount(); ++i) {
        if (sample->ItemStyle(i) != view::kPictureStyle) {
            rvSampleJump(i);
            break;
        }
    }
}

void TfrmSettings::rvSampleJump(int itemNo)
{
    const view::TStyledDocument *sample = rvSample->Document();
    if (itemNo < 0 || itemNo >= sample->ItemCount() || sample->ItemStyle(itemNo) < 0)
        return;
    CurrentStyle = sample->ItemStyle(itemNo);
    if (CurrentStyle >= m_sampleStyles.TextStyles.size())
        return;
    const view::TTextStyle &style = m_sampleStyles.TextStyles[CurrentStyle];
    // Showing a style is not a change of it, and not news to announce.
    disconnectChanges();
    {
        const QSignalBlocker b1(cboFontName), b2(cboFontColor), b3(spnFontSize), b4(chkBold), b5(chkItalic),
            b6(chkUnderline);
        cboFontName->setCurrentIndex(cboFontName->findText(style.FontName, Qt::MatchFixedString));
        spnFontSize->setValue(style.Size);
        cboFontColor->setCurrentIndex(cboFontColor->IndexOf(style.Color));
        chkBold->setChecked(style.Bold);
        chkItalic->setChecked(style.Italic);
        chkUnderline->setChecked(style.Underline);
    }
    cboFontColor->update();
    connectChanges();
}

void TfrmSettings::cboFontNameChange(QObject *sender)
{
    const int tag = sender->property("tag").toInt();
    if (tag == tagBackground) {
        rvSample->SetBackgroundStyle(static_cast<view::TBackgroundStyle>(std::max(0, cboBgStyle->currentIndex())));
        return;
    }
    if (CurrentStyle < 0 || CurrentStyle >= m_sampleStyles.TextStyles.size())
        return;
    view::TTextStyle &style = m_sampleStyles.TextStyles[CurrentStyle];
    switch (tag) {
    case tagFontName:
        if (cboFontName->currentIndex() < 0)
            return;
        style.FontName = cboFontName->currentText();
        break;
    case tagColor:
        if (cboFontColor->currentIndex() < 0)
            return;
        style.Color = cboFontColor->ColorAt(cboFontColor->currentIndex());
        break;
    case tagSize:
        style.Size = spnFontSize->value();
        break;
    case tagBold:
        style.Bold = chkBold->isChecked();
        break;
    case tagItalic:
        style.Italic = chkItalic->isChecked();
        break;
    case tagUnderline:
        style.Underline = chkUnderline->isChecked();
        break;
    default:
        return;
    }
    // Every piece of the style changes at once; the caret stays.
    const view::TItemPos caret = rvSample->Caret();
    const QSignalBlocker blocker(rvSample);
    rvSample->Document()->SetStyles(m_sampleStyles);
    rvSample->Format();
    rvSample->SetCaret(caret);
}

void TfrmSettings::btnBrowseClick()
{
    QString fileName;
    if (ChooseBackgroundFile) {
        fileName = ChooseBackgroundFile();
    } else {
        TfrmFileDialog dialog(this);
        dialog.SpeakingComponent = SpeakingComponent;
        dialog.SetInitialFolder(DefaultInitialFolder());
        dialog.SetFilterList(QStringLiteral("Bitmap files (*.bmp)|*.bmp|All files (*.*)|*.*"));
        dialog.SetFilterIndex(0);
        dialog.SetDialogMode(fdmOpen);
        dialog.SetMultiSelect(false);
        if (SpeakingComponent)
            SpeakingComponent->HookControlTree(&dialog);
        if (dialog.exec() == 1)
            fileName = dialog.FileName;
    }
    if (fileName.isEmpty())
        return;
    QImageReader reader(fileName);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        // Shown and said; the picture the sample had stays.
        ShowMessageDialog(QStringLiteral("Không mở được hình %1: %2").arg(fileName, reader.errorString()), mtError, mbOK,
                          0, SpeakingComponent, nullptr);
        return;
    }
    edtBgFileName->setText(fileName);
    rvSample->SetBackground(picture, rvSample->BackgroundStyle());
}

bool TfrmSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == rvSample && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
            speakCurrentPiece();
    }
    return QDialog::eventFilter(watched, event);
}

int TfrmSettings::pieceAtCaret() const
{
    // On a bullet, the text it marks.
    const view::TStyledDocument *sample = rvSample->Document();
    const int item = rvSample->Caret().ItemNo;
    if (item >= 0 && item + 1 < sample->ItemCount() && sample->ItemStyle(item) == view::kPictureStyle)
        return item + 1;
    return item;
}

void TfrmSettings::onSampleCaretMoved()
{
    if (!rvSample->hasFocus())
        return;
    // The keyboard's way to choose a piece: the one the caret is on.
    const int item = pieceAtCaret();
    if (item < 0)
        return;
    const int previous = CurrentStyle;
    rvSampleJump(item);
    if (CurrentStyle != previous)
        speakCurrentPiece();
}

void TfrmSettings::speakCurrentPiece()
{
    if (!SpeakingComponent)
        return;
    const int item = pieceAtCaret();
    const QString piece = item >= 0 ? trimmed(rvSample->Document()->ItemText(item)) : QString();
    SpeakingComponent->SpeakText(speech::TUtterance(
        QStringLiteral("%1: %2, %3").arg(rvSample->accessibleName(), piece, SampleStyleName(CurrentStyle))));
}

} // namespace lexivoce::dialogs
