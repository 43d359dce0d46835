// Reading the markup: preparation (entities, line breaks, the body around
// the text) and the tokenizer that cuts it into text runs and tags.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Replaces every entity of the table, one entity after the other in the
// alphabetical order of their names (so "&amp;lt;" ends as a literal
// "<"); removes CR; turns LF into "<br>" and TAB into "<t>" when
// bConvertNewlines, else drops them; wraps the result in "<body>" and
// "</body>".
std::u32string PrepareHtmlMarkup(std::u32string_view strMarkup, bool bConvertNewlines);

struct HtmlAttribute
{
    std::u32string strName;
    std::u32string strValue;
    bool bHasValue = false;
};

struct HtmlToken
{
    bool bTag = false;
    // A text run ("<<" already read as one "<").
    std::u32string strText;
    // A tag: its name (compared exactly), whether it closes, the text after
    // the name and the attributes read from it.
    std::u32string strName;
    bool bClosing = false;
    std::u32string strRest;
    std::vector<HtmlAttribute> vecAttributes;

    // The value of the first attribute of that name, or null.
    const std::u32string* Attribute(std::u32string_view strAttribute) const;
};

class CHtmlTokenizer
{
public:
    explicit CHtmlTokenizer(std::u32string_view strPrepared) : m_strText(strPrepared) {}

    // The next token; false at the end of the text.
    bool Next(HtmlToken& token);

private:
    std::u32string_view m_strText;
    size_t m_nPos = 0;
};
