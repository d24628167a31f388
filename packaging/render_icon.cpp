// lexivoce-render-icon SVG SIZE OUT.png: renders the program's icon into a
// square PNG at build time. Qt's SVG module is not among the project's
// dependencies, so this reads the small part of SVG that the icon is drawn
// with (rectangles and paths of lines and curves, with fill and stroke) and
// refuses anything else, so that an edit it cannot draw fails the build
// instead of leaving a wrong picture.
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void fail(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

double number(QStringView text, QStringView what)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("%1 is no number: \"%2\"").arg(what, text));
    return value;
}

// The numbers and command letters of a path's "d", in order.
class PathTokens
{
public:
    explicit PathTokens(QStringView data) : m_data(data) {}

    bool AtEnd()
    {
        skipSeparators();
        return m_pos >= m_data.size();
    }
    bool AtCommand()
    {
        skipSeparators();
        return m_pos < m_data.size() && m_data[m_pos].isLetter();
    }
    QChar Command() { return m_data[m_pos++]; }

    double Number()
    {
        skipSeparators();
        const qsizetype start = m_pos;
        auto digits = [this] {
            while (m_pos < m_data.size() && m_data[m_pos].isDigit())
                ++m_pos;
        };
        if (m_pos < m_data.size() && (m_data[m_pos] == u'-' || m_data[m_pos] == u'+'))
            ++m_pos;
        digits();
        if (m_pos < m_data.size() && m_data[m_pos] == u'.') {
            ++m_pos;
            digits();
        }
        if (m_pos < m_data.size() && (m_data[m_pos] == u'e' || m_data[m_pos] == u'E')) {
            ++m_pos;
            if (m_pos < m_data.size() && (m_data[m_pos] == u'-' || m_data[m_pos] == u'+'))
                ++m_pos;
            digits();
        }
        if (m_pos == start)
            fail(QStringLiteral("path data: a number expected at \"%1\"").arg(m_data.mid(start, 20)));
        return number(m_data.mid(start, m_pos - start), u"path data");
    }

private:
    void skipSeparators()
    {
        while (m_pos < m_data.size() && (m_data[m_pos].isSpace() || m_data[m_pos] == u','))
            ++m_pos;
    }

    QStringView m_data;
    qsizetype m_pos = 0;
};

// Commands M, L, H, V, Q, C and Z, absolute and relative; numbers after a
// command's own repeat it (a moveto's repeat as lineto), as SVG has it.
QPainterPath parsePath(QStringView data)
{
    QPainterPath path;
    PathTokens tokens(data);
    QPointF current;
    QPointF subpathStart;
    QChar command;
    while (!tokens.AtEnd()) {
        if (tokens.AtCommand())
            command = tokens.Command();
        else if (command.isNull())
            fail(QStringLiteral("path data must begin with a command"));
        const bool relative = command.isLower();
        const QPointF origin = relative ? current : QPointF();
        auto point = [&] {
            const double x = tokens.Number();
            return origin + QPointF(x, tokens.Number());
        };
        switch (command.toUpper().unicode()) {
        case u'M':
            current = subpathStart = point();
            path.moveTo(current);
            command = relative ? u'l' : u'L';
            break;
        case u'L':
            current = point();
            path.lineTo(current);
            break;
        case u'H':
            current.setX(tokens.Number() + (relative ? current.x() : 0));
            path.lineTo(current);
            break;
        case u'V':
            current.setY(tokens.Number() + (relative ? current.y() : 0));
            path.lineTo(current);
            break;
        case u'Q': {
            const QPointF control = point();
            current = point();
            path.quadTo(control, current);
            break;
        }
        case u'C': {
            const QPointF first = point();
            const QPointF second = point();
            current = point();
            path.cubicTo(first, second, current);
            break;
        }
        case u'Z':
            path.closeSubpath();
            current = subpathStart;
            command = QChar();
            break;
        default:
            fail(QStringLiteral("path command %1 is not drawn by this renderer").arg(command));
        }
    }
    return path;
}

struct Paint
{
    QBrush Fill{Qt::black};
    QPen Stroke{Qt::NoPen};
};

QColor color(const QString &text)
{
    const QColor value(text);
    if (!value.isValid())
        fail(QStringLiteral("\"%1\" is no colour").arg(text));
    return value;
}

