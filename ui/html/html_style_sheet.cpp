// The style sheet of the markup engine.
#include "ui/html/html_style_sheet.h"

#include "ui/html/html_text.h"

#include <vector>

namespace {

void ApplyDeclaration(HtmlStyle& style, std::u32string_view strProperty,
                      std::u32string_view strValue, const HtmlDeclarationContext& context)
{
    const HtmlLengthContext length =
        context.pfnLengthContext ? context.pfnLengthContext(style) : HtmlLengthContext{};
    const auto Colour = [&](COLORREF crCurrent) {
        return context.pNames != nullptr ? ParseHtmlColour(strValue, crCurrent, *context.pNames)
                                         : crCurrent;
    };
    if (strProperty == U"font-size") {
        style.nSize = ClampHtml(ParseHtmlLength(strValue, style.nSize, length, true),
                                HTML_MIN_FONT_SIZE, HTML_MAX_FONT_SIZE);
    } else if (strProperty == U"font-family") {
        std::u32string_view strFace = strValue;
        if (strFace.size() >= 2 && strFace.front() == U'"' && strFace.back() == U'"') {
            strFace = strFace.substr(1, strFace.size() - 2);
        }
        if (!strFace.empty()) {
            style.strFace = strFace;
        }
    } else if (strProperty == U"font-style") {
        if (strValue.empty() || strValue == U"normal") {
            style.bItalic = false;
        } else if (strValue == U"italic" || strValue == U"oblique") {
            style.bItalic = true;
        }
    } else if (strProperty == U"font-weight") {
        style.nWeight = ParseHtmlWeight(strValue);
    } else if (strProperty == U"text-align") {
        if (strValue.empty() || strValue == U"left") {
            style.nHorzAlign = HTML_ALIGN_LEFT;
        } else if (strValue == U"center") {
            style.nHorzAlign = HTML_ALIGN_CENTER;
        } else if (strValue == U"right") {
            style.nHorzAlign = HTML_ALIGN_RIGHT;
        }
    } else if (strProperty == U"text-transform") {
        if (strValue.empty() || strValue == U"none") {
            style.nTextTransform = 0;
        } else if (strValue == U"uppercase") {
            style.nTextTransform = 1;
        } else if (strValue == U"lowercase") {
            style.nTextTransform = 2;
        } else if (strValue == U"capitalize") {
            style.nTextTransform = 3;
        }
    } else if (strProperty == U"color") {
        style.crText = Colour(style.crText);
    } else if (strProperty == U"background-color") {
        style.crBackground = Colour(style.crBackground);
    } else if (strProperty == U"text-decoration") {
        std::u32string_view strRest = strValue.empty() ? std::u32string_view(U"none") : strValue;
        while (!strRest.empty()) {
            const size_t nEnd = strRest.find_first_of(U" ,");
            const std::u32string_view strWord = strRest.substr(0, nEnd);
            if (strWord == U"none") {
                style.bUnderline = style.bStrikeOut = style.bOverline = false;
            } else if (strWord == U"underline") {
                style.bUnderline = true;
            } else if (strWord == U"line-through") {
                style.bStrikeOut = true;
            } else if (strWord == U"overline") {
                style.bOverline = true;
            }
            strRest = nEnd == std::u32string_view::npos ? std::u32string_view()
                                                        : strRest.substr(nEnd + 1);
        }
    } else if (strProperty == U"vertical-align") {
        if (strValue.empty() || strValue == U"baseline") {
            style.nVertAlign = HTML_VALIGN_BASELINE;
        } else if (strValue == U"middle" || strValue == U"vcenter") {
            style.nVertAlign = HTML_VALIGN_MIDDLE;
        } else if (strValue == U"top") {
            style.nVertAlign = HTML_VALIGN_TOP;
        } else if (strValue == U"bottom") {
            style.nVertAlign = HTML_VALIGN_BOTTOM;
        }
    } else if (strProperty == U"border-color") {
        style.crBorderLight = Colour(style.crBorderLight);
        style.crBorderDark = style.crBorderLight;
    } else if (strProperty == U"border-width" || strProperty == U"size") {
        if (strValue == U"thin") {
            style.nBorderWidth = style.nBorderWidth * 75 / 100;
        } else if (strValue == U"thick") {
            style.nBorderWidth = ClampHtml(style.nBorderWidth * 125LL / 100, 0, HTML_MAX_LENGTH);
        } else if (strValue != U"medium") {
            style.nBorderWidth = ParseHtmlLength(strValue, style.nBorderWidth, length);
        }
        if (style.nBorderWidth == 0) {
            style.nBorderStyle = 0;
        } else if (style.nBorderStyle == 0) {
            style.nBorderStyle = 1;
        }
    } else if (strProperty == U"border-style") {
        if (strValue.empty() || strValue == U"none") {
            style.nBorderStyle = 0;
        } else if (strValue == U"solid") {
            style.nBorderStyle = 1;
        } else if (strValue == U"dashed") {
            style.nBorderStyle = 2;
        } else if (strValue == U"dotted") {
            style.nBorderStyle = 3;
        } else if (strValue == U"double") {
            style.nBorderStyle = 6;
        }
        if (style.nBorderStyle != 0 && style.nBorderWidth == 0) {
            style.nBorderWidth = 1;
        }
    } else if (strProperty == U"margin") {
        style.nMargin = ParseHtmlLength(strValue, style.nMargin, length);
    } else if (strProperty == U"padding") {
        style.nPadding = ParseHtmlLength(strValue, style.nPadding, length);
    }
}

} // namespace

