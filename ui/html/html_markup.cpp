// Reading the markup: preparation and tokenizer.
#include "ui/html/html_markup.h"

#include "ui/html/html_text.h"

namespace {

struct SEntity
{
    std::u32string_view strName;
    std::u32string_view strReplacement;
};

// In the alphabetical order of the names, which is the order of replacement.
constexpr SEntity ENTITIES[] = {
    {U"&amp;", U"&"},        {U"&bull;", U"\u2022"}, {U"&copy;", U"\u00A9"},
    {U"&euro;", U"\u20AC"},  {U"&gt;", U">"},        {U"&iquest;", U"\u00BF"},
    {U"&lt;", U"<<"},        {U"&nbsp;", U" "},      {U"&para;", U"\u00B6"},
    {U"&pound;", U"\u00A3"}, {U"&quot;", U"\""},     {U"&reg;", U"\u00AE"},
    {U"&trade;", U"\u2122"},
};

std::u32string ReplaceAll(const std::u32string& strText, std::u32string_view strFrom,
                          std::u32string_view strTo)
{
    std::u32string strOut;
    strOut.reserve(strText.size());
    size_t nPos = 0;
    for (;;) {
        const size_t nFound = strText.find(strFrom, nPos);
        if (nFound == std::u32string::npos) {
            strOut.append(strText, nPos);
            return strOut;
        }
        strOut.append(strText, nPos, nFound - nPos);
        strOut.append(strTo);
        nPos = nFound + strFrom.size();
    }
}

} // namespace

std::u32string PrepareHtmlMarkup(std::u32string_view strMarkup, bool bConvertNewlines)
{
    std::u32string strText(strMarkup);
    for (const SEntity& entity : ENTITIES) {
        if (strText.find(entity.strName) != std::u32string::npos) {
            strText = ReplaceAll(strText, entity.strName, entity.strReplacement);
        }
    }
    std::u32string strOut = U"<body>";
    strOut.reserve(strText.size() + 16);
    for (char32_t ch : strText) {
        if (ch == U'\r') {
            continue;
        }
        if (ch == U'\n' || ch == U'\t') {
            if (bConvertNewlines) {
                strOut.append(ch == U'\n' ? U"<br>" : U"<t>");
            }
            continue;
        }
        strOut.push_back(ch);
    }
    strOut.append(U"</body>");
    return strOut;
}

const std::u32string* HtmlToken::Attribute(std::u32string_view strAttribute) const
{
    for (const HtmlAttribute& attribute : vecAttributes) {
        if (attribute.strName == strAttribute) {
            return &attribute.strValue;
        }
    }
    return nullptr;
}

bool CHtmlTokenizer::Next(HtmlToken& token)
{
    token = HtmlToken();
    const std::u32string_view strText = m_strText;
    if (m_nPos >= strText.size()) {
        return false;
    }
    if (strText[m_nPos] != U'<' || (m_nPos + 1 < strText.size() && strText[m_nPos + 1] == U'<')) {
        // A text run up to the next "<" that is not "<<".
        while (m_nPos < strText.size()) {
            if (strText[m_nPos] == U'<') {
                if (m_nPos + 1 < strText.size() && strText[m_nPos + 1] == U'<') {
                    token.strText.push_back(U'<');
                    m_nPos += 2;
                    continue;
                }
                break;
            }
            token.strText.push_back(strText[m_nPos++]);
        }
        return true;
    }
    // A tag up to the next ">" (or the end of the text).
    const size_t nEnd = strText.find(U'>', m_nPos + 1);
    std::u32string_view strInner =
        strText.substr(m_nPos + 1, nEnd == std::u32string_view::npos ? std::u32string_view::npos
                                                                     : nEnd - m_nPos - 1);
    m_nPos = nEnd == std::u32string_view::npos ? strText.size() : nEnd + 1;
    token.bTag = true;
    if (!strInner.empty() && strInner.front() == U'/') {
        token.bClosing = true;
        strInner.remove_prefix(1);
    }
    size_t i = 0;
    while (i < strInner.size() && !IsHtmlBlank(strInner[i]) && strInner[i] != U'=') {
        ++i;
    }
    token.strName = strInner.substr(0, i);
    token.strRest = strInner.substr(i);
    const auto SkipBlanks = [&] {
        while (i < strInner.size() && IsHtmlBlank(strInner[i])) {
            ++i;
        }
    };
    for (;;) {
        SkipBlanks();
        if (i >= strInner.size()) {
            break;
        }
        HtmlAttribute attribute;
        const size_t nNameStart = i;
        while (i < strInner.size() && !IsHtmlBlank(strInner[i]) && strInner[i] != U'=') {
            ++i;
        }
        attribute.strName = strInner.substr(nNameStart, i - nNameStart);
        SkipBlanks();
        if (i < strInner.size() && strInner[i] == U'=') {
            ++i;
            SkipBlanks();
            attribute.bHasValue = true;
            if (i < strInner.size() && (strInner[i] == U'"' || strInner[i] == U'\'')) {
                const char32_t chQuote = strInner[i++];
                const size_t nClose = strInner.find(chQuote, i);
                const size_t nValueEnd =
                    nClose == std::u32string_view::npos ? strInner.size() : nClose;
                attribute.strValue = strInner.substr(i, nValueEnd - i);
                i = nClose == std::u32string_view::npos ? strInner.size() : nClose + 1;
            } else {
                const size_t nValueStart = i;
                while (i < strInner.size() && !IsHtmlBlank(strInner[i])) {
                    ++i;
                }
                attribute.strValue = strInner.substr(nValueStart, i - nValueStart);
            }
        }
        token.vecAttributes.push_back(std::move(attribute));
    }
    return true;
}
