#pragma once

#include "view/styled_document.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextFormat>

class QPainter;
class QTextDocument;

namespace lexivoce::view {

// Char format property that holds the item number of every rendered
// character, so that neighbouring items with equal styles stay apart.
inline constexpr int kItemNoProperty = QTextFormat::UserProperty + 1;

struct TBuildOptions
{
    // The colour of window-text styles and of paragraph borders.
    QColor WindowText = Qt::black;
    // Multiplies the indents. Qt scales a format's vertical spaces and
    // pictures to a finer device than the screen (a printer) but takes the
    // indents as the device's own pixels.
    qreal IndentScale = 1.0;
    // The image list that picture items name, by index.
    QList<QImage> Images;
};

// Where the items of a model landed in the Qt document built from it.
struct TBuiltDocument
{
    struct TSpan
    {
        int Start = 0;  // document position of the first character
        int Length = 0; // characters; a picture is one
    };
    QList<TSpan> Spans;        // by item
    QList<int> BlockFirstItem; // by block of the Qt document
};

// Clears target and fills it with the model's items, one rendered character
// per item character, so that positions map back to (item, offset). The
// entry view, printing and the style dialog's sample all render this way.
TBuiltDocument BuildTextDocument(const TStyledDocument &model, QTextDocument &target, const TBuildOptions &options);

// The resource name under which picture index is found.
QString ImageResourceName(int index);

// Makes the images findable by the picture items of a built document; a
// cleared QTextDocument has lost them.
void AddImageResources(QTextDocument &target, const QList<QImage> &images);

// The bullets of the entry view's image list, each in the colour of the
// lines it marks in styles.
QList<QImage> DrawBullets(const TStyleSheet &styles);

// Paints the borders of a laid-out built document's paragraphs, which Qt
// does not draw, in the painter's coordinates of the document. pixelScale:
// device pixels per screen pixel, for a document laid out for a finer device
// (a printer), whose border widths and offsets must grow as its text did.
void PaintParagraphBorders(QPainter &painter, const QTextDocument &document, const QColor &color,
                           qreal pixelScale = 1.0);

} // namespace lexivoce::view
