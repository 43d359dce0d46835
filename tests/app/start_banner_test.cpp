// The start-up banner: the order of its lines, the masked webhook paths,
// the build time's layout.
#include "app/start_banner.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

TEST(StartBannerTest, WebhookPathsAreMaskedInTheEcho)
{
    struct SCase
    {
        const char* pszConfig;
        const char* pszEcho;
    } cases[] = {
        {"[WEBHOOK]\r\nHost=https://hooks.example\r\nPathRelease=/services/1/2/abc\r\n"
         "pathtest = /services/3/4/def\r\nBotIconImage=x.png\r\n",
         "[WEBHOOK]\r\nHost=https://hooks.example\r\nPathRelease=****\r\npathtest =****\r\n"
         "BotIconImage=x.png\r\n"},
        {"[PRINTER]\r\nPathRelease=kept\r\n [webhook] \r\nPathTest=/s\r\n[ORDER]\r\nPathX=kept\r\n",
         "[PRINTER]\r\nPathRelease=kept\r\n [webhook] "
         "\r\nPathTest=****\r\n[ORDER]\r\nPathX=kept\r\n"},
        {"", ""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(MaskConfigSecrets(c.pszConfig), c.pszEcho) << c.pszConfig;
    }
}

TEST(StartBannerTest, LinesComeInOrderAfterTheLogStart)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("Config.ini", "[POS]\nStoreId=ST1\n\n[WEBHOOK]\nPathRelease=/secret\n");
    ASSERT_TRUE(folder.StartLog());
    WriteStartBanner(folder.Path());
    std::string strLog = folder.ReadCurrentLog();
    const char* aLines[] = {
        "CSimpleLog Start",
        "[INFO ] [CZelkorApp::InitInstance] Process Start. File [" /* program folder */,
        "[INFO ] [CZelkorApp::InitInstance] Process Version Info : ",
        "[INFO ] [CZelkorApp::InitInstance] Process Build Info : ",
        "[INFO ] Config.ini Information [Path : ",
    };
    size_t nAt = 0;
    for (const char* pszLine : aLines) {
        size_t nFound = strLog.find(pszLine, nAt);
        ASSERT_NE(nFound, std::string::npos) << pszLine << "\n" << strLog;
        nAt = nFound;
    }
    // No Zelkor file in the folder: no digest, no version.
    EXPECT_NE(strLog.find("/Zelkor] Hash []"), std::string::npos);
    EXPECT_NE(
        strLog.find("Config.ini]\r\n[POS]\r\nStoreId=ST1\r\n[WEBHOOK]\r\nPathRelease=****\r\n"),
        std::string::npos)
        << strLog;
    EXPECT_TRUE(std::regex_match(
        BuildTimeText(), std::regex("(Sun|Mon|Tue|Wed|Thu|Fri|Sat) [A-Z][a-z]{2} [ 1-3][0-9] "
                                    "[0-2][0-9]:[0-5][0-9]:[0-5][0-9] 20[0-9]{2}")))
        << BuildTimeText();
}

} // namespace
