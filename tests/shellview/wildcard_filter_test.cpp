#include "shellview/folder_model.h"
#include "shellview/places.h"
#include "shellview/wildcard_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace lexivoce::shellview {
namespace {

struct TMatchCase
{
    const char *Masks;
    const char *Name;
    bool Matches;
};

// Named in test lists by what it asks.
void PrintTo(const TMatchCase &c, std::ostream *out)
{
    *out << '"' << c.Masks << "\" on \"" << c.Name << '"';
}

class WildcardFilterTest : public ::testing::TestWithParam<TMatchCase>
{
};

TEST_P(WildcardFilterTest, MatchesWholeNamesWithoutRegardToCase)
{
    const TMatchCase &c = GetParam();
    EXPECT_EQ(TWildcardFilter(QString::fromUtf8(c.Masks)).Matches(QString::fromUtf8(c.Name)), c.Matches)
        << c.Masks << " / " << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, WildcardFilterTest,
    ::testing::Values(TMatchCase{"*", "anything.at.all", true}, TMatchCase{"*.dict", "en-vi.dict", true},
                      TMatchCase{"*.dict", "EN-VI.DICT", true}, TMatchCase{"*.dict", "en-vi.dict.bak", false},
                      TMatchCase{"*.dict", "dict", false}, TMatchCase{"*.txt;*.dict", "notes.txt", true},
                      TMatchCase{"*.txt; *.dict ", "a.dict", true}, TMatchCase{"a?c", "abc", true},
                      TMatchCase{"a?c", "ac", false}, TMatchCase{"*a*b*", "xxaxxbxx", true},
                      TMatchCase{"*a*b", "xxaxxbxxc", false}, TMatchCase{"Từ*.dict", "từ điển.dict", true},
                      // The folder-only filter lets no file through.
                      TMatchCase{".", "a.dict", false}, TMatchCase{".", "noextension", false},
                      TMatchCase{"", "a.dict", false}, TMatchCase{";;", "a.dict", false}));

TEST(NaturalSortKey, NumbersByValueAndLettersWithoutCase)
{
    QStringList names = {QStringLiteral("file 10"), QStringLiteral("File 2"), QStringLiteral("file 1"),
                         QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("file 002b"),
                         QStringLiteral("file 02a")};
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return NaturalSortKey(a) < NaturalSortKey(b); });
    EXPECT_EQ(names, (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("file 1"),
                                  QStringLiteral("File 2"), QStringLiteral("file 02a"), QStringLiteral("file 002b"),
                                  QStringLiteral("file 10")}));
    // A number against a letter sorts as its digit does.
    EXPECT_LT(NaturalSortKey(QStringLiteral("a1")), NaturalSortKey(QStringLiteral("aa")));
    EXPECT_LT(NaturalSortKey(QStringLiteral("a-")), NaturalSortKey(QStringLiteral("a9")));
}

TEST(Volumes, OnlyThoseAUserPicksFoldersFrom)
{
    const auto shown = [](const char *root, const char *type) {
        return IsVolumeWorthShowing({QString::fromLatin1(root), QByteArray(type), QString(), false});
    };
    EXPECT_TRUE(shown("/media/lan/USB", "vfat"));
    EXPECT_TRUE(shown("/run/media/lan/USB", "exfat"));
    EXPECT_TRUE(shown("/mnt/data", "ext4"));
    EXPECT_TRUE(shown("/home", "ext4"));
    EXPECT_FALSE(shown("/", "ext4"));             // listed on its own
    EXPECT_FALSE(shown("/proc", "proc"));
    EXPECT_FALSE(shown("/dev/shm", "tmpfs"));
    EXPECT_FALSE(shown("/run/user/1000", "tmpfs"));
    EXPECT_FALSE(shown("/snap/core/1", "squashfs"));
    EXPECT_FALSE(shown("/boot/efi", "vfat"));
    EXPECT_FALSE(shown("/etc/hosts", "ext4"));    // a container's single file
    EXPECT_FALSE(shown("/sys/fs/cgroup", "cgroup2"));
}

} // namespace
} // namespace lexivoce::shellview
