#include "dialogs/about.h"

#include "dialogs/dialog_form.h"
#include "lang/messages.h"
#include "speech/speaking_component.h"
#include "speech/utterance.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStringDecoder>

#include <array>
#include <cstddef>
#include <optional>

#ifndef LEXIVOCE_FILE_VERSION
#error "the build defines LEXIVOCE_FILE_VERSION, the project's version as four numbers"
#endif

// ---------------------------------------------------------------------------
// The program's own version record (layout: about.h, GetFileVersionString).

namespace lexivoce::dialogs::version_record {

using TMarker = std::array<unsigned char, 16>;

constexpr unsigned char kScrambleKey = 0x5A;

constexpr TMarker scrambled(TMarker marker)
{
    for (unsigned char &byte : marker)
        byte ^= kScrambleKey;
    return marker;
}

// The marker is kept only scrambled: a plain copy in the program's constant
// data, or in the debugging information that describes its constants, would
// itself look like the opening of a record.
constexpr TMarker kScrambledMarker =
    scrambled({0x89, 'L', 'X', 'V', ' ', 'V', 'E', 'R', 'S', 'I', 'O', 'N', '\r', '\n', 0x1A, '\n'});
constexpr char kTranslationKey[] = "\\VarFileInfo\\Translation";
constexpr char kFileVersionKey[] = "StringFileInfo\\040904E4\\FileVersion";
constexpr char kFileVersion[] = LEXIVOCE_FILE_VERSION;
// U.S. English (0409), code page 1252 (04E4), little-endian.
constexpr std::array<unsigned char, 4> kTranslation = {0x09, 0x04, 0xE4, 0x04};

constexpr std::size_t kValuesSize = 2 + (sizeof kTranslationKey - 1) + 2 + kTranslation.size() + 2
                                  + (sizeof kFileVersionKey - 1) + 2 + (sizeof kFileVersion - 1);
constexpr std::size_t kSize = kScrambledMarker.size() + 4 + kValuesSize;

struct TRecord
{
    unsigned char Bytes[kSize];
};

constexpr TRecord Build()
{
    TRecord record{};
    std::size_t at = 0;
    const auto put = [&](unsigned value) { record.Bytes[at++] = static_cast<unsigned char>(value & 0xFF); };
    const auto put16 = [&](std::size_t value) {
        put(static_cast<unsigned>(value));
        put(static_cast<unsigned>(value >> 8));
    };
    const auto putText = [&](const char *text, std::size_t size) {
        put16(size);
        for (std::size_t i = 0; i < size; ++i)
            put(static_cast<unsigned char>(text[i]));
    };
    for (const unsigned char byte : kScrambledMarker)
        put(byte ^ kScrambleKey);
    put16(2);
    put16(kValuesSize);
    putText(kTranslationKey, sizeof kTranslationKey - 1);
    put16(kTranslation.size());
    for (const unsigned char byte : kTranslation)
        put(byte);
    putText(kFileVersionKey, sizeof kFileVersionKey - 1);
    putText(kFileVersion, sizeof kFileVersion - 1);
    return record;
}

static_assert(kValuesSize < 0x10000, "a record's sizes are 16-bit");

} // namespace lexivoce::dialogs::version_record

// Named with C linkage so that the dialogs library's link option can ask for
// it by name: every program that links the library carries the record, even
// one that never shows the about box.
extern "C" const lexivoce::dialogs::version_record::TRecord lexivoce_version_record;
[[gnu::used, gnu::section(".lexivoce_version")]] constinit const lexivoce::dialogs::version_record::TRecord
    lexivoce_version_record = lexivoce::dialogs::version_record::Build();

namespace lexivoce::dialogs {

namespace {

constexpr int kMaxValues = 64;
constexpr int kMaxKeySize = 256;

struct TValue
{
    QByteArray Key;
    QByteArray Data;
};

// Reads little-endian fields off bytes; any read past the end fails the
// whole reader.
class TFieldReader
{
public:
    explicit TFieldReader(QByteArrayView bytes, qsizetype at = 0) : m_bytes(bytes), m_at(at) {}

    int U16()
    {
        if (!m_ok || m_bytes.size() - m_at < 2) {
            m_ok = false;
            return 0;
        }
        const int value = static_cast<unsigned char>(m_bytes[m_at]) | static_cast<unsigned char>(m_bytes[m_at + 1]) << 8;
        m_at += 2;
        return value;
    }

    QByteArrayView Take(qsizetype size)
    {
        if (!m_ok || m_bytes.size() - m_at < size) {
            m_ok = false;
            return {};
        }
        const QByteArrayView taken = m_bytes.sliced(m_at, size);
        m_at += size;
        return taken;
    }

