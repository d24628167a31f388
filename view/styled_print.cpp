#include "view/styled_print.h"

#include "view/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace lexivoce::view {

namespace {

// Style sheet lengths are screen pixels, which Qt's layout scales to the
// device it lays out for.
constexpr qreal kStyleDpi = 96.0;
// Room between the last line of a page and the footer's rule.
constexpr qreal kFooterGapMm = 3.0;

void copyItems(const TStyledDocument &from, TStyledDocument &to)
{
    to.Clear();
    to.SetStyles(from.Styles());
    for (int i = 0; i < from.ItemCount(); ++i) {
        const TDocItem &item = from.Item(i);
        if (item.StyleNo == kPictureStyle)
            to.AddPicture(item.ImageIndex, item.ParaNo);
        else
            to.AddText(item.Text, item.StyleNo, item.ParaNo);
    }
}

} // namespace

// The laid-out documents and the page geometry, in device pixels with the
// paper's top left corner at the origin.
struct TStyledPrint::TLayout
{
    QTextDocument Body;
    QTextDocument Footer;
    qreal Left = 0;
    qreal Top = 0;
    qreal Width = 0;
    qreal BodyHeight = 0;
    qreal FooterTop = 0;
    qreal FooterRule = 0; // the height of a rule above the footer's text
    QPointF PaintOrigin; // where the painter's origin lies on the paper
};

TStyledPrint::TStyledPrint() = default;
TStyledPrint::~TStyledPrint() = default;

void TStyledPrint::AssignSource(const TStyledDocument &document)
{
    copyItems(document, m_source);
}

void TStyledPrint::SetFooter(const TStyledDocument &footer)
{
    copyItems(footer, m_footer);
}

int TStyledPrint::FormatPages(QPagedPaintDevice &device)
{
    // The whole paper is ours to place things on; a printer that cannot
    // print near an edge keeps its minimum margins and moves the origin.
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const int dpi = device.logicalDpiY();
    const QPageLayout pageLayout = device.pageLayout();
    const QRect paper = pageLayout.fullRectPixels(dpi);
    const QRect paintable = pageLayout.paintRectPixels(dpi);
    const auto mm = [dpi](double millimetres) { return millimetres * dpi / 25.4; };

    m_layout = std::make_unique<TLayout>();
    TLayout &layout = *m_layout;
    layout.PaintOrigin = paintable.topLeft();
    layout.Left = mm(LeftMarginMm);
    layout.Top = mm(TopMarginMm);
    layout.Width = std::max<qreal>(1, paper.width() - mm(LeftMarginMm) - mm(RightMarginMm));

    TBuildOptions options;
    options.WindowText = Qt::black;
    options.IndentScale = dpi / kStyleDpi;
    options.Images = DrawBullets(m_source.Styles());
    for (QTextDocument *document : {&layout.Body, &layout.Footer}) {
        // Fonts are measured for the device, not the screen.
        document->documentLayout()->setPaintDevice(&device);
        document->setDocumentMargin(0);
    }
    BuildTextDocument(m_source, layout.Body, options);
    options.Images = DrawBullets(m_footer.Styles());
    BuildTextDocument(m_footer, layout.Footer, options);

    layout.Footer.setTextWidth(layout.Width);
    const qreal footerHeight = m_footer.ItemCount() > 0 ? layout.Footer.size().height() : 0;
    // Qt drops the top margin of a document's first paragraph, where a rule
    // above the footer keeps its room: the rule is drawn above the text.
    if (m_footer.ItemCount() > 0) {
        const int paraNo = m_footer.ParagraphStyleOf(0);
        const QList<TParaStyle> &paras = m_footer.Styles().ParaStyles;
        if (paraNo >= 0 && paraNo < paras.size() && (paras[paraNo].BorderSides & bsTop) != 0)
            layout.FooterRule = (paras[paraNo].BorderWidth + paras[paraNo].BorderOffset) * dpi / kStyleDpi;
    }
    layout.FooterTop = paper.height() - mm(FooterYMm) - footerHeight;
    const qreal bodyBottom = std::min<qreal>(
        paper.height() - mm(BottomMarginMm),
        footerHeight > 0 ? layout.FooterTop - layout.FooterRule - mm(kFooterGapMm) : paper.height());
    // A footer taller than the page leaves at least a line's room.
    layout.BodyHeight = std::max<qreal>(bodyBottom - layout.Top, mm(10));
    layout.Body.setPageSize(QSizeF(layout.Width, layout.BodyHeight));
    m_pageCount = std::max(1, layout.Body.pageCount());
    return m_pageCount;
}

bool TStyledPrint::Print(QPagedPaintDevice &device)
{
    FormatPages(device);
    TLayout &layout = *m_layout;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.translate(-layout.PaintOrigin);
    const qreal pixelScale = device.logicalDpiY() / kStyleDpi;
    const auto draw = [&painter, pixelScale](QTextDocument &document, const QRectF &clip) {
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        // A paragraph that runs onto the next page is drawn whole; the clip
        // keeps its later lines for that page.
        painter.setClipRect(clip);
        document.documentLayout()->draw(&painter, context);
        PaintParagraphBorders(painter, document, Qt::black, pixelScale);
        painter.setClipping(false);
    };
    bool ok = true;
    for (int page = 0; page < m_pageCount && ok; ++page) {
        if (page > 0 && !device.newPage())
            ok = false;
        painter.save();
        painter.translate(layout.Left, layout.Top - page * layout.BodyHeight);
        draw(layout.Body, QRectF(0, page * layout.BodyHeight, layout.Width, layout.BodyHeight));
        painter.restore();
        if (m_footer.ItemCount() > 0) {
            painter.save();
            painter.translate(layout.Left, layout.FooterTop);
            draw(layout.Footer, QRectF(0, -layout.FooterRule, layout.Width, layout.Footer.size().height() + layout.FooterRule));
            painter.restore();
        }
    }
    ok = painter.end() && ok;
    // The layout measures with the device, which may go before this object.
    m_layout.reset();
    return ok;
}

} // namespace lexivoce::view
