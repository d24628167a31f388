#include "view/styled_view.h"

#include "view/entry_styles.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

namespace lexivoce::view {


TStyledView::TStyledView(QWidget *parent)
    : QTextEdit(parent)
{
    setUndoRedoEnabled(false);
    setReadOnly(true);
    // After setReadOnly, which resets the flags: the caret is what the user
    // moves and hears.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    // A right click removes the selection; a menu would hide that.
    setContextMenuPolicy(Qt::NoContextMenu);
    AddImageResources(*document(), images());
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
    if (index >= m_customImages.size())
        m_customImages.resize(index + 1);
    m_customImages[index] = image;
    document()->addResource(QTextDocument::ImageResource, QUrl(ImageResourceName(index)), image);
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
}

QImage TStyledView::Image(int index) const
{
    const QList<QImage> images = this->images();
    return index >= 0 && index < images.size() ? images[index] : QImage();
}

QList<QImage> TStyledView::images() const
{
    // The bullets take the colours of the model's styles unless replaced;
    // drawn again only when those colours change, not for every entry.
    const TStyleSheet &styles = m_model->Styles();
    QList<TColor> colors;
    for (int bullet = 0; bullet < kBulletCount; ++bullet) {
        const int style = BulletStyleOf(bullet);
        colors.append(style < styles.TextStyles.size() ? styles.TextStyles[style].Color : TColor());
    }
    if (m_bullets.isEmpty() || colors != m_bulletColors) {
        m_bullets = DrawBullets(styles);
        m_bulletColors = colors;
    }
    QList<QImage> images = m_bullets;
    for (int i = 0; i < m_customImages.size(); ++i) {
        if (m_customImages[i].isNull())
            continue;
        if (i >= images.size())
            images.resize(i + 1);
        images[i] = m_customImages[i];
    }
    return images;
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

void TStyledView::clearView()
{
    document()->clear();
    AddImageResources(*document(), images());
    m_spans.clear();
    m_blockFirstItem.clear();
}

void TStyledView::render()
{
    TBuildOptions options;
    options.WindowText = palette().color(QPalette::WindowText);
    options.Images = images();
    TBuiltDocument built = BuildTextDocument(*m_model, *document(), options);
    m_spans = std::move(built.Spans);
    m_blockFirstItem = std::move(built.BlockFirstItem);
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

QMimeData *TStyledView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(textOf(cursor));
    QString html = QTextDocumentFragment(cursor).toHtml();
    // Our image names mean nothing elsewhere: the bullets travel inline.
    const QList<QImage> images = this->images();
    for (int i = 0; i < images.size(); ++i) {
        const QString source = QStringLiteral("src=\"%1\"").arg(ImageResourceName(i));
        if (images[i].isNull() || !html.contains(source))
            continue;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        images[i].save(&buffer, "PNG");
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

void TStyledView::SetBackground(const QImage &picture, TBackgroundStyle style)
{
    m_background = picture;
    SetBackgroundStyle(style);
}

void TStyledView::SetBackgroundStyle(TBackgroundStyle style)
{
    m_backgroundStyle = style;
    viewport()->update();
}

void TStyledView::paintBackground()
{
    if (m_background.isNull() || m_backgroundStyle == TBackgroundStyle::None)
        return;
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    switch (m_backgroundStyle) {
    case TBackgroundStyle::Stretched:
        painter.drawImage(area, m_background);
        break;
    case TBackgroundStyle::Tiled:
        painter.drawTiledPixmap(area, QPixmap::fromImage(m_background));
        break;
    case TBackgroundStyle::TiledAndScrolled:
        // The tiles move with the text.
        painter.drawTiledPixmap(area, QPixmap::fromImage(m_background),
                                QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
        break;
    case TBackgroundStyle::Centered: {
        QRect placed = m_background.rect();
        placed.moveCenter(area.center());
        painter.drawImage(placed, m_background);
        break;
    }
    case TBackgroundStyle::None:
        break;
    }
}

void TStyledView::paintEvent(QPaintEvent *event)
{
    paintBackground();
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    PaintParagraphBorders(painter, *document(), palette().color(QPalette::WindowText));
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
