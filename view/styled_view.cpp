#include "view/styled_view.h"

#include "view/entry_styles.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>

namespace lexivoce::view {

namespace {

// Block format properties of a paragraph border, painted by the view.
constexpr int kBorderSidesProperty = QTextFormat::UserProperty + 2;
constexpr int kBorderWidthProperty = QTextFormat::UserProperty + 3;
constexpr int kBorderOffsetProperty = QTextFormat::UserProperty + 4;

constexpr int kBulletSize = 12;

QString imageName(int index)
{
    return QStringLiteral("lexivoce-image:%1").arg(index);
}

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
QTextBlockFormat blockFormatOf(const TParaStyle &para, qreal previousBottom)
{
    const int border = para.BorderSides != 0 ? para.BorderWidth + para.BorderOffset : 0;
    const auto side = [&](int s) { return (para.BorderSides & s) != 0 ? border : 0; };
    QTextBlockFormat format;
    format.setTopMargin(previousBottom + para.SpaceBefore + side(bsTop));
    format.setBottomMargin(para.SpaceAfter + side(bsBottom));
    format.setLeftMargin(para.LeftIndent + side(bsLeft));
    format.setRightMargin(para.RightIndent + side(bsRight));
    format.setTextIndent(para.FirstIndent);
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

QImage drawBullet(int bullet)
{
    QImage image(kBulletSize, kBulletSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Each bullet takes the colour of the lines it marks.
    const TStyleSheet &sheet = EntryStyleSheet();
    const int style = bullet == bulletExample ? tsExample : tsIdiom;
    painter.setBrush(toQColor(sheet.TextStyles[style].Color, Qt::black));
    if (bullet == bulletExample) {
        painter.drawEllipse(QRectF(2.5, 2.5, 7, 7));
    } else {
        const QPointF diamond[] = {{6, 1.5}, {10.5, 6}, {6, 10.5}, {1.5, 6}};
        painter.drawPolygon(diamond, 4);
    }
    return image;
}

} // namespace

TStyledView::TStyledView(QWidget *parent)
    : QTextEdit(parent)
{
    m_images = {drawBullet(bulletExample), drawBullet(bulletIdiom)};
    setUndoRedoEnabled(false);
    setReadOnly(true);
    // After setReadOnly, which resets the flags: the caret is what the user
    // moves and hears.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    // A right click removes the selection; a menu would hide that.
    setContextMenuPolicy(Qt::NoContextMenu);
    addImageResources();
    connectModel();
}

TStyledView::~TStyledView()
{
    disconnectModel();
}

void TStyledView::SetDocument(TStyledDocument *document)
{
    if (document == nullptr)
        document = &m_ownModel;
    if (document == m_model)
        return;
    disconnectModel();
    m_model = document;
    connectModel();
    render();
}

void TStyledView::Clear()
{
    m_model->Clear();
}

void TStyledView::Format()
{
    m_model->Format();
}

int TStyledView::ItemCount() const
{
    return m_model->ItemCount();
}

QString TStyledView::ItemText(int itemNo) const
{
    return m_model->ItemText(itemNo);
}

int TStyledView::ItemStyle(int itemNo) const
{
    return m_model->ItemStyle(itemNo);
}

void TStyledView::SetImage(int index, const QImage &image)
{
    if (index < 0)
        return;
    if (index >= m_images.size())
        m_images.resize(index + 1);
    m_images[index] = image;
    document()->addResource(QTextDocument::ImageResource, QUrl(imageName(index)), image);
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
}

QImage TStyledView::Image(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images[index] : QImage();
}

void TStyledView::connectModel()
{
    m_modelConnections = {
        connect(m_model, &TStyledDocument::Formatted, this, &TStyledView::render),
        connect(m_model, &TStyledDocument::Cleared, this, &TStyledView::clearView),
    };
    if (m_model != &m_ownModel)
        m_modelConnections.append(connect(m_model, &QObject::destroyed, this, &TStyledView::onModelDestroyed));
}

void TStyledView::disconnectModel()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
}

void TStyledView::onModelDestroyed()
{
    m_modelConnections.clear();
    m_model = &m_ownModel;
    connectModel();
    render();
}

void TStyledView::addImageResources()
{
    for (int i = 0; i < m_images.size(); ++i) {
        if (!m_images[i].isNull())
            document()->addResource(QTextDocument::ImageResource, QUrl(imageName(i)), m_images[i]);
    }
}

void TStyledView::clearView()
{
    // QTextDocument::clear drops the resources too; they must be back before
    // the next layout, which sizes the pictures.
    document()->clear();
    addImageResources();
    m_spans.clear();
    m_blockFirstItem.clear();
}

void TStyledView::render()
{
    clearView();
    const TStyleSheet &styles = m_model->Styles();
    const QColor windowText = palette().color(QPalette::WindowText);
    const int count = m_model->ItemCount();
    m_spans.reserve(count);

    QTextCursor cursor(document());
    cursor.beginEditBlock();
    qreal previousBottom = 0;
    for (int i = 0; i < count; ++i) {
        const TDocItem &item = m_model->Item(i);
        if (i == 0 || m_model->StartsParagraph(i)) {
            const int paraNo = m_model->ParagraphStyleOf(i);
            const TParaStyle para = paraNo >= 0 && paraNo < styles.ParaStyles.size() ? styles.ParaStyles[paraNo] : TParaStyle();
            const QTextBlockFormat block = blockFormatOf(para, previousBottom);
            previousBottom = block.bottomMargin();
            // An empty paragraph is as high as the font of its first text.
            int textItem = i;
            while (textItem + 1 < count && m_model->ItemStyle(textItem) == kPictureStyle && !m_model->StartsParagraph(textItem + 1))
                ++textItem;
            const QTextCharFormat blockChar = charFormatOf(styles, m_model->ItemStyle(textItem), windowText);
            if (i == 0) {
                cursor.setBlockFormat(block);
                cursor.setBlockCharFormat(blockChar);
            } else {
                cursor.insertBlock(block, blockChar);
            }
            m_blockFirstItem.append(i);
        }
        TSpan span{cursor.position(), 0};
        if (item.StyleNo == kPictureStyle) {
            QTextImageFormat image;
            image.setName(imageName(item.ImageIndex));
            image.setProperty(kItemNoProperty, i);
            cursor.insertImage(image);
            span.Length = 1;
        } else {
            QTextCharFormat format = charFormatOf(styles, item.StyleNo, windowText);
            format.setProperty(kItemNoProperty, i);
            cursor.insertText(renderedText(item.Text), format);
            span.Length = static_cast<int>(item.Text.size());
        }
        m_spans.append(span);
    }
    cursor.endEditBlock();
    Q_ASSERT(count == 0 || document()->blockCount() == m_blockFirstItem.size());
    setTextCursor(QTextCursor(document()));
}

int TStyledView::firstItemOfBlock(int blockNumber) const
{
    return m_blockFirstItem[std::clamp(blockNumber, 0, static_cast<int>(m_blockFirstItem.size()) - 1)];
}

TItemPos TStyledView::ItemPosOf(int documentPosition) const
{
    if (m_spans.isEmpty())
        return {};
    const QTextDocument *doc = document();
    const int pos = std::clamp(documentPosition, 0, doc->characterCount() - 1);
    const int blockNumber = doc->findBlock(pos).blockNumber();
    const int first = firstItemOfBlock(blockNumber);
    const int last = (blockNumber + 1 < m_blockFirstItem.size() ? m_blockFirstItem[blockNumber + 1]
                                                                 : static_cast<int>(m_spans.size())) - 1;
    for (int i = first; i <= last; ++i) {
        const TSpan &span = m_spans[i];
        const int end = span.Start + span.Length;
        if (pos > end)
            continue;
        // An empty item yields the boundary to the item that starts there.
        if (pos == end && span.Length == 0 && i < last)
            continue;
        return {i, pos - span.Start + 1};
    }
    return {last, m_spans[last].Length + 1};
}

int TStyledView::DocumentPositionOf(TItemPos pos) const
{
    if (pos.ItemNo < 0 || pos.ItemNo >= m_spans.size())
        return -1;
    const TSpan &span = m_spans[pos.ItemNo];
    return span.Start + std::clamp(pos.Offset - 1, 0, span.Length);
}

int TStyledView::NextGraphemeOffset(int itemNo, int offset) const
{
    if (itemNo < 0 || itemNo >= m_spans.size())
        return offset;
    const TSpan &span = m_spans[itemNo];
    if (offset > span.Length)
        return span.Length + 1;
    const QTextBlock block = document()->findBlock(span.Start);
    const QString text = block.text().mid(span.Start - block.position(), span.Length);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(std::max(offset - 1, 0));
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? span.Length + 1 : static_cast<int>(next) + 1;
}

int TStyledView::PreviousGraphemeOffset(int itemNo, int offset) const
{
    if (itemNo < 0 || itemNo >= m_spans.size())
        return offset;
    const TSpan &span = m_spans[itemNo];
    if (offset <= 1)
        return 1;
    const QTextBlock block = document()->findBlock(span.Start);
    const QString text = block.text().mid(span.Start - block.position(), span.Length);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(std::min(offset - 1, span.Length));
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? 1 : static_cast<int>(previous) + 1;
}

int TStyledView::itemAtCharacter(int documentPosition) const
{
    // The last item starting at or before the position that has characters.
    auto it = std::upper_bound(m_spans.cbegin(), m_spans.cend(), documentPosition,
                               [](int pos, const TSpan &span) { return pos < span.Start; });
    while (it != m_spans.cbegin()) {
        --it;
        if (it->Length > 0)
            return documentPosition < it->Start + it->Length ? static_cast<int>(it - m_spans.cbegin()) : -1;
    }
    return -1;
}

int TStyledView::ItemAt(const QPoint &viewportPos) const
{
    const QPointF documentPoint = viewportPos + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    // ExactHit gives the character under the point, not the nearest gap.
    const int pos = document()->documentLayout()->hitTest(documentPoint, Qt::ExactHit);
    return pos < 0 ? -1 : itemAtCharacter(pos);
}

TItemPos TStyledView::Caret() const
{
    return ItemPosOf(textCursor().position());
}

void TStyledView::SetCaret(TItemPos pos)
{
    const int position = DocumentPositionOf(pos);
    if (position >= 0)
        setCursorPositions(position, position);
}

void TStyledView::setCursorPositions(int anchor, int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool TStyledView::HasSelection() const
{
    return textCursor().hasSelection();
}

std::pair<TItemPos, TItemPos> TStyledView::SelectionBounds() const
{
    const QTextCursor cursor = textCursor();
    return {ItemPosOf(cursor.anchor()), ItemPosOf(cursor.position())};
}

std::pair<TItemPos, TItemPos> TStyledView::SelectionBoundsInOrder() const
{
    const QTextCursor cursor = textCursor();
    return {ItemPosOf(cursor.selectionStart()), ItemPosOf(cursor.selectionEnd())};
}

QString TStyledView::textOf(const QTextCursor &cursor) const
{
    QString text = cursor.selectedText();
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

QString TStyledView::SelectedText() const
{
    return textOf(textCursor());
}

void TStyledView::SelectAll()
{
    selectAll();
}

std::pair<TItemPos, TItemPos> TStyledView::DocumentBounds() const
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    return {ItemPosOf(0), ItemPosOf(cursor.position())};
}

std::pair<TItemPos, TItemPos> TStyledView::LineBoundsAtCaret() const
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::StartOfLine);
    const int start = cursor.position();
    cursor.movePosition(QTextCursor::EndOfLine);
    return {ItemPosOf(start), ItemPosOf(cursor.position())};
}

QString TStyledView::WordTextAtCaret() const
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.select(QTextCursor::WordUnderCursor);
    return textOf(cursor);
}

