// CP949 <-> UTF-8 conversion, with bytes that have no counterpart.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncodingTest, ConvertsBothWays)
{
    struct SCase
    {
        std::string strCp949;
        std::string strUtf8;
    } cases[] = {
        {"주문서 A-1", reinterpret_cast<const char*>(u8"주문서 A-1")},
        {"", ""},
        {"똠방각하", reinterpret_cast<const char*>(u8"똠방각하")}, // beyond EUC-KR
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::Cp949ToUtf8(c.strCp949), c.strUtf8);
        EXPECT_EQ(platform::Utf8ToCp949(c.strUtf8), c.strCp949);
    }
}

TEST(TextEncodingTest, UnconvertibleInputIsReplacedAndSkipped)
{
    EXPECT_EQ(platform::Cp949ToUtf8(std::string("a\xFF"
                                                "b")),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(platform::Cp949ToUtf8(std::string("a\xB0")), "a\xEF\xBF\xBD");
    // An emoji has no CP949 form: one '?' for the whole character.
    EXPECT_EQ(platform::Utf8ToCp949(std::string("a\xF0\x9F\x98\x80"
                                                "b")),
              "a?b");
    EXPECT_EQ(platform::Utf8ToCp949(std::string("a\xC3")), "a?");
}

} // namespace

namespace {

TEST(TextEncodingTest, ExactConversionRefusesTextWithoutCp949Form)
{
    std::string strOut = "unchanged";
    EXPECT_TRUE(platform::Utf8ToCp949Exact(reinterpret_cast<const char*>(u8"똠방 A?"), strOut));
    EXPECT_EQ(strOut, "똠방 A?");
    EXPECT_TRUE(platform::Utf8ToCp949Exact("", strOut));
    EXPECT_EQ(strOut, "");
    strOut = "unchanged";
    const char* refused[] = {"a\xF0\x9F\x98\x80", "a\xC3",
                             "\xE4\xB8\x80\xE2\x82\xAC\xF0\x9F\x8D\x95"};
    for (const char* pszText : refused) {
        EXPECT_FALSE(platform::Utf8ToCp949Exact(pszText, strOut)) << pszText;
        EXPECT_EQ(strOut, "unchanged");
    }
}

} // namespace