CHtmlStyleSheet::CHtmlStyleSheet()
{
    Load(nullptr);
}

void CHtmlStyleSheet::SetRule(std::u32string_view strName, std::u32string_view strDeclarations)
{
    m_mapRules[HtmlLowerAscii(HtmlTrim(strName))] = std::u32string(strDeclarations);
}

void CHtmlStyleSheet::Load(const std::u32string* pText)
{
    m_mapRules.clear();
    std::u32string_view strRest = pText != nullptr ? *pText : DefaultText();
    for (;;) {
        const size_t nOpen = strRest.find(U'{');
        if (nOpen == std::u32string_view::npos) {
            break;
        }
        const size_t nClose = strRest.find(U'}', nOpen);
        const std::u32string_view strName = strRest.substr(0, nOpen);
        const std::u32string_view strBody = strRest.substr(
            nOpen + 1,
            nClose == std::u32string_view::npos ? std::u32string_view::npos : nClose - nOpen - 1);
        if (!HtmlTrim(strName).empty()) {
            SetRule(strName, strBody);
        }
        if (nClose == std::u32string_view::npos) {
            break;
        }
        strRest = strRest.substr(nClose + 1);
    }
}

const std::u32string* CHtmlStyleSheet::Find(std::u32string_view strName) const
{
    const auto it = m_mapRules.find(HtmlLowerAscii(strName));
    return it == m_mapRules.end() ? nullptr : &it->second;
}

const std::u32string& CHtmlStyleSheet::DefaultText()
{
    static const std::u32string s_strDefault =
        U"body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
        U"p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        U"h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        U"h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        U"h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
        U"h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        U"h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        U"h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
        U"pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
        U"code {color:#990000; font-family:Arial}\r\n"
        U"a:link {text-decoration:none; color:blue}\r\n"
        U"a:hover {text-decoration:underline; color:blue}\r\n"
        U"sub {font-size:65%; vertical-align:bottom}\r\n"
        U"sup {font-size:65%; vertical-align:top}\r\n"
        U"big {font-size:125%}\r\n"
        U"small {font-size:75%}\r\n"
        U".cpp-comment {color:green; font-style:italic}\r\n";
    return s_strDefault;
}

void ApplyHtmlDeclarations(HtmlStyle& style, std::u32string_view strDeclarations,
                           const HtmlDeclarationContext& context)
{
    const std::u32string strLower = HtmlLowerAscii(strDeclarations);
    std::u32string_view strRest = strLower;
    while (!strRest.empty()) {
        const size_t nEnd = strRest.find(U';');
        const std::u32string_view strPair = strRest.substr(0, nEnd);
        const size_t nColon = strPair.find(U':');
        if (nColon != std::u32string_view::npos) {
            ApplyDeclaration(style, HtmlTrim(strPair.substr(0, nColon)),
                             HtmlTrim(strPair.substr(nColon + 1)), context);
        }
        if (nEnd == std::u32string_view::npos) {
            break;
        }
        strRest = strRest.substr(nEnd + 1);
    }
}
