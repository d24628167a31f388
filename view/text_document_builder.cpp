#include "view/text_document_builder.h"

#include "view/entry_styles.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>

namespace lexivoce::view {

namespace {

// Block format properties of a paragraph border, painted by
// PaintParagraphBorders.
constexpr int kBorderSidesProperty = QTextFormat::UserProperty + 2;
constexpr int kBorderWidthProperty = QTextFormat::UserProperty + 3;
constexpr int kBorderOffsetProperty = QTextFormat::UserProperty + 4;

constexpr int kBulletSize = 12;

QColor toQColor(const TColor &color, const QColor &windowText)
{
    return color.WindowText ? windowText : QColor(color.Red, color.Green, color.Blue);
}

// The style sheet names Windows fonts, seldom installed here: each is
// followed by faces that hold the Vietnamese letters.
QStringList familiesFor(const QString &fontName, bool *serif)
{
    *serif = fontName.contains(QLatin1String("Times"), Qt::CaseInsensitive)
        || (fontName.contains(QLatin1String("Serif"), Qt::CaseInsensitive)
            && !fontName.contains(QLatin1String("Sans"), Qt::CaseInsensitive));
    QStringList families;
    if (!fontName.isEmpty())
        families << fontName;
    if (*serif)
        families << QStringLiteral("DejaVu Serif") << QStringLiteral("Liberation Serif") << QStringLiteral("Noto Serif");
    else
        families << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans") << QStringLiteral("Noto Sans");
    return families;
}

QTextCharFormat charFormatOf(const TStyleSheet &styles, int styleNo, const QColor &windowText)
{
    QTextCharFormat format;
    if (styleNo < 0 || styleNo >= styles.TextStyles.size()) {
        format.setForeground(windowText);
        return format;
    }
    const TTextStyle &style = styles.TextStyles[styleNo];
    bool serif = false;
    format.setFontFamilies(familiesFor(style.FontName, &serif));
    format.setFontStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    format.setFontPointSize(style.Size);
    format.setFontWeight(style.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.Italic);
    format.setFontUnderline(style.Underline);
    format.setForeground(toQColor(style.Color, windowText));
    return format;
}

Qt::Alignment toQtAlignment(TAlignment alignment)
{
    switch (alignment) {
    case TAlignment::Right: return Qt::AlignRight;
    case TAlignment::Center: return Qt::AlignHCenter;
    case TAlignment::Justify: return Qt::AlignJustify;
    case TAlignment::Left: break;
    }
    return Qt::AlignLeft;
}

// Qt collapses the space between blocks to the larger margin; the space after
// a paragraph and the space before the next add up here, so the whole gap
// goes into the top margin of the later block.
QTextBlockFormat blockFormatOf(const TParaStyle &para, qreal previousBottom, qreal indentScale)
{
    const int border = para.BorderSides != 0 ? para.BorderWidth + para.BorderOffset : 0;
    const auto side = [&](int s) { return (para.BorderSides & s) != 0 ? border : 0; };
    QTextBlockFormat format;
    format.setTopMargin(previousBottom + para.SpaceBefore + side(bsTop));
    format.setBottomMargin(para.SpaceAfter + side(bsBottom));
    format.setLeftMargin((para.LeftIndent + side(bsLeft)) * indentScale);
    format.setRightMargin((para.RightIndent + side(bsRight)) * indentScale);
    format.setTextIndent(para.FirstIndent * indentScale);
    format.setAlignment(toQtAlignment(para.Alignment));
    if (para.BorderSides != 0 && para.BorderWidth > 0) {
        format.setProperty(kBorderSidesProperty, para.BorderSides);
        format.setProperty(kBorderWidthProperty, para.BorderWidth);
        format.setProperty(kBorderOffsetProperty, para.BorderOffset);
    }
    return format;
}

// Characters that QTextCursor::insertText would turn into block or frame
// breaks, and the picture character, become blanks: one rendered character
// per item character keeps the offsets of the model.
QString renderedText(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == 0x2029 || u == 0xFFFC || u == 0xFDD0 || u == 0xFDD1)
            c = QLatin1Char(' ');
    }
    return result;
}

QImage drawBullet(int bullet, const TStyleSheet &styles)
{
    QImage image(kBulletSize, kBulletSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int style = BulletStyleOf(bullet);
    painter.setBrush(style < styles.TextStyles.size() ? toQColor(styles.TextStyles[style].Color, Qt::black)
                                                      : QColor(Qt::black));
    if (bullet == bulletExample) {
        painter.drawEllipse(QRectF(2.5, 2.5, 7, 7));
    } else {
        const QPointF diamond[] = {{6, 1.5}, {10.5, 6}, {6, 10.5}, {1.5, 6}};
        painter.drawPolygon(diamond, 4);
    }
    return image;
}

} // namespace