bool TStyledView::IsCaretOnFirstLine() const
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    return !cursor.movePosition(QTextCursor::Up);
}

bool TStyledView::IsCaretOnLastLine() const
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    return !cursor.movePosition(QTextCursor::Down);
}

void TStyledView::SelectWordAtCaret()
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.select(QTextCursor::WordUnderCursor);
    setTextCursor(cursor);
}

void TStyledView::SelectLineAtCaret()
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::StartOfLine);
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TStyledView::Deselect(TItemPos caret)
{
    SetCaret(caret);
}

QMimeData *TStyledView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(textOf(cursor));
    QString html = QTextDocumentFragment(cursor).toHtml();
    // Our image names mean nothing elsewhere: the bullets travel inline.
    for (int i = 0; i < m_images.size(); ++i) {
        const QString source = QStringLiteral("src=\"%1\"").arg(imageName(i));
        if (m_images[i].isNull() || !html.contains(source))
            continue;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        m_images[i].save(&buffer, "PNG");
        html.replace(source, QStringLiteral("src=\"data:image/png;base64,%1\"").arg(QString::fromLatin1(png.toBase64())));
    }
    mime->setHtml(html);
    return mime;
}

void TStyledView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        QTextCursor cursor = textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            setTextCursor(cursor);
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_leftPressed = true;
    }
    QTextEdit::mousePressEvent(event);
}

