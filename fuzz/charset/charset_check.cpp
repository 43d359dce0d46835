// Build-time check of the fuzz build's literal escaping: each literal below
// must hold the bytes that the product build (GCC, CP949 execution
// character set) puts in its binary for it. Exit status 1 names the first
// literal that differs.
#include <cstdio>
#include <string>

namespace {

struct SCase
{
    const char* pszName;
    std::string strActual;
    std::string strExpected; // as GCC -fexec-charset=CP949 emits it
};

std::string Hex(const std::string& str)
{
    std::string strHex;
    char szByte[4];
    for (char ch : str) {
        std::snprintf(szByte, sizeof(szByte), "%02X ", static_cast<unsigned char>(ch));
        strHex += szByte;
    }
    return strHex;
}

} // namespace

int main()
{
    const SCase cases[] = {
        {"hangul word", "주문서", "\xC1\xD6\xB9\xAE\xBC\xAD"},
        {"hex digit after hangul", "가A",
         "\xB0\xA1"
         "A"},
        {"universal character name", "\u00b7", "\xA1\xA4"},
        {"raw string", R"(케찹)", "\xC4\xC9\xC2\xFD"},
        {"mixed text", "합계: 12,000원",
         "\xC7\xD5\xB0\xE8"
         ": 12,000\xBF\xF8"},
        {"extended lead bytes", "똠햏", "\x8C\x63\xC1\x64"},
        {"symbols", "ㄱ①", "\xA4\xA1\xA8\xE7"},
        {"column width of a line", std::to_string(std::string("메뉴명 수량").size()), "11"},
    };
    for (const SCase& c : cases) {
        if (c.strActual != c.strExpected) {
            std::fprintf(stderr, "CP949 literal check failed for %s: got [%s], expected [%s]\n",
                         c.pszName, Hex(c.strActual).c_str(), Hex(c.strExpected).c_str());
            return 1;
        }
    }
    // A UTF-8 literal keeps its UTF-8 bytes.
    const char8_t* pszUtf8 = u8"가";
    if (std::u8string(pszUtf8) != std::u8string{0xEA, 0xB0, 0x80}) {
        std::fprintf(stderr, "CP949 literal check failed: u8 literal was re-encoded\n");
        return 1;
    }
    return 0;
}
