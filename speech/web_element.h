#pragma once

#include "speech/local_strings.h"

#include <QString>

namespace lexivoce::speech {

class TWebDocument;

// An element of a web page, as far as the screen reader reads it. The
// program embeds no browser; these serve a browser control that would
// implement them. Any call may throw (a failing page object).
class TWebElement
{
public:
    virtual ~TWebElement() = default;
    virtual QString TagName() const = 0;             // upper case, e.g. "INPUT"
    virtual QString Attribute(const QString &name) const = 0; // empty when absent
    virtual bool HasAttribute(const QString &name) const = 0;
    virtual QString InnerText() const = 0;
    virtual QString SelectedOptionText() const = 0;  // SELECT only
    virtual TWebDocument *FrameDocument() const = 0; // FRAME, IFRAME; else nullptr
};

class TWebDocument
{
public:
    virtual ~TWebDocument() = default;
    virtual TWebElement *ActiveElement() const = 0;  // may be nullptr
};

// Kinds of web elements.
enum TWebElementKind : int {
    wekOther = 0, wekButton = 1, wekCheckBox = 2, wekRadio = 3, wekTextField = 4, wekPassword = 5,
    wekSelect = 6, wekLink = 7, wekBody = 8, wekFrame = 9, wekForm = 10, wekTable = 11,
};

// The active element, looked for inside frames; nullptr on failure.
TWebElement *ActiveWebElement(const TWebDocument *document);

// The kind by tag name (exact, case-sensitive) and type; 0 on failure.
int WebElementKind(const TWebElement *element);

// A check box's or radio button's state word, a field's value, a list's
// selected option, or else the inner text. Throws what the element throws.
QString DescribeWebElement(const TWebElement *element, const TLocalStrings &words);

} // namespace lexivoce::speech
