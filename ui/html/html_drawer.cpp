// CHtmlDrawer, the markup engine.
#include "ui/html/html_drawer.h"

#include "ui/html/html_text.h"
#include "ui/html/html_values.h"

#include <algorithm>

namespace {

enum ETag : int
{
    TAG_B = 1,
    TAG_I,
    TAG_U,
    TAG_S,
    TAG_FONT,
    TAG_HR,
    TAG_BR,
    TAG_T,
    TAG_LEFT,
    TAG_CENTER,
    TAG_RIGHT,
    TAG_JUSTIFY,
    TAG_BASELINE,
    TAG_TOP,
    TAG_VCENTER,
    TAG_BOTTOM,
    TAG_BMP,
    TAG_ICON,
    TAG_ILST,
    TAG_STRING,
    TAG_CLASS,
    TAG_SPAN,
    TAG_A,
    // Tables get the outline only: their text flows as plain runs, a row
    // ends a line and a cell ends at a tab stop.
    TAG_TABLE,
    TAG_TR,
    TAG_TD,
};

struct STagEntry
{
    std::u32string_view strName;
    ETag eTag;
    std::u32string_view strStyleName;
};

// Tag names are compared exactly: <B> is not <b>.
constexpr STagEntry TAGS[] = {
    {U"b", TAG_B, U"bold"},
    {U"i", TAG_I, U"italic"},
    {U"em", TAG_I, U"italic"},
    {U"u", TAG_U, U"underline"},
    {U"s", TAG_S, U"strikeout"},
    {U"strike", TAG_S, U"strikeout"},
    {U"font", TAG_FONT, U"font"},
    {U"hr", TAG_HR, U""},
    {U"br", TAG_BR, U""},
    {U"t", TAG_T, U""},
    {U"left", TAG_LEFT, U"left"},
    {U"center", TAG_CENTER, U"center"},
    {U"right", TAG_RIGHT, U"right"},
    {U"justify", TAG_JUSTIFY, U"justify"},
    {U"baseline", TAG_BASELINE, U"baseline"},
    {U"top", TAG_TOP, U"top"},
    {U"vcenter", TAG_VCENTER, U"vcenter"},
    {U"middle", TAG_VCENTER, U"vcenter"},
    {U"bottom", TAG_BOTTOM, U"vcenter"},
    {U"bmp", TAG_BMP, U""},
    {U"icon", TAG_ICON, U""},
    {U"ilst", TAG_ILST, U""},
    {U"string", TAG_STRING, U""},
    {U"body", TAG_CLASS, U"body"},
    {U"h1", TAG_CLASS, U"h1"},
    {U"h2", TAG_CLASS, U"h2"},
    {U"h3", TAG_CLASS, U"h3"},
    {U"h4", TAG_CLASS, U"h4"},
    {U"h5", TAG_CLASS, U"h5"},
    {U"h6", TAG_CLASS, U"h6"},
    {U"code", TAG_CLASS, U"code"},
    {U"pre", TAG_CLASS, U"pre"},
    {U"big", TAG_CLASS, U"big"},
    {U"small", TAG_CLASS, U"small"},
    {U"sub", TAG_CLASS, U"sub"},
    {U"sup", TAG_CLASS, U"sup"},
    {U"span", TAG_SPAN, U"span"},
    {U"a", TAG_A, U"link"},
    {U"table", TAG_TABLE, U"table"},
    {U"tr", TAG_TR, U"tr"},
    {U"td", TAG_TD, U"td"},
    {U"th", TAG_TD, U"td"},
};

// Saved styles beyond this depth are not kept (their closing tags then
// find nothing to restore).
constexpr size_t MAX_SAVED_STYLES = 256;

// The count after the name of br and t ("<br 2>", "<br=2>"): 1 when none
// is given, held to 1..HTML_MAX_COUNT.
int TagCount(std::u32string_view strRest)
{
    size_t i = 0;
    while (i < strRest.size() && (IsHtmlBlank(strRest[i]) || strRest[i] == U'=')) {
        ++i;
    }
    size_t nUsed = 0;
    const int nCount = ReadHtmlDecimal(strRest.substr(i), &nUsed);
    return nUsed == 0 ? 1 : ClampHtml(nCount, 1, HTML_MAX_COUNT);
}

char32_t UpperCase(char32_t ch)
{
    if ((ch >= U'a' && ch <= U'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7)) {
        return ch - 0x20;
    }
    return ch;
}

char32_t LowerCase(char32_t ch)
{
    if ((ch >= U'A' && ch <= U'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)) {
        return ch + 0x20;
    }
    return ch;
}

std::u32string Transform(std::u32string_view strText, int nTransform)
{
    std::u32string strOut(strText);
    for (size_t i = 0; i < strOut.size(); ++i) {
        if (nTransform == 1) {
            strOut[i] = UpperCase(strOut[i]);
        } else if (nTransform == 2) {
            strOut[i] = LowerCase(strOut[i]);
        } else if (nTransform == 3 && strOut[i] >= U'a' && strOut[i] <= U'z' &&
                   (i == 0 || strOut[i - 1] == U' ')) {
            strOut[i] = UpperCase(strOut[i]);
        }
    }
    return strOut;
}

} // namespace

struct CHtmlDrawer::SPass
{
    SPass(IHtmlMetrics& metricsIn, int nWrapWidth)
        : metrics(metricsIn), layout(metricsIn, nWrapWidth)
    {
    }

    IHtmlMetrics& metrics;
    CHtmlLayout layout;
    HtmlStyle style;
    HtmlStyle baseStyle;
    std::vector<std::pair<std::u32string, HtmlStyle>> vecSaved;
    int nLinkCounter = -1;
};

bool IsOpenableHtmlLink(std::u32string_view strTarget)
{
    if (strTarget.size() > 2048) {
        return false;
    }
    const std::u32string strLower = HtmlLowerAscii(strTarget);
    const std::u32string_view strView = strLower;
    const size_t nScheme = strView.starts_with(U"https://")  ? 8
                           : strView.starts_with(U"http://") ? 7
                                                             : 0;
    if (nScheme == 0 || strView.size() == nScheme) {
        return false;
    }
    return std::none_of(strTarget.begin(), strTarget.end(), [](char32_t ch) {
        return ch <= 0x20 || ch == 0x7F || (ch >= 0x80 && ch <= 0x9F);
    });
}

CHtmlDrawer::CHtmlDrawer(const HtmlSystemColours& system)
    : m_ColourNames(system), m_crPass(system.Get(HtmlSysColour::ButtonShadow))
{
}

void CHtmlDrawer::SetStyleRule(std::u32string_view strName, std::u32string_view strDeclarations)
{
    m_StyleSheet.SetRule(strName, strDeclarations);
}

void CHtmlDrawer::LoadStyleSheet(const std::u32string* pText)
{
    m_StyleSheet.Load(pText);
}

void CHtmlDrawer::ApplyRule(SPass& pass, std::u32string_view strRule)
{
    const std::u32string* pDeclarations = m_StyleSheet.Find(strRule);
    if (pDeclarations == nullptr) {
        return;
    }
    HtmlDeclarationContext context;
    context.pNames = &m_ColourNames;
    context.pfnLengthContext = [&pass](const HtmlStyle& style) {
        const HtmlFont font = HtmlLayoutFont(style);
        return HtmlLengthContext{pass.metrics.Height(font), pass.metrics.XHeight(font),
                                 pass.metrics.DotsPerInch()};
    };
    ApplyHtmlDeclarations(pass.style, *pDeclarations, context);
}

void CHtmlDrawer::AddText(SPass& pass, std::u32string_view strText)
{
    if (strText.empty()) {
        return;
    }
    const int nLink = pass.style.nLinkKind != HTML_LINK_NONE ? pass.nLinkCounter : -1;
    if (pass.style.nTextTransform != 0) {
        pass.layout.AddRun(Transform(strText, pass.style.nTextTransform), pass.style, nLink);
    } else {
        pass.layout.AddRun(strText, pass.style, nLink);
    }
}

void CHtmlDrawer::HandleTag(SPass& pass, const HtmlToken& token)
{
    const auto* pEntry = std::find_if(std::begin(TAGS), std::end(TAGS), [&](const STagEntry& e) {
        return e.strName == token.strName;
    });
    if (pEntry == std::end(TAGS)) {
        return;
    }
    HtmlStyle& style = pass.style;
    if (!pEntry->strStyleName.empty()) {
        style.strName = pEntry->strStyleName;
    }
    const bool bOpening = !token.bClosing;
    const auto Save = [&] {
        if (pass.vecSaved.size() < MAX_SAVED_STYLES) {
            pass.vecSaved.emplace_back(token.strName, style);
        }
    };
    // A closing tag of a saved style restores the style of its opening.
    const auto Restore = [&] {
        for (size_t i = pass.vecSaved.size(); i-- > 0;) {
            if (pass.vecSaved[i].first == token.strName) {
                style = pass.vecSaved[i].second;
                pass.vecSaved.resize(i);
                return;
            }
        }
    };
    const auto Colour = [&](const std::u32string& strValue, COLORREF crCurrent) {
        return ParseHtmlColour(strValue, crCurrent, m_ColourNames);
    };
    switch (pEntry->eTag) {
    case TAG_B:
        style.nWeight = bOpening ? std::min(style.nWeight * 2, 900) : 400;
        break;
    case TAG_I:
        style.bItalic = bOpening;
        break;
    case TAG_U:
        style.bUnderline = bOpening;
        break;
    case TAG_S:
        if (bOpening) {
            style.bStrikeOut = true;
        }
        break;
    case TAG_FONT:
        if (!bOpening) {
            style.strFace = pass.baseStyle.strFace;
            style.nSize = pass.baseStyle.nSize;
            style.crText = pass.baseStyle.crText;
            break;
        }
        for (const HtmlAttribute& attribute : token.vecAttributes) {
            const std::u32string& strValue = attribute.strValue;
            if (attribute.strName == U"face") {
                if (!strValue.empty()) {
                    style.strFace = strValue;
                }
            } else if (attribute.strName == U"size") {
                style.nSize =
                    ClampHtml(static_cast<long long>(style.nSize) + ReadHtmlDecimal(strValue),
                              HTML_MIN_FONT_SIZE, HTML_MAX_FONT_SIZE);
            } else if (attribute.strName == U"color") {
                style.crText = Colour(strValue, style.crText);
            } else if (attribute.strName == U"style") {
                for (size_t i = 0; i < strValue.size(); ++i) {
                    const bool bSet = i == 0 || strValue[i - 1] != U'-';
                    switch (strValue[i]) {
                    case U'b':
                        style.nWeight = bSet ? 700 : 400;
                        break;
                    case U'i':
                        style.bItalic = bSet;
                        break;
                    case U'u':
                        style.bUnderline = bSet;
                        break;
                    case U's':
                        style.bStrikeOut = bSet;
                        break;
                    case U'o':
                        style.bOverline = bSet;
                        break;
                    default:
                        break;
                    }
                }
            } else if (attribute.strName == U"weight") {
                style.nWeight = ParseHtmlWeight(strValue);
            } else if (attribute.strName == U"bkgnd") {
                style.crBackground = Colour(strValue, style.crBackground);
            }
        }
        break;
    case TAG_HR: {
        int nWidth = 0;
        int nPercent = 100;
        int nSize = 1;
        COLORREF crRule = style.crText;
        if (const std::u32string* pWidth = token.Attribute(U"width")) {
            if (!pWidth->empty() && pWidth->back() == U'%') {
                nPercent = ClampHtml(ReadHtmlDecimal(*pWidth), 0, 100);
            } else {
                nPercent = -1;
                nWidth = ClampHtml(ReadHtmlDecimal(*pWidth), 0, HTML_MAX_RULE_WIDTH);
            }
        }
        if (const std::u32string* pSize = token.Attribute(U"size")) {
            nSize = ClampHtml(ReadHtmlDecimal(*pSize), 1, HTML_MAX_LENGTH);
        }
        if (const std::u32string* pColour = token.Attribute(U"color")) {
            crRule = Colour(*pColour, crRule);
        }
        pass.layout.AddRule(nWidth, nPercent, nSize, crRule, style);
        break;
    }
    case TAG_BR:
        pass.layout.BreakLine(TagCount(token.strRest), style);
        break;
    case TAG_T:
        pass.layout.AddTab(TagCount(token.strRest), style);
        break;
    case TAG_LEFT:
        style.nHorzAlign = HTML_ALIGN_LEFT;
        break;
    case TAG_CENTER:
        style.nHorzAlign = bOpening ? HTML_ALIGN_CENTER : HTML_ALIGN_LEFT;
        break;
    case TAG_RIGHT:
        style.nHorzAlign = bOpening ? HTML_ALIGN_RIGHT : HTML_ALIGN_LEFT;
        break;
    case TAG_JUSTIFY:
        if (bOpening) {
            style.nHorzAlign = HTML_ALIGN_JUSTIFY;
        }
        break;
    case TAG_BASELINE:
    case TAG_TOP:
    case TAG_VCENTER:
    case TAG_BOTTOM:
        if (bOpening) {
            style.nVertAlign = pEntry->eTag == TAG_BASELINE  ? HTML_VALIGN_BASELINE
                               : pEntry->eTag == TAG_TOP     ? HTML_VALIGN_TOP
                               : pEntry->eTag == TAG_VCENTER ? HTML_VALIGN_MIDDLE
                                                             : HTML_VALIGN_BOTTOM;
        }
        break;
    case TAG_BMP:
    case TAG_ICON:
    case TAG_ILST:
        // Pictures: the attributes are read, nothing is drawn.
        break;
    case TAG_STRING: {
        const std::u32string* pId = token.Attribute(U"idres");
        if (pId == nullptr) {
            pId = token.Attribute(U"iddll");
        }
        if (pId != nullptr && m_pfnResolveString) {
            AddText(pass, m_pfnResolveString(ReadHtmlCNumber(*pId)));
        }
        break;
    }
    case TAG_CLASS:
        if (bOpening) {
            Save();
            ApplyRule(pass, token.strName);
        } else {
            Restore();
        }
        break;
    case TAG_SPAN:
        if (bOpening) {
            Save();
            if (const std::u32string* pClass = token.Attribute(U"class")) {
                ApplyRule(pass, U"." + *pClass);
            }
        } else {
            Restore();
        }
        break;
    case TAG_A:
        if (bOpening) {
            ++pass.nLinkCounter;
            Save();
            if (const std::u32string* pHref = token.Attribute(U"href")) {
                style.nLinkKind = HTML_LINK_ADDRESS;
                style.strLinkTarget = *pHref;
            } else if (const std::u32string* pMsg = token.Attribute(U"msg")) {
                style.nLinkKind = HTML_LINK_MESSAGE;
                style.strLinkTarget = *pMsg;
            } else {
                style.nLinkKind = HTML_LINK_MESSAGE;
                style.strLinkTarget.clear();
            }
            ApplyRule(pass, pass.nLinkCounter == m_nHotLink ? U"a:hover" : U"a:link");
        } else {
            Restore();
        }
        break;
    case TAG_TABLE:
        if (bOpening) {
            Save();
        } else {
            Restore();
        }
        break;
    case TAG_TR:
        if (!bOpening) {
            pass.layout.BreakLine(1, style);
        }
        break;
    case TAG_TD:
        if (!bOpening) {
            pass.layout.AddTab(1, style);
        }
        break;
    }
}

HtmlSize CHtmlDrawer::Layout(IHtmlMetrics& metrics, std::u32string_view strMarkup)
{
    SPass pass(metrics, m_nWrapWidth);
    ApplyRule(pass, U"body");
    pass.baseStyle = pass.style;
    const std::u32string strPrepared = PrepareHtmlMarkup(strMarkup, m_bConvertNewlines);
    CHtmlTokenizer tokenizer(strPrepared);
    HtmlToken token;
    while (tokenizer.Next(token)) {
        if (token.bTag) {
            HandleTag(pass, token);
        } else {
            AddText(pass, token.strText);
        }
    }
    m_vecLines = pass.layout.Finish(pass.style);
    const HtmlSize extent = pass.layout.Extent();
    if (extent.nWidth == 0 && extent.nHeight == 0) {
        return {};
    }
    return {extent.nWidth + 1, extent.nHeight + 1};
}

HtmlSize CHtmlDrawer::MeasureHtml(IHtmlMetrics& metrics, std::u32string_view strMarkup)
{
    m_vecLinks.clear();
    return Layout(metrics, strMarkup);
}

void CHtmlDrawer::DrawHtml(IHtmlMetrics& metrics, IHtmlDrawSink& sink,
                           std::u32string_view strMarkup, const HtmlRect& rect)
{
    Layout(metrics, strMarkup);
    m_vecLinks.clear();
    DrawHtmlLines(m_vecLines, rect, metrics, sink, !m_bEnabled, m_crPass, &m_vecLinks);
}

bool CHtmlDrawer::UpdateHotLink(int nX, int nY)
{
    const auto it =
        std::find_if(m_vecLinks.begin(), m_vecLinks.end(),
                     [&](const HtmlLinkArea& area) { return area.rect.Contains(nX, nY); });
    if (it == m_vecLinks.end()) {
        if (m_nHotLink != NO_HOT_LINK) {
            m_nHotLink = NO_HOT_LINK;
            if (m_pfnRedraw) {
                m_pfnRedraw();
            }
        }
        return false;
    }
    if (it->nNumber != m_nHotLink) {
        m_nHotLink = it->nNumber;
        if (m_pfnRedraw) {
            m_pfnRedraw();
        }
    }
    return !it->strTarget.empty();
}

HtmlClick CHtmlDrawer::ClickAt(int nX, int nY)
{
    const auto it =
        std::find_if(m_vecLinks.begin(), m_vecLinks.end(), [&](const HtmlLinkArea& area) {
            return area.rect.Contains(nX, nY) && !area.strTarget.empty();
        });
    if (it == m_vecLinks.end()) {
        return HtmlClick::None;
    }
    if (it->nKind == HTML_LINK_ADDRESS) {
        if (!IsOpenableHtmlLink(it->strTarget)) {
            return HtmlClick::Refused;
        }
        if (m_pfnOpenLink) {
            m_pfnOpenLink(it->strTarget);
        }
        return HtmlClick::Opened;
    }
    if (m_pfnMessage) {
        m_pfnMessage(it->strTarget);
    }
    return HtmlClick::Message;
}
