#include "app/user_styles.h"

#include "lang/ini_file.h"
#include "view/entry_styles.h"

namespace lexivoce::app {

namespace {

const QString kSection = QStringLiteral("EntryStyles");
const QString kWindowColor = QStringLiteral("window");
// Sizes beyond these are typing slips, not fonts anyone reads.
constexpr int kMinSize = 1;
constexpr int kMaxSize = 400;

bool parseColor(const QString &text, view::TColor *color)
{
    if (text.compare(kWindowColor, Qt::CaseInsensitive) == 0) {
        *color = view::TColor::WindowTextColor();
        return true;
    }
    if (text.size() != 7 || text[0] != QLatin1Char('#'))
        return false;
    bool ok = false;
    const uint rgb = text.mid(1).toUInt(&ok, 16);
    if (!ok)
        return false;
    *color = view::TColor::Rgb(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                               static_cast<int>(rgb & 0xFF));
    return true;
}

} // namespace

QString EntryStyleValue(const view::TTextStyle &style)
{
    QString flags;
    if (style.Bold)
        flags += QLatin1Char('B');
    if (style.Italic)
        flags += QLatin1Char('I');
    if (style.Underline)
        flags += QLatin1Char('U');
    const QString color = style.Color.WindowText
        ? kWindowColor
        : QStringLiteral("#%1%2%3")
              .arg(style.Color.Red, 2, 16, QLatin1Char('0'))
              .arg(style.Color.Green, 2, 16, QLatin1Char('0'))
              .arg(style.Color.Blue, 2, 16, QLatin1Char('0'));
    return QStringLiteral("%1|%2|%3|%4").arg(style.FontName).arg(style.Size).arg(flags, color);
}

bool ParseEntryStyleValue(const QString &text, view::TTextStyle *style)
{
    // Read from the right: a font's name is the one field that could hold
    // anything.
    QStringList fields = text.split(QLatin1Char('|'));
    if (fields.size() < 4)
        return false;
    view::TTextStyle parsed = *style;
    if (!parseColor(fields.takeLast().trimmed(), &parsed.Color))
        return false;
    const QString flags = fields.takeLast().trimmed().toUpper();
    for (const QChar flag : flags) {
        if (flag != QLatin1Char('B') && flag != QLatin1Char('I') && flag != QLatin1Char('U'))
            return false;
    }
    parsed.Bold = flags.contains(QLatin1Char('B'));
    parsed.Italic = flags.contains(QLatin1Char('I'));
    parsed.Underline = flags.contains(QLatin1Char('U'));
    bool ok = false;
    parsed.Size = fields.takeLast().trimmed().toInt(&ok);
    if (!ok || parsed.Size < kMinSize || parsed.Size > kMaxSize)
        return false;
    parsed.FontName = fields.join(QLatin1Char('|')).trimmed();
    if (parsed.FontName.isEmpty())
        return false;
    *style = parsed;
    return true;
}

view::TStyleSheet ReadEntryStyles(const lang::TIniFile &config, QStringList *unreadable)
{
    view::TStyleSheet sheet = view::EntryStyleSheet();
    for (int i = 0; i < view::kEntryLineStyleCount; ++i) {
        view::TTextStyle &style = sheet.TextStyles[i];
        if (!config.ValueExists(kSection, style.Name))
            continue;
        if (!ParseEntryStyleValue(config.ReadString(kSection, style.Name, QString()), &style) && unreadable)
            unreadable->append(style.Name);
    }
    return sheet;
}

void WriteEntryStyles(lang::TIniFile &config, const view::TStyleSheet &styles)
{
    for (int i = 0; i < view::kEntryLineStyleCount && i < styles.TextStyles.size(); ++i)
        config.WriteString(kSection, styles.TextStyles[i].Name, EntryStyleValue(styles.TextStyles[i]));
}

} // namespace lexivoce::app
