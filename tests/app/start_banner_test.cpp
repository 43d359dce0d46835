// The start-up banner: the order of its lines, the masked webhook paths,
// the build time's layout.
#include "app/start_banner.h"
#include "tests/support/program_folder.h"

#include <cctype>
#include <gtest/gtest.h>
#include <string>

namespace {

// "Fri Dec 11 09:05:03 2026": the asctime shape of the build stamp, checked
// character by character ('A' a letter, '9' a digit, '_' a space or digit).
bool LooksLikeCTime(const std::string& strText)
{
    static const char kShape[] = "Aaa Aaa _9 99:99:99 9999";
    if (strText.size() != sizeof(kShape) - 1)
        return false;
    for (size_t i = 0; i < strText.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strText[i]);
        switch (kShape[i]) {
        case 'A':
            if (!isupper(ch))
                return false;
            break;
        case 'a':
            if (!islower(ch))
                return false;
            break;
        case '9':
            if (!isdigit(ch))
                return false;
            break;
        case '_':
            if (ch != ' ' && !isdigit(ch))
                return false;
            break;
        default:
            if (ch != static_cast<unsigned char>(kShape[i]))
                return false;
        }
    }
    return true;
}

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
    EXPECT_TRUE(LooksLikeCTime(BuildTimeText())) << BuildTimeText();
}

} // namespace
