#pragma once

#include "view/styled_document.h"

#include <QImage>
#include <QList>

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

namespace lexivoce::view {

// Prints a styled document on pages with a footer: the document laid out at
// the device's resolution, broken into pages between the margins, and the
// footer document under the text of every page, its bottom FooterY above the
// paper's bottom edge. Window-text styles print black.
class TStyledPrint
{
public:
    TStyledPrint();
    ~TStyledPrint();

    // Millimetres from the paper's edges.
    double LeftMarginMm = 20;
    double RightMarginMm = 20;
    double TopMarginMm = 20;
    double BottomMarginMm = 20;
    double FooterYMm = 10;

    // The document to print and the footer, copied as they are now.
    void AssignSource(const TStyledDocument &document);
    void SetFooter(const TStyledDocument &footer);

    // Lays the pages out for device (its paper and resolution); the number
    // of pages, at least one. The layout measures with device: it must live
    // until Print or the next FormatPages.
    int FormatPages(QPagedPaintDevice &device);
    int PagesCount() const { return m_pageCount; }

    // Formats for device and paints every page on it. False when the device
    // cannot be painted on (no printer behind it, an unwritable file).
    bool Print(QPagedPaintDevice &device);

private:
    struct TLayout;

    TStyledDocument m_source;
    TStyledDocument m_footer;
    std::unique_ptr<TLayout> m_layout;
    int m_pageCount = 0;
};

} // namespace lexivoce::view