QString ImageResourceName(int index)
{
    return QStringLiteral("lexivoce-image:%1").arg(index);
}

void AddImageResources(QTextDocument &target, const QList<QImage> &images)
{
    for (int i = 0; i < images.size(); ++i) {
        if (!images[i].isNull())
            target.addResource(QTextDocument::ImageResource, QUrl(ImageResourceName(i)), images[i]);
    }
}

QList<QImage> DrawBullets(const TStyleSheet &styles)
{
    QList<QImage> bullets;
    for (int bullet = 0; bullet < kBulletCount; ++bullet)
        bullets.append(drawBullet(bullet, styles));
    return bullets;
}

TBuiltDocument BuildTextDocument(const TStyledDocument &model, QTextDocument &target, const TBuildOptions &options)
{
    // QTextDocument::clear drops the resources too; they must be back before
    // the next layout, which sizes the pictures.
    target.clear();
    AddImageResources(target, options.Images);
    TBuiltDocument built;
    const TStyleSheet &styles = model.Styles();
    const int count = model.ItemCount();
    built.Spans.reserve(count);

    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    qreal previousBottom = 0;
    for (int i = 0; i < count; ++i) {
        const TDocItem &item = model.Item(i);
        if (i == 0 || model.StartsParagraph(i)) {
            const int paraNo = model.ParagraphStyleOf(i);
            const TParaStyle para = paraNo >= 0 && paraNo < styles.ParaStyles.size() ? styles.ParaStyles[paraNo] : TParaStyle();
            const QTextBlockFormat block = blockFormatOf(para, previousBottom, options.IndentScale);
            previousBottom = block.bottomMargin();
            // An empty paragraph is as high as the font of its first text.
            int textItem = i;
            while (textItem + 1 < count && model.ItemStyle(textItem) == kPictureStyle && !model.StartsParagraph(textItem + 1))
                ++textItem;
            const QTextCharFormat blockChar = charFormatOf(styles, model.ItemStyle(textItem), options.WindowText);
            if (i == 0) {
                cursor.setBlockFormat(block);
                cursor.setBlockCharFormat(blockChar);
            } else {
                cursor.insertBlock(block, blockChar);
            }
            built.BlockFirstItem.append(i);
        }
        TBuiltDocument::TSpan span{cursor.position(), 0};
        if (item.StyleNo == kPictureStyle) {
            QTextImageFormat image;
            image.setName(ImageResourceName(item.ImageIndex));
            image.setProperty(kItemNoProperty, i);
            cursor.insertImage(image);
            span.Length = 1;
        } else {
            QTextCharFormat format = charFormatOf(styles, item.StyleNo, options.WindowText);
            format.setProperty(kItemNoProperty, i);
            cursor.insertText(renderedText(item.Text), format);
            span.Length = static_cast<int>(item.Text.size());
        }
        built.Spans.append(span);
    }
    cursor.endEditBlock();
    Q_ASSERT(count == 0 || target.blockCount() == built.BlockFirstItem.size());
    return built;
}

void PaintParagraphBorders(QPainter &painter, const QTextDocument &document, const QColor &color, qreal pixelScale)
{
    const QRectF frame = document.documentLayout()->frameBoundingRect(document.rootFrame());
    const qreal margin = document.documentMargin();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const int sides = format.intProperty(kBorderSidesProperty);
        const QTextLayout *layout = block.layout();
        if (sides == 0 || layout == nullptr || layout->lineCount() == 0)
            continue;
        const qreal width = format.intProperty(kBorderWidthProperty) * pixelScale;
        // The offset lies between the text and the line's inner edge.
        const qreal gap = format.intProperty(kBorderOffsetProperty) * pixelScale + width / 2;
        const QTextLine firstLine = layout->lineAt(0);
        const QTextLine lastLine = layout->lineAt(layout->lineCount() - 1);
        const qreal top = layout->position().y() + firstLine.y() - gap;
        const qreal bottom = layout->position().y() + lastLine.y() + lastLine.height() + gap;
        const qreal left = frame.left() + margin + format.leftMargin() - ((sides & bsLeft) != 0 ? gap : 0);
        const qreal right = frame.right() - margin - format.rightMargin() + ((sides & bsRight) != 0 ? gap : 0);
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap));
        if ((sides & bsTop) != 0)
            painter.drawLine(QLineF(left, top, right, top));
        if ((sides & bsBottom) != 0)
            painter.drawLine(QLineF(left, bottom, right, bottom));
        if ((sides & bsLeft) != 0)
            painter.drawLine(QLineF(left, top, left, bottom));
        if ((sides & bsRight) != 0)
            painter.drawLine(QLineF(right, top, right, bottom));
    }
}

} // namespace lexivoce::view
