#include "dict/index_loader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QTest>

#include <optional>

namespace lexivoce::dict {
namespace {

class IndexLoaderTest : public test::TempDirTest
{
protected:
    struct TResult
    {
        int Count = -1;
        QString Error;
    };

    TIndexLoader::TDone Record(std::optional<TResult> &result)
    {
        return [&result](TWordListContent content, const QString &error) {
            result = TResult{content.Count(), error};
        };
    }

    QByteArray Index(int words)
    {
        QByteArray index = "h\tA\tA\nh\tA\tA\nh\tA\tA\n";
        for (int i = 0; i < words; ++i)
            index += "w" + QByteArray::number(i) + "\tA\tB\n";
        return index;
    }
};

TEST_F(IndexLoaderTest, ASmallIndexIsThereBeforeStartReturnsALargeOneLater)
{
    WriteFile(QStringLiteral("small.index"), Index(3));
    WriteFile(QStringLiteral("large.index"), Index(20000));
    TIndexLoader loader;
    std::optional<TResult> result;
    loader.Start(QStringLiteral("small.index"), Record(result));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Count, 3);
    EXPECT_FALSE(loader.Busy());

    loader.InlineBytes = 1000;
    result.reset();
    loader.Start(QStringLiteral("large.index"), Record(result));
    EXPECT_FALSE(result) << "handed over from the event loop, never from the reading thread";
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    EXPECT_EQ(result->Count, 20000);
    EXPECT_TRUE(result->Error.isEmpty());
    EXPECT_FALSE(loader.Busy());
}

TEST_F(IndexLoaderTest, ALaterLoadOrAStopDropsTheEarlierOne)
{
    WriteFile(QStringLiteral("a.index"), Index(20000));
    WriteFile(QStringLiteral("b.index"), Index(30000));
    TIndexLoader loader;
    loader.InlineBytes = 0;
    std::optional<TResult> first;
    std::optional<TResult> second;
    loader.Start(QStringLiteral("a.index"), Record(first));
    loader.Start(QStringLiteral("b.index"), Record(second));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.has_value(); }, 10000));
    EXPECT_EQ(second->Count, 30000);
    QTest::qWait(50);
    EXPECT_FALSE(first);

    std::optional<TResult> stopped;
    loader.Start(QStringLiteral("a.index"), Record(stopped));
    loader.Stop();
    QTest::qWait(50);
    EXPECT_FALSE(stopped);
    EXPECT_FALSE(loader.Busy());
}

TEST_F(IndexLoaderTest, AnIndexThatCannotBeReadGivesItsErrorEitherWay)
{
    QDir().mkdir(QStringLiteral("folder.index"));
    for (const qint64 inlineBytes : {qint64(1) << 30, qint64(-1)}) {
        TIndexLoader loader;
        loader.InlineBytes = inlineBytes;
        for (const QString &path : {QStringLiteral("missing.index"), QStringLiteral("folder.index")}) {
            std::optional<TResult> result;
            loader.Start(path, Record(result));
            ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
            EXPECT_EQ(result->Count, 0);
            EXPECT_TRUE(result->Error.contains(path)) << result->Error.toStdString();
        }
    }
}

} // namespace
} // namespace lexivoce::dict