void TStyledView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && m_leftPressed
        && (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance();
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    QTextEdit::mouseReleaseEvent(event);
    if (!click)
        return;
    const int itemNo = ItemAt(pos);
    if (itemNo < 0)
        return;
    const int styleNo = ItemStyle(itemNo);
    const QList<TTextStyle> &styles = m_model->Styles().TextStyles;
    if (styleNo >= 0 && styleNo < styles.size() && styles[styleNo].Jump)
        Q_EMIT Jump(itemNo);
}

void TStyledView::paintEvent(QPaintEvent *event)
{
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    paintBorders(painter);
}

void TStyledView::paintBorders(QPainter &painter)
{
    const QTextDocument *doc = document();
    const QRectF frame = doc->documentLayout()->frameBoundingRect(doc->rootFrame());
    const qreal margin = doc->documentMargin();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const int sides = format.intProperty(kBorderSidesProperty);
        const QTextLayout *layout = block.layout();
        if (sides == 0 || layout == nullptr || layout->lineCount() == 0)
            continue;
        const qreal width = format.intProperty(kBorderWidthProperty);
        // The offset lies between the text and the line's inner edge.
        const qreal gap = format.intProperty(kBorderOffsetProperty) + width / 2;
        const QTextLine firstLine = layout->lineAt(0);
        const QTextLine lastLine = layout->lineAt(layout->lineCount() - 1);
        const qreal top = layout->position().y() + firstLine.y() - gap;
        const qreal bottom = layout->position().y() + lastLine.y() + lastLine.height() + gap;
        const qreal left = frame.left() + margin + format.leftMargin() - ((sides & bsLeft) != 0 ? gap : 0);
        const qreal right = frame.right() - margin - format.rightMargin() + ((sides & bsRight) != 0 ? gap : 0);
        painter.setPen(QPen(palette().color(QPalette::WindowText), width, Qt::SolidLine, Qt::FlatCap));
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

void TStyledView::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    // Window text items follow the palette: render again, keeping the caret
    // and the selection where they were.
    if (event->type() == QEvent::PaletteChange && !m_spans.isEmpty()) {
        const QTextCursor cursor = textCursor();
        const int anchor = cursor.anchor();
        const int position = cursor.position();
        render();
        setCursorPositions(anchor, position);
    }
}

} // namespace lexivoce::view