    bool Ok() const { return m_ok; }
    qsizetype At() const { return m_at; }

private:
    QByteArrayView m_bytes;
    qsizetype m_at;
    bool m_ok = true;
};

bool isPrintableAscii(QByteArrayView text)
{
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// The values of the record whose fields start at at; nothing when the
// record is cut short or breaks a bound.
std::optional<QList<TValue>> parseRecord(QByteArrayView bytes, qsizetype at)
{
    TFieldReader header(bytes, at);
    const int count = header.U16();
    const int size = header.U16();
    if (!header.Ok() || count < 1 || count > kMaxValues || size > bytes.size() - header.At())
        return std::nullopt;
    TFieldReader fields(bytes.sliced(header.At(), size));
    QList<TValue> values;
    for (int i = 0; i < count; ++i) {
        const int keySize = fields.U16();
        if (!fields.Ok() || keySize < 1 || keySize > kMaxKeySize)
            return std::nullopt;
        const QByteArrayView key = fields.Take(keySize);
        const QByteArrayView data = fields.Take(fields.U16());
        if (!fields.Ok() || !isPrintableAscii(key))
            return std::nullopt;
        values.append({key.toByteArray(), data.toByteArray()});
    }
    // Every byte the record claims belongs to a value.
    if (fields.At() != size)
        return std::nullopt;
    return values;
}

std::optional<QByteArray> valueOf(const QList<TValue> &values, QByteArrayView key)
{
    for (const TValue &value : values) {
        if (value.Key == key)
            return value.Data;
    }
    return std::nullopt;
}

QString fileVersion(const QList<TValue> &values)
{
    const std::optional<QByteArray> translation = valueOf(values, "\\VarFileInfo\\Translation");
    if (!translation || translation->size() < 4)
        return QString();
    const auto byte = [&](int i) { return static_cast<unsigned>(static_cast<unsigned char>(translation->at(i))); };
    const unsigned language = byte(0) | byte(1) << 8;
    const unsigned codePage = byte(2) | byte(3) << 8;
    const QByteArray key = "StringFileInfo\\" + QByteArray::number(language, 16).rightJustified(4, '0').toUpper()
                         + QByteArray::number(codePage, 16).rightJustified(4, '0').toUpper() + "\\FileVersion";
    std::optional<QByteArray> version = valueOf(values, key);
    if (!version)
        return QString();
    while (version->endsWith('\0'))
        version->chop(1);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*version);
    return decoder.hasError() ? QString() : text;
}

} // namespace

QByteArray VersionRecordMarker()
{
    // Unscrambled with a key the compiler cannot know, so that it cannot
    // fold the plain marker into this function's constants either.
    static volatile unsigned char key = version_record::kScrambleKey;
    const version_record::TMarker &hidden = version_record::kScrambledMarker;
    QByteArray marker(static_cast<qsizetype>(hidden.size()), '\0');
    for (std::size_t i = 0; i < hidden.size(); ++i)
        marker[static_cast<qsizetype>(i)] = static_cast<char>(hidden[i] ^ key);
    return marker;
}

QString GetFileVersionString(const QString &fileName)
{
    // Only regular files: a device or a pipe could block or never end.
    if (!QFileInfo(fileName).isFile())
        return QString();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return QString();
    // A program of many megabytes is mapped, never read whole into memory;
    // the mapping goes with the file.
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return QString();
    const QByteArrayView bytes(mapped, file.size());
    const QByteArray marker = VersionRecordMarker();
    for (qsizetype at = bytes.indexOf(marker); at >= 0; at = bytes.indexOf(marker, at + 1)) {
        if (const std::optional<QList<TValue>> values = parseRecord(bytes, at + marker.size()))
            return fileVersion(*values);
    }
    return QString();
}

// ---------------------------------------------------------------------------

namespace {

const QColor kPurple(0x80, 0x00, 0x80);
const QColor kGray(0x80, 0x80, 0x80);
const QColor kNavy(0x00, 0x00, 0x80);

// The program's logo: "Lv" and the waves of a voice, white on purple.
QPixmap logoPixmap(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPurple);
    painter.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 12, 12);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(34);
    font.setBold(true);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(4, 0, size.width() * 3 / 5, size.height()), Qt::AlignCenter, QStringLiteral("Lv"));

    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const QPointF centre(size.width() * 0.6, size.height() / 2.0);
    for (int i = 0; i < 3; ++i) {
        const qreal radius = 8 + 7 * i;
        painter.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), -40 * 16, 80 * 16);
    }
    return pixmap;
}

