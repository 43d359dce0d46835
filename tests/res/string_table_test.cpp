// The string table: every id of its range, the bytes (CP949), the
// formatted texts and the registration with the foundation's lookup.
#include "foundation/text_util.h"
#include "platform/text_encoding.h"
#include "res/string_table.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(StringTableTest, EveryIdOfTheRange)
{
    const std::set<int> withText = {101, 102, 103, 104, 105, 106, 107, 109, 110, 111,
                                    112, 114, 117, 118, 119, 121, 122, 123, 126, 127};
    for (int nId = IDS_FIRST - 1; nId <= IDS_LAST + 1; ++nId) {
        bool bText = withText.count(nId) != 0;
        EXPECT_EQ(HasStringText(nId), bText) << nId;
        EXPECT_EQ(LoadStringText(nId)[0] != '\0', bText) << nId;
    }
}

// The texts are CP949 bytes: what the user reads after the UI's conversion.
TEST(StringTableTest, TextsAreCp949)
{
    struct SCase
    {
        int nId;
        const char8_t* pszUtf8;
    } cases[] = {
        {IDS_ABOUTBOX, u8"Zelkor 정보(&A)..."},
        {IDS_AGENT_LIBRARY_FAILED, u8"NubeqDll을 로드할 수 없습니다.\r\n프로그램을 종료합니다."},
        {IDS_FUNCTION_FAILED,
         u8"기능이 정상 실행되지 않았습니다.\r\n미르벨 '장애접수'를 진행해주시기 바랍니다."},
        {IDS_ENTER_LOGIN, u8"로그인 정보를 입력해주세요."},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::Cp949ToUtf8(LoadStringText(c.nId)),
                  reinterpret_cast<const char*>(c.pszUtf8))
            << c.nId;
    }
    // Two bytes per Hangul syllable: 8 ASCII bytes before "정보" (4 bytes).
    EXPECT_EQ(std::string(LoadStringText(IDS_ABOUTBOX)).size(), 7u + 4u + 7u);
}

TEST(StringTableTest, FormattedTexts)
{
    EXPECT_EQ(FormatStringText(IDS_EXIT_QUESTION, "Zelkor"), "Zelkor 프로그램을 종료하시겠습니까?");
    EXPECT_EQ(FormatStringText(IDS_PRINTER_SETTING_CHECK, 2),
              "프린트를 진행할 수 없습니다.\r\n프린터2 설정을 확인해주시기 바랍니다.");
    EXPECT_EQ(FormatStringText(108), "");
}

TEST(StringTableTest, RegisteredWithTheLookup)
{
    RegisterStringTable();
    EXPECT_EQ(LoadResString(IDS_PRINT_NOT_POSSIBLE), LoadStringText(IDS_PRINT_NOT_POSSIBLE));
    EXPECT_EQ(LoadResString(113), "");
}

} // namespace
