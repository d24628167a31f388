#pragma once

#include <QString>

#include <array>

namespace lexivoce::speech {

// The words the built-in screen reader says, each replaceable from the
// language file's section "LocalStrings" under the key of its name.
struct TLocalStrings
{
    QString stChecked, stUnchecked, stGrayed, stDelete, stInsert, stBack, stOpened, stClosed, stColumn, stRow,
        stSubmenu, stDisabled, stTabsheet, stROfield, stPwdfield, stCapslock, stNumlock, stScrolllock, stPopupkey,
        stWinkey, stTurnon, stTurnoff, stNewLine, stTab, stSpace, stComma, stDot, stColon, stSemicolon, stExcMrk,
        stAsterisk, stLParenthesis, stRParenthesis, stMinus, stApostrophe, stQuotMrk, stQuesMrk, stSlash, stCent,
        stPound, stYen, stSection, stCopyright, stRegistered, stMultiplication, stDivision;

    bool operator==(const TLocalStrings &) const = default;
};

// One word of the table: its language-file key, its field and its default.
struct TLocalStringKey
{
    const char *Key;
    QString TLocalStrings::*Field;
    const char *Default;
};

// All 46 words in table order.
const std::array<TLocalStringKey, 46> &LocalStringKeys();

// The table with every English default.
TLocalStrings DefaultLocalStrings();

// The key order in which a language file is read (differs from the table
// order in where stDisabled stands).
const std::array<const char *, 46> &LocalStringReadOrder();

// The field of a key, or nullptr for an unknown key.
QString TLocalStrings::*LocalStringField(const char *key);

} // namespace lexivoce::speech
