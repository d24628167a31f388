#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

namespace lexivoce::view {

// An RGB colour, or the desktop's window text colour.
struct TColor
{
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool WindowText = false;

    static constexpr TColor Rgb(int r, int g, int b)
    {
        return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), false};
    }
    static constexpr TColor WindowTextColor() { return {0, 0, 0, true}; }
    bool operator==(const TColor &) const = default;
};

struct TTextStyle
{
    QString Name;
    QString FontName;
    int Size = 12;        // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor Color = TColor::WindowTextColor();
    bool Jump = false;    // items are link-like: clicking one raises a jump
    bool Unicode = true;  // items hold UTF-16 text
    bool operator==(const TTextStyle &) const = default;
};

enum class TAlignment { Left, Right, Center, Justify };

// Sides of a paragraph border.
enum TBorderSide : int { bsLeft = 1, bsTop = 2, bsRight = 4, bsBottom = 8 };

struct TParaStyle
{
    QString Name;
    int SpaceBefore = 0;  // pixels
    int SpaceAfter = 0;
    int LeftIndent = 0;
    int RightIndent = 0;
    int FirstIndent = 0;
    TAlignment Alignment = TAlignment::Left;
    int BorderSides = 0;  // TBorderSide flags; 0: no border
    int BorderWidth = 0;  // pixels of a single line
    int BorderOffset = 0; // pixels between border and text
};

struct TStyleSheet
{
    QList<TTextStyle> TextStyles;
    QList<TParaStyle> ParaStyles;
};

// The style number reported for a picture item.
inline constexpr int kPictureStyle = -6;
// The paragraph style of an item that continues the current paragraph.
inline constexpr int kContinuePara = -1;

struct TDocItem
{
    QString Text;          // empty for a picture
    int StyleNo = 0;       // text style, or kPictureStyle
    int ImageIndex = -1;   // pictures only
    int ParaNo = kContinuePara; // paragraph style when the item starts a paragraph
};

// A styled document without widgets: a sequence of items numbered from 0,
// each a text item in a text style or a picture from an image list, each
// either starting a new paragraph in a paragraph style or continuing the
// current one. The view widget renders it and maps its caret to (item,
// offset); the entry renderer and printing fill it.
class TStyledDocument : public QObject
{
    Q_OBJECT

public:
    explicit TStyledDocument(QObject *parent = nullptr);

    // A new document has the entry style sheet.
    const TStyleSheet &Styles() const { return m_styles; }
    void SetStyles(const TStyleSheet &styles);

    void Clear();

    // Appends a text item. paraNo: a paragraph style to start a new
    // paragraph, or kContinuePara. The first item always starts a paragraph
    // (in style 0 when kContinuePara is given).
    void AddText(const QString &text, int styleNo, int paraNo);

    // Appends a picture as the first item of a new paragraph.
    void AddPicture(int imageIndex, int paraNo);

    // Tells the views that the items are complete and can be laid out.
    void Format();

    int ItemCount() const { return static_cast<int>(m_items.size()); }
    const TDocItem &Item(int itemNo) const { return m_items[itemNo]; }
    QString ItemText(int itemNo) const { return m_items[itemNo].Text; }
    int ItemStyle(int itemNo) const { return m_items[itemNo].StyleNo; }
    bool StartsParagraph(int itemNo) const { return m_items[itemNo].ParaNo != kContinuePara; }
    // Paragraph style of the paragraph that holds the item.
    int ParagraphStyleOf(int itemNo) const;

    // The text of the whole document, one paragraph a line (pictures as
    // "• "), for plain-text copies and the command line.
    QString PlainText() const;

Q_SIGNALS:
    void Cleared();
    void Formatted();

private:
    TStyleSheet m_styles;
    QList<TDocItem> m_items;
};

} // namespace lexivoce::view