QLabel *label(QWidget *parent, const char *name, QRect geometry, const QString &text, const QColor &color)
{
    auto *result = new QLabel(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(geometry);
    result->setTextFormat(Qt::PlainText);
    result->setText(text);
    result->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, color);
    result->setPalette(palette);
    QFont font = parent->font();
    font.setBold(true);
    result->setFont(font);
    return result;
}

QLabel *productLine(QWidget *parent, const char *name, QRect geometry, const QColor &color)
{
    QLabel *result = label(parent, name, geometry, QStringLiteral("Lexivoce"), color);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(25);
    font.setBold(true);
    font.setItalic(true);
    result->setFont(font);
    return result;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Giới thiệu"));
    ProgramFile = QCoreApplication::applicationFilePath();
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // The labels take no focus: the box itself has the keys.
    setFocusPolicy(Qt::StrongFocus);
    SetDialogForm(this, QSize(321, 225));
    CreateControls();
}

TfrmAbout::~TfrmAbout()
{
    if (SpeakingComponent)
        SpeakingComponent->StopSpeaking();
}

void TfrmAbout::CreateControls()
{
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(8, 8, 305, 209);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(2);
    QPalette frame = Shape1->palette();
    frame.setColor(QPalette::WindowText, kPurple);
    Shape1->setPalette(frame);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(16, 24, 82, 78);
    imgLogo->setPixmap(logoPixmap(imgLogo->size()));

    // The shadow first, so that the purple line lies over it.
    lblShadow = productLine(this, "lblShadow", QRect(105, 26, 211, 33), kGray);
    lblProductName = productLine(this, "lblProductName", QRect(103, 24, 211, 33), kPurple);
    lblFileVersion = label(this, "lblFileVersion", QRect(104, 56, 208, 13), QStringLiteral("Phiên bản %s"), kNavy);
    lblInfo = label(this, "lblInfo", QRect(124, 72, 169, 33),
                    QStringLiteral("Phần mềm được cung cấp miễn phí cho người khiếm thị"), kNavy);
    lblInfo->setWordWrap(true);
    lblCopyright = label(this, "lblCopyright", QRect(48, 120, 225, 33), QStringLiteral("© 2026 %s"), kNavy);
    lblCopyright->setWordWrap(true);
    lblWebsite = label(this, "lblWebsite", QRect(8, 176, 305, 13),
                       QStringLiteral("Hướng dẫn: phím F1 hoặc tập tin readme.htm"), kNavy);
    lblWebsite->setProperty("tag", -1);
    lblTelFax = label(this, "lblTelFax", QRect(8, 192, 305, 13), QStringLiteral("Điện thoại, fax: chưa có"), kNavy);
    lblTelFax->setProperty("tag", -1);
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    TntFormShow();
}

void TfrmAbout::TntFormShow()
{
    lblFileVersion->setText(lang::FillMessage(lblFileVersion->text(), {GetFileVersionString(ProgramFile)}));
    // A line without a place for the name shows the name alone.
    if (!lblCopyright->text().contains(QLatin1String("%s")))
        lblCopyright->setText(QStringLiteral("%s"));
    lblCopyright->setText(lang::FillMessage(lblCopyright->text(), {QString::fromUtf8(kCopyrightHolder)}));

    // A blind user hears what the box shows: its caption, then each line.
    // The shadow repeats the product line and is not said twice.
    if (!SpeakingComponent)
        return;
    speech::TUtterance said(windowTitle());
    for (const QLabel *line : {lblProductName, lblFileVersion, lblInfo, lblCopyright, lblWebsite, lblTelFax})
        said.AddPause().Add(line->text());
    SpeakingComponent->SpeakText(said);
}

void TfrmAbout::TntFormKeyPress(QChar key)
{
    if (key.unicode() == 13 || key.unicode() == 27)
        close();
}

void TfrmAbout::keyPressEvent(QKeyEvent *event)
{
    QChar key;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = QChar(13);
        break;
    case Qt::Key_Escape:
        key = QChar(27);
        break;
    default:
        if (!event->text().isEmpty())
            key = event->text().front();
        break;
    }
    TntFormKeyPress(key);
    // Taken here, so that no key reaches QDialog's own Enter and Esc.
    event->accept();
}

void TfrmAbout::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ShowAbout(QWidget *owner, speech::TSpeakingComponent *sp)
{
    TfrmAbout box(owner);
    box.SpeakingComponent = sp;
    box.exec();
}

} // namespace lexivoce::dialogs
