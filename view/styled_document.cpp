#include "view/styled_document.h"

#include "view/entry_styles.h"

namespace lexivoce::view {

TStyledDocument::TStyledDocument(QObject *parent)
    : QObject(parent), m_styles(EntryStyleSheet())
{
}

void TStyledDocument::SetStyles(const TStyleSheet &styles)
{
    m_styles = styles;
}

void TStyledDocument::Clear()
{
    m_items.clear();
    Q_EMIT Cleared();
}

void TStyledDocument::AddText(const QString &text, int styleNo, int paraNo)
{
    if (m_items.isEmpty() && paraNo == kContinuePara)
        paraNo = 0;
    m_items.append(TDocItem{text, styleNo, -1, paraNo});
}

void TStyledDocument::AddPicture(int imageIndex, int paraNo)
{
    m_items.append(TDocItem{QString(), kPictureStyle, imageIndex, paraNo < 0 ? 0 : paraNo});
}

void TStyledDocument::Format()
{
    Q_EMIT Formatted();
}

int TStyledDocument::ParagraphStyleOf(int itemNo) const
{
    for (int i = itemNo; i >= 0; --i) {
        if (m_items[i].ParaNo != kContinuePara)
            return m_items[i].ParaNo;
    }
    return 0;
}

QString TStyledDocument::PlainText() const
{
    QString text;
    for (int i = 0; i < m_items.size(); ++i) {
        const TDocItem &item = m_items[i];
        if (i > 0 && item.ParaNo != kContinuePara)
            text += QLatin1Char('\n');
        text += item.StyleNo == kPictureStyle ? QStringLiteral("\u2022 ") : item.Text;
    }
    return text;
}

} // namespace lexivoce::view
