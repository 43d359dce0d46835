// Text helpers: formatting tables and CP949 character counting.
#include "foundation/text_util.h"
#include "tests/support/cp949.h"

#include <gtest/gtest.h>

namespace {

TEST(TextUtilTest, FormatNumber)
{
    struct SCase
    {
        std::string strInput;
        std::string strExpected;
    } cases[] = {
        {"0", "0"},
        {"999", "999"},
        {"1000", "1,000"},
        {"-1234", "-1,234"},
        {"1234567\r\n", "1,234,567"},
        {"\r\n12\n34\r", "1,234"},
        {"0012000", "12,000"},
        {"1234.5", "1,235"},
        {"-999.5", "-1,000"},
        {"12.4", "12"},
        {"-0", "0"},
        {"", ""},
        {"abc\r\n", "abc"},
        {"12a", "12a"},
        {"-", "-"},
        {"123456789012345678901", "123,456,789,012,345,678,901"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(FormatNumber(c.strInput), c.strExpected) << c.strInput;
    }
    EXPECT_EQ(FormatNumber(-1234), "-1,234");
    EXPECT_EQ(FormatNumber(12000), "12,000");
    EXPECT_EQ(FormatNumber(-9223372036854775807LL - 1), "-9,223,372,036,854,775,808");
}

TEST(TextUtilTest, FormatPhone)
{
    struct SCase
    {
        const char* pszInput;
        const char* pszExpected;
    } cases[] = {
        {"0212345678", "021-234-5678"},
        {"01012345678", "010-1234-5678"},
        {"050712345678", "050-7123-45678"},
        {"123456789", "123456789"},
        {"", ""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(FormatPhone(c.pszInput), c.pszExpected) << c.pszInput;
    }
}

TEST(TextUtilTest, RepeatChar)
{
    EXPECT_EQ(RepeatChar('-', 3), "---");
    EXPECT_EQ(RepeatChar('=', 259), std::string(259, '='));
    EXPECT_EQ(RepeatChar('=', 260), "");
    EXPECT_EQ(RepeatChar('=', 0), "");
    EXPECT_EQ(RepeatChar('=', -5), "");
}

TEST(TextUtilTest, CountCharsCountsTwoByteCharactersOnce)
{
    struct SCase
    {
        std::string strText;
        int nExpected;
    } cases[] = {
        {"가나다", 2}, {"abc", 2}, {"a가b", 2}, {"", -1}, {std::string("a\xB0"), 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CountChars(c.strText), c.nExpected) << testsupport::HexBytes(c.strText);
    }
}

TEST(TextUtilTest, LeftCharsTakesEightCharacters)
{
    struct SCase
    {
        std::string strText;
        std::string strExpected;
    } cases[] = {
        {"가나다라마바사아자차카타", "가나다라마바사아"},
        {"abcdefghij", "abcdefgh"},
        {"ab가나cdef다라", "ab가나cdef"},
        {"짧은", "짧은"},
        {"", ""},
        {std::string("abcdefg\xB0"), std::string("abcdefg\xB0")}, // cut lead byte kept alone
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(LeftChars(c.strText), c.strExpected) << testsupport::HexBytes(c.strText);
    }
}

TEST(TextUtilTest, LinesAndSegments)
{
    EXPECT_EQ(MakeOneLine("프린터 연결 실패\r\n확인하세요\r\n"), "프린터 연결 실패 확인하세요 ");
    EXPECT_EQ(MakeOneLine("a\nb\rc"), "a\nb\rc");
    const char buffer[] = {'O', 'K', '\0', '\0', 'x', '\x1B', '\0'};
    EXPECT_EQ(JoinSegments(buffer, sizeof(buffer)), "OKx\x1B");
    EXPECT_EQ(JoinSegments(buffer, 2), "OK");
    EXPECT_EQ(JoinSegments(nullptr, 5), "");
}

TEST(TextUtilTest, ToUtf8)
{
    EXPECT_EQ(ToUtf8("주문서 A-1"), reinterpret_cast<const char*>(u8"주문서 A-1"));
    // A lone lead byte at the end is replaced, the rest converted.
    EXPECT_EQ(ToUtf8(std::string("ok\xB0")), "ok\xEF\xBF\xBD");
}

TEST(TextUtilTest, ResourceStringsComeFromTheRegisteredTable)
{
    EXPECT_EQ(LoadResString(987654), "");
    RegisterResString(987654, "프린터 설정");
    EXPECT_EQ(LoadResString(987654), "프린터 설정");
}

} // namespace
