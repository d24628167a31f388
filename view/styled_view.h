#pragma once

#include "view/styled_document.h"
#include "view/text_document_builder.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QTextEdit>

#include <utility>

class QMimeData;
class QPainter;
class QTextCursor;

namespace lexivoce::view {

// How a background picture fills the view.
enum class TBackgroundStyle { None, Stretched, Tiled, TiledAndScrolled, Centered };

// A place in the items: Offset k stands before the k-th character of the
// item (1-based, counted in UTF-16 code units), Offset length + 1 after its
// last character. ItemNo -1 means "no place" (the view shows no items).
struct TItemPos
{
    int ItemNo = -1;
    int Offset = 0;
    bool operator==(const TItemPos &) const = default;
};

// The entry view: renders a TStyledDocument read-only with a keyboard caret
// and reports the caret and the selection in items, so that the speech code
// can read characters, words and lines at the caret.
class TStyledView : public QTextEdit
{
    Q_OBJECT

public:
    explicit TStyledView(QWidget *parent = nullptr);
    ~TStyledView() override;

    // The model shown: the view's own one unless SetDocument gave another.
    TStyledDocument *Document() const { return m_model; }
    // Shows document (not owned; nullptr: the view's own model again).
    void SetDocument(TStyledDocument *document);

    void Clear();
    void Format();

    int ItemCount() const;
    QString ItemText(int itemNo) const;
    int ItemStyle(int itemNo) const;

    // Replaces picture index of the image list (bullets come drawn in the
    // colours of the styles they mark).
    void SetImage(int index, const QImage &image);
    QImage Image(int index) const;

    // A picture behind the text, drawn in style (None: no picture).
    void SetBackground(const QImage &picture, TBackgroundStyle style);
    void SetBackgroundStyle(TBackgroundStyle style);
    TBackgroundStyle BackgroundStyle() const { return m_backgroundStyle; }
    QImage BackgroundPicture() const { return m_background; }

    // Where a document position lies in the items. Between two items of a
    // paragraph it is the end of the earlier one, unless that one is empty
    // or the position opens the paragraph.
    TItemPos ItemPosOf(int documentPosition) const;
    // -1 when the item does not exist; the offset is clamped to the item.
    int DocumentPositionOf(TItemPos pos) const;

    // Grapheme boundaries within an item, so that "ệ" written as e plus two
    // combining marks is one character.
    int NextGraphemeOffset(int itemNo, int offset) const;
    int PreviousGraphemeOffset(int itemNo, int offset) const;

    // The item whose character is under a viewport point, or -1.
    int ItemAt(const QPoint &viewportPos) const;

    TItemPos Caret() const;
    void SetCaret(TItemPos pos);

    bool HasSelection() const;
    // {anchor, moving end} as the user made them.
    std::pair<TItemPos, TItemPos> SelectionBounds() const;
    // {start, end} in document order.
    std::pair<TItemPos, TItemPos> SelectionBoundsInOrder() const;
    // Pictures give nothing, paragraph breaks "\n".
    QString SelectedText() const;

    // Ranges the readers read, found without touching the caret or the
    // selection, {start, end} in document order; start == end when empty.
    // The whole document:
    std::pair<TItemPos, TItemPos> DocumentBounds() const;
    // The line at the caret, as laid out on the screen:
    std::pair<TItemPos, TItemPos> LineBoundsAtCaret() const;
    // The text of the word at the caret (as a double click would select it).
    QString WordTextAtCaret() const;
    // Whether the caret's line is the first / last one of the document, as
    // laid out (Up / Down cannot move further).
    bool IsCaretOnFirstLine() const;
    bool IsCaretOnLastLine() const;
    void SelectAll();

Q_SIGNALS:
    // A jump item was clicked.
    void Jump(int itemNo);

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    using TSpan = TBuiltDocument::TSpan;

    void paintBackground();
    void connectModel();
    void disconnectModel();
    void onModelDestroyed();
    void render();
    void clearView();
    // The image list: the bullets in the model's colours, or what SetImage gave.
    QList<QImage> images() const;
    int itemAtCharacter(int documentPosition) const;
    int firstItemOfBlock(int blockNumber) const;
    QString textOf(const QTextCursor &cursor) const;
    void setCursorPositions(int anchor, int position);

    TStyledDocument m_ownModel;
    TStyledDocument *m_model = &m_ownModel;
    QList<QImage> m_customImages;
    // The bullets last drawn, and the colours they were drawn in.
    mutable QList<QImage> m_bullets;
    mutable QList<TColor> m_bulletColors;
    QImage m_background;
    TBackgroundStyle m_backgroundStyle = TBackgroundStyle::None;
    QList<TSpan> m_spans;          // by item
    QList<int> m_blockFirstItem;   // by block of the rendered document
    QPoint m_pressPos;
    bool m_leftPressed = false;
    QList<QMetaObject::Connection> m_modelConnections;
};

} // namespace lexivoce::view
