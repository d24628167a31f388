#include "speech/web_element.h"

namespace lexivoce::speech {

TWebElement *ActiveWebElement(const TWebDocument *document)
{
    try {
        // Frames nest; a bound keeps a page that frames itself from looping.
        for (int depth = 0; document && depth < 32; ++depth) {
            TWebElement *element = document->ActiveElement();
            if (!element)
                return nullptr;
            const QString tag = element->TagName();
            if (tag != QLatin1String("FRAME") && tag != QLatin1String("IFRAME"))
                return element;
            TWebDocument *inner = element->FrameDocument();
            if (!inner)
                return element;
            document = inner;
        }
    } catch (...) {
    }
    return nullptr;
}

int WebElementKind(const TWebElement *element)
{
    if (!element)
        return wekOther;
    try {
        const QString tag = element->TagName();
        if (tag == QLatin1String("INPUT")) {
            const QString type = element->Attribute(QStringLiteral("type"));
            if (type == QLatin1String("submit") || type == QLatin1String("reset") || type == QLatin1String("button"))
                return wekButton;
            if (type == QLatin1String("checkbox"))
                return wekCheckBox;
            if (type == QLatin1String("radio"))
                return wekRadio;
            if (type == QLatin1String("text") || type == QLatin1String("file"))
                return wekTextField;
            if (type == QLatin1String("password"))
                return wekPassword;
            return wekOther;
        }
        if (tag == QLatin1String("BUTTON"))
            return wekButton;
        if (tag == QLatin1String("TEXTAREA"))
            return wekTextField;
        if (tag == QLatin1String("SELECT"))
            return wekSelect;
        if (tag == QLatin1String("A"))
            return element->Attribute(QStringLiteral("href")).isEmpty() ? wekOther : wekLink;
        if (tag == QLatin1String("BODY"))
            return wekBody;
        if (tag == QLatin1String("FRAME") || tag == QLatin1String("IFRAME"))
            return wekFrame;
        if (tag == QLatin1String("FORM"))
            return wekForm;
        if (tag == QLatin1String("TABLE") || tag == QLatin1String("TD"))
            return wekTable;
    } catch (...) {
    }
    return wekOther;
}

QString DescribeWebElement(const TWebElement *element, const TLocalStrings &words)
{
    const QString tag = element->TagName();
    if (tag == QLatin1String("INPUT")) {
        const QString type = element->Attribute(QStringLiteral("type"));
        if (type == QLatin1String("checkbox") || type == QLatin1String("radio"))
            return element->HasAttribute(QStringLiteral("checked")) ? words.stChecked : words.stUnchecked;
        // A password is never read aloud.
        if (type == QLatin1String("password"))
            return QString();
        return element->Attribute(QStringLiteral("value"));
    }
    if (tag == QLatin1String("TEXTAREA"))
        return element->Attribute(QStringLiteral("value"));
    if (tag == QLatin1String("SELECT"))
        return element->SelectedOptionText();
    return element->InnerText();
}

} // namespace lexivoce::speech
