// The style sheet of the markup engine: named rules of declarations
// ("body", "a:link", ".cpp-comment") and how a declaration text changes a
// style.
#pragma once

#include "ui/html/html_colour_names.h"
#include "ui/html/html_types.h"
#include "ui/html/html_values.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class CHtmlStyleSheet
{
public:
    // Starts with the default sheet.
    CHtmlStyleSheet();

    // Sets or replaces one rule; names are stored in lower case.
    void SetRule(std::u32string_view strName, std::u32string_view strDeclarations);
    // Replaces the whole sheet with the rules of the text ("name {...}"
    // repeated); null loads the default sheet.
    void Load(const std::u32string* pText);
    // The declarations of the rule, or null.
    const std::u32string* Find(std::u32string_view strName) const;

    static const std::u32string& DefaultText();

private:
    std::map<std::u32string, std::u32string, std::less<>> m_mapRules;
};

// What applying declarations needs besides the style: the colour names
// and the length measures of the style's current font.
struct HtmlDeclarationContext
{
    const CHtmlColourNames* pNames = nullptr;
    std::function<HtmlLengthContext(const HtmlStyle&)> pfnLengthContext;
};

// Applies "property: value; ..." to the style in order, the text lower-
// cased as a whole; unknown properties are ignored.
void ApplyHtmlDeclarations(HtmlStyle& style, std::u32string_view strDeclarations,
                           const HtmlDeclarationContext& context);
