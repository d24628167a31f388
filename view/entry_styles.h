#pragma once

#include "view/styled_document.h"

namespace lexivoce::view {

// The entry's style vocabulary, read by the renderer, the entry view, the
// reader, printing and the style settings dialog.

// Text styles of an entry, by number. Styles 0 to 6 follow the position of a
// line's marker in "@*-!=+/".
enum TEntryTextStyle : int {
    tsHeadWord = 0,
    tsNoun = 1,
    tsMeaning = 2,
    tsIdiom = 3,
    tsExample = 4,
    tsTranslation = 5,
    tsPhonetic = 6,
    tsExplain = 7,
    tsFooter = 8,
};

// The styles a dictionary line is rendered in (the footer and the unused
// Explain style are the program's own).
inline constexpr int kEntryLineStyleCount = 7;

// Paragraph styles of an entry, by number.
enum TEntryParaStyle : int {
    psHeadWord = 0,
    psNoun = 1,
    psMeaning = 2,
    psIdiom = 3,
    psNormalText = 4,
    psFooter = 5,
};

// The paragraph style a line of text style textStyle opens: the styles share
// their numbers up to Idiom, everything after is normal text.
constexpr int EntryParaStyleOf(int textStyle)
{
    return textStyle < psNormalText ? textStyle : psNormalText;
}

// Bullet pictures of the entry view's image list.
enum TBullet : int { bulletExample = 0, bulletIdiom = 1 };
inline constexpr int kBulletCount = 2;

// The text style whose colour a bullet takes: each marks lines of its style.
constexpr int BulletStyleOf(int bullet)
{
    return bullet == bulletExample ? tsExample : tsIdiom;
}

// The style sheet of the entry view and of printed entries, as shipped.
const TStyleSheet &EntryStyleSheet();

// Idioms and examples: one jump item per word.
constexpr bool IsWordItemStyle(int style)
{
    return style == tsIdiom || style == tsExample;
}

// Which of the dictionary's two voices reads an item: the first (source
// language) for head words, idioms and examples, the second (target
// language) for everything else. Transcriptions have no voice of their own.
enum class TVoiceGroup { First, Second, None };

constexpr TVoiceGroup VoiceGroupOf(int style)
{
    switch (style) {
    case tsHeadWord:
    case tsIdiom:
    case tsExample:
        return TVoiceGroup::First;
    case tsPhonetic:
        return TVoiceGroup::None;
    default:
        return TVoiceGroup::Second;
    }
}

} // namespace lexivoce::view
