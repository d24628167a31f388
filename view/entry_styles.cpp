#include "view/entry_styles.h"

namespace lexivoce::view {

const TStyleSheet &EntryStyleSheet()
{
    static const TStyleSheet sheet = [] {
        const auto font = [](const char *name) { return QString::fromLatin1(name); };
        const QString verdana = font("Verdana");
        const QString times = font("Times New Roman");
        const QString lucida = font("Lucida Sans Unicode");
        const TColor windowText = TColor::WindowTextColor();
        TStyleSheet s;
        //                 name                        font     size  bold   italic underline colour                        jump
        s.TextStyles = {
            {QStringLiteral("Head word"), verdana, 16, true, false, false, TColor::Rgb(0, 0, 255), true},
            {QStringLiteral("Noun"), verdana, 12, true, false, false, TColor::Rgb(128, 0, 0), false},
            {QStringLiteral("Meaning"), times, 12, false, false, false, windowText, false},
            {QStringLiteral("Idiom"), times, 12, false, false, false, TColor::Rgb(128, 0, 128), true},
            {QStringLiteral("Example"), times, 12, false, true, false, TColor::Rgb(0, 128, 0), true},
            {QStringLiteral("Translation"), times, 12, false, false, false, windowText, false},
            {QStringLiteral("Phonetic"), lucida, 16, true, false, false, TColor::Rgb(0, 128, 0), false},
            {QStringLiteral("Explain"), times, 12, false, false, false, TColor::Rgb(0, 128, 128), false},
            {QStringLiteral("Footer"), times, 8, false, true, false, windowText, false},
        };
        TParaStyle headWord{QStringLiteral("Head word")};
        headWord.SpaceAfter = 7;
        TParaStyle noun{QStringLiteral("Noun")};
        noun.SpaceBefore = 20;
        TParaStyle meaning{QStringLiteral("Meaning")};
        meaning.SpaceBefore = 10;
        TParaStyle idiom{QStringLiteral("Idiom")};
        idiom.SpaceBefore = 10;
        TParaStyle normal{QStringLiteral("Normal text")};
        normal.LeftIndent = 16;
        TParaStyle footer{QStringLiteral("Footer")};
        footer.Alignment = TAlignment::Right;
        footer.BorderSides = bsTop;
        footer.BorderWidth = 1;
        footer.BorderOffset = 4;
        s.ParaStyles = {headWord, noun, meaning, idiom, normal, footer};
        return s;
    }();
    return sheet;
}

} // namespace lexivoce::view