// The element's fill and stroke; every attribute not read here or in
// knownGeometry is an error.
Paint paintOf(const QXmlStreamAttributes &attributes, const QStringList &knownGeometry)
{
    Paint paint;
    QPen pen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    bool stroked = false;
    for (const QXmlStreamAttribute &attribute : attributes) {
        const QString name = attribute.qualifiedName().toString();
        const QString value = attribute.value().toString();
        if (knownGeometry.contains(name))
            continue;
        if (name == u"fill") {
            paint.Fill = value == u"none" ? QBrush(Qt::NoBrush) : QBrush(color(value));
        } else if (name == u"stroke") {
            stroked = value != u"none";
            if (stroked)
                pen.setColor(color(value));
        } else if (name == u"stroke-width") {
            pen.setWidthF(number(value, name));
        } else if (name == u"stroke-linecap") {
            if (value == u"round")
                pen.setCapStyle(Qt::RoundCap);
            else if (value == u"square")
                pen.setCapStyle(Qt::SquareCap);
            else if (value != u"butt")
                fail(QStringLiteral("stroke-linecap \"%1\"").arg(value));
        } else if (name == u"stroke-linejoin") {
            if (value == u"round")
                pen.setJoinStyle(Qt::RoundJoin);
            else if (value == u"bevel")
                pen.setJoinStyle(Qt::BevelJoin);
            else if (value != u"miter")
                fail(QStringLiteral("stroke-linejoin \"%1\"").arg(value));
        } else {
            fail(QStringLiteral("attribute %1 is not drawn by this renderer").arg(name));
        }
    }
    if (stroked)
        paint.Stroke = pen;
    return paint;
}

double attributeNumber(const QXmlStreamAttributes &attributes, const QString &name, double fallback)
{
    return attributes.hasAttribute(name) ? number(attributes.value(name), name) : fallback;
}

QPainterPath rectPath(const QXmlStreamAttributes &attributes)
{
    const QRectF rect(attributeNumber(attributes, QStringLiteral("x"), 0), attributeNumber(attributes, QStringLiteral("y"), 0),
                      attributeNumber(attributes, QStringLiteral("width"), 0), attributeNumber(attributes, QStringLiteral("height"), 0));
    // SVG: a missing radius takes the other's value, and neither exceeds half
    // the side it rounds.
    double rx = attributeNumber(attributes, QStringLiteral("rx"), -1);
    double ry = attributeNumber(attributes, QStringLiteral("ry"), -1);
    if (rx < 0)
        rx = ry < 0 ? 0 : ry;
    if (ry < 0)
        ry = rx;
    QPainterPath path;
    path.addRoundedRect(rect, qMin(rx, rect.width() / 2), qMin(ry, rect.height() / 2));
    return path;
}

QRectF viewBoxOf(const QXmlStreamAttributes &attributes)
{
    const QStringList parts = attributes.value(QStringLiteral("viewBox")).toString().simplified().split(u' ');
    if (parts.size() != 4)
        fail(QStringLiteral("the svg element needs a viewBox of four numbers"));
    return QRectF(number(parts[0], u"viewBox"), number(parts[1], u"viewBox"),
                  number(parts[2], u"viewBox"), number(parts[3], u"viewBox"));
}

void draw(QPainter &painter, const QPainterPath &path, const Paint &paint)
{
    painter.fillPath(path, paint.Fill);
    if (paint.Stroke.style() != Qt::NoPen)
        painter.strokePath(path, paint.Stroke);
}

QImage render(const QString &svgPath, int size)
{
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1: %2").arg(svgPath, file.errorString()));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QXmlStreamReader xml(&file);
    bool sawRoot = false;
    int skipped = 0; // depth inside an element that draws nothing
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && skipped > 0)
            --skipped;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (skipped > 0) {
            ++skipped;
            continue;
        }
        const QStringView name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == u"svg") {
            const QRectF box = viewBoxOf(attributes);
            painter.scale(size / box.width(), size / box.height());
            painter.translate(-box.topLeft());
            sawRoot = true;
        } else if (name == u"title" || name == u"desc" || name == u"metadata") {
            skipped = 1;
        } else if (name == u"rect") {
            draw(painter, rectPath(attributes),
                 paintOf(attributes, {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("width"),
                                      QStringLiteral("height"), QStringLiteral("rx"), QStringLiteral("ry")}));
        } else if (name == u"path") {
            draw(painter, parsePath(attributes.value(QStringLiteral("d"))), paintOf(attributes, {QStringLiteral("d")}));
        } else {
            fail(QStringLiteral("element %1 is not drawn by this renderer").arg(name));
        }
    }
    if (xml.hasError())
        fail(QStringLiteral("%1:%2: %3").arg(svgPath).arg(xml.lineNumber()).arg(xml.errorString()));
    if (!sawRoot)
        fail(QStringLiteral("%1 holds no svg element").arg(svgPath));
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("Usage: lexivoce-render-icon SVG SIZE OUT.png\n", stderr);
        return 1;
    }
    try {
        const int size = QString::fromLocal8Bit(argv[2]).toInt();
        if (size <= 0 || size > 4096)
            fail(QStringLiteral("the size must be 1 to 4096 pixels"));
        const QString out = QString::fromLocal8Bit(argv[3]);
        if (!render(QString::fromLocal8Bit(argv[1]), size).save(out, "PNG"))
            fail(QStringLiteral("cannot write %1").arg(out));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "lexivoce-render-icon: %s\n", error.what());
        return 1;
    }
    return 0;
}
