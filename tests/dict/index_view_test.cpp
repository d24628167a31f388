#include "dict/index_view.h"
#include "dict/word_list.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace lexivoce::dict {
namespace {

const QByteArray kHeader = "h1\tA\tA\nh2\tA\tA\nh3\tA\tA\n";

class IndexViewTest : public test::TempDirTest
{
protected:
    // The view of index must give the loaded word list's answers: the same
    // words at the same positions, the same nearest word for every key, and
    // the same exact match whenever it answers. Returns how many exact
    // questions it answered itself.
    int ExpectSameAsTheWordList(const QByteArray &index, const QStringList &keys)
    {
        WriteFile(QStringLiteral("x.index"), index);
        const TIndexView view(QStringLiteral("x.index"));
        TWordList list;
        list.Fill(index);
        EXPECT_EQ(view.Count(), list.Count());
        for (int i = 0; i < std::min(view.Count(), list.Count()); ++i) {
            EXPECT_EQ(view.Word(i), list.Word(i)) << i;
            EXPECT_EQ(view.Location(i), list.Location(i)) << i;
        }
        int answered = 0;
        for (const QString &key : keys) {
            EXPECT_EQ(view.FindNearest(key), FindNearest(key, list)) << key.toStdString();
            if (const std::optional<int> exact = view.FindExact(key)) {
                ++answered;
                EXPECT_EQ(*exact, FindExact(key, list)) << key.toStdString();
            }
        }
        return answered;
    }

    // Every word of index in upper and lower case, with a letter more and
    // one less, and a few keys of its own.
    static QStringList KeysOf(const QByteArray &index, QStringList keys = {})
    {
        TWordList list;
        list.Fill(index);
        keys << QString() << QStringLiteral("a") << QStringLiteral("zzzz") << QStringLiteral(" ");
        for (int i = 0; i < list.Count(); ++i) {
            const QString word = list.Word(i);
            keys << word << word.toUpper() << word.toLower() << word + u'a' << word.chopped(word.isEmpty() ? 0 : 1);
        }
        return keys;
    }
};

TEST_F(IndexViewTest, SortedIndexesAreAnsweredFromTheFile)
{
    const QByteArray sample = test::TestData(QStringLiteral("dict/sample.index"));
    EXPECT_EQ(ExpectSameAsTheWordList(sample, KeysOf(sample)), KeysOf(sample).size());

    // Equal words in either case, a word that is another's start, words in
    // Vietnamese (precomposed and not), a capped long word; CR LF and lone CR
    // line ends, lines without two TABs, a word longer than eight bytes that
    // differs from its neighbour only in case.
    const QByteArray mixed = kHeader + "\tno word\tF\tB\nApple\tA\tB\r\napple\tB\tB\rapple tree\tC\tB\n"
                             "broken line\nBookkeeper\tD\tB\nbookkeepers\tE\tB\n"
                             "ca\xCC\x80\tG\tB\nc\xC3\xA0 ph\xC3\xAA\tH\tB\nVi\xE1\xBB\x87t\tI\tB\n"
                             + QByteArray(2000, 'z') + "\tJ\tB";
    const QStringList keys = KeysOf(mixed, {QStringLiteral("cà"), QStringLiteral("CÀ PHÊ"), QStringLiteral("việt"),
                                            QStringLiteral("BOOKKEEPER"), QStringLiteral("apple TREE")});
    EXPECT_EQ(ExpectSameAsTheWordList(mixed, keys), keys.size());
}

TEST_F(IndexViewTest, WhatTheFileCannotTellIsLeftToTheWordList)
{
    // Out of order: exact questions go to the list; nearest ones are the
    // list's own binary search all the same.
    const QByteArray unsorted = kHeader + "pear\tA\tB\napple\tB\tB\nzebra\tC\tB\nbanana\tD\tB";
    EXPECT_EQ(ExpectSameAsTheWordList(unsorted, KeysOf(unsorted)), 0);

    // The long s folds to s but lowers to itself: "ſun" equals "SUN"
    // ignoring case, yet sorts far from "sun".
    const QByteArray longS = kHeader + "sun\tA\tB\n\xC5\xBF" "un\tB\tB";
    EXPECT_EQ(ExpectSameAsTheWordList(longS, KeysOf(longS)), 0);

    // Such a key in an ordinary list: that question alone goes to the list.
    const QByteArray plain = kHeader + "sigma\tA\tB\n\xCF\x83\tB\tB";
    const QStringList keys = {QStringLiteral("ς"), QStringLiteral("σ"), QStringLiteral("SIGMA")};
    EXPECT_EQ(ExpectSameAsTheWordList(plain, keys), 2);

    // Nothing after the header, and an empty file.
    EXPECT_EQ(ExpectSameAsTheWordList(kHeader, {QStringLiteral("a")}), 1);
    EXPECT_EQ(ExpectSameAsTheWordList(QByteArray(), {QStringLiteral("a")}), 1);
}

} // namespace
} // namespace lexivoce::dict
