#include "speech/local_strings.h"

#include <cstring>

namespace lexivoce::speech {

const std::array<TLocalStringKey, 46> &LocalStringKeys()
{
    using S = TLocalStrings;
    static const std::array<TLocalStringKey, 46> keys = {{
        {"stChecked", &S::stChecked, "checked"},
        {"stUnchecked", &S::stUnchecked, "unchecked"},
        {"stGrayed", &S::stGrayed, "grayed"},
        {"stDelete", &S::stDelete, "delete"},
        {"stInsert", &S::stInsert, "insert"},
        {"stBack", &S::stBack, "back"},
        {"stOpened", &S::stOpened, "opened"},
        {"stClosed", &S::stClosed, "closed"},
        {"stColumn", &S::stColumn, "column"},
        {"stRow", &S::stRow, "row"},
        {"stSubmenu", &S::stSubmenu, "sub menu"},
        {"stDisabled", &S::stDisabled, "disabled"},
        {"stTabsheet", &S::stTabsheet, "tab"},
        {"stROfield", &S::stROfield, "read only field"},
        {"stPwdfield", &S::stPwdfield, "password field"},
        {"stCapslock", &S::stCapslock, "caps lock"},
        {"stNumlock", &S::stNumlock, "num lock"},
        {"stScrolllock", &S::stScrolllock, "scroll lock"},
        {"stPopupkey", &S::stPopupkey, "popup key"},
        {"stWinkey", &S::stWinkey, "win key"},
        {"stTurnon", &S::stTurnon, "on"},
        {"stTurnoff", &S::stTurnoff, "off"},
        {"stNewLine", &S::stNewLine, "blank"},
        {"stTab", &S::stTab, "tab"},
        {"stSpace", &S::stSpace, "space"},
        {"stComma", &S::stComma, "comma"},
        {"stDot", &S::stDot, "dot"},
        {"stColon", &S::stColon, "colon"},
        {"stSemicolon", &S::stSemicolon, "semi colon"},
        {"stExcMrk", &S::stExcMrk, "exclamation mark"},
        {"stAsterisk", &S::stAsterisk, "asterisk"},
        {"stLParenthesis", &S::stLParenthesis, "left parenthesis"},
        {"stRParenthesis", &S::stRParenthesis, "right parenthesis"},
        {"stMinus", &S::stMinus, "minus"},
        {"stApostrophe", &S::stApostrophe, "apostrophe"},
        {"stQuotMrk", &S::stQuotMrk, "quotation mark"},
        {"stQuesMrk", &S::stQuesMrk, "question mark"},
        {"stSlash", &S::stSlash, "slash"},
        {"stCent", &S::stCent, "cent"},
        {"stPound", &S::stPound, "pound"},
        {"stYen", &S::stYen, "yen"},
        {"stSection", &S::stSection, "section"},
        {"stCopyright", &S::stCopyright, "copyright"},
        {"stRegistered", &S::stRegistered, "registered"},
        {"stMultiplication", &S::stMultiplication, "multiplication"},
        {"stDivision", &S::stDivision, "division"},
    }};
    return keys;
}

TLocalStrings DefaultLocalStrings()
{
    TLocalStrings words;
    for (const TLocalStringKey &key : LocalStringKeys())
        words.*key.Field = QString::fromUtf8(key.Default);
    return words;
}

const std::array<const char *, 46> &LocalStringReadOrder()
{
    static const std::array<const char *, 46> order = {
        "stChecked", "stUnchecked", "stGrayed", "stDisabled", "stDelete", "stInsert", "stBack", "stOpened",
        "stClosed", "stColumn", "stRow", "stSubmenu", "stTabsheet", "stROfield", "stPwdfield", "stCapslock",
        "stNumlock", "stScrolllock", "stPopupkey", "stWinkey", "stTurnon", "stTurnoff", "stNewLine", "stTab",
        "stSpace", "stComma", "stDot", "stColon", "stSemicolon", "stExcMrk", "stAsterisk", "stLParenthesis",
        "stRParenthesis", "stMinus", "stApostrophe", "stQuotMrk", "stQuesMrk", "stSlash", "stCent", "stPound",
        "stYen", "stSection", "stCopyright", "stRegistered", "stMultiplication", "stDivision"};
    return order;
}

QString TLocalStrings::*LocalStringField(const char *key)
{
    for (const TLocalStringKey &entry : LocalStringKeys()) {
        if (std::strcmp(entry.Key, key) == 0)
            return entry.Field;
    }
    return nullptr;
}

} // namespace lexivoce::speech
