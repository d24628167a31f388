#include "app/shipped_registry.h"

#include "lang/ini_file.h"
#include "tests/support/temp_dir.h"

namespace lexivoce::app {
namespace {

class ShippedRegistryTest : public test::TempDirTest
{
};

TEST_F(ShippedRegistryTest, VoicePositionsFollowTheNamesOfTheInstalledVoices)
{
    WriteFile(QStringLiteral("Lexivoce.ini"),
              "[Shipped]\nPath=a.dict\nVoice1=30\nVoice2=128\nVoice1Name=English\nVoice2Name=Vietnamese\n"
              "[Missing voice]\nPath=b.dict\nVoice1=4\nVoice2=5\nVoice1Name=Klingon\n"
              "[Users own]\nPath=c.dict\nVoice1=7\nVoice2=8\n");
    ResolveShippedVoices(QStringLiteral("Lexivoce.ini"),
                         {QStringLiteral("Afrikaans"), QStringLiteral("Vietnamese"), QStringLiteral("English")});
    const lang::TIniFile ini(QStringLiteral("Lexivoce.ini"));
    const auto voice = [&ini](const char *section, const char *key) {
        return ini.ReadInteger(QString::fromLatin1(section), QString::fromLatin1(key), -1);
    };
    EXPECT_EQ(voice("Shipped", "Voice1"), 2);
    EXPECT_EQ(voice("Shipped", "Voice2"), 1);
    // A name that is not installed, or no name at all: left as it was.
    EXPECT_EQ(voice("Missing voice", "Voice1"), 4);
    EXPECT_EQ(voice("Missing voice", "Voice2"), 5);
    EXPECT_EQ(voice("Users own", "Voice1"), 7);
}

} // namespace
} // namespace lexivoce::app
