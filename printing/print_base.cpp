// Document base: setup checks, the byte-column text layout and the value words.
#include "printing/print_base.h"

#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "platform/local_clock.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <string_view>

namespace {

constexpr int kIndentWidth = 4;

bool IsLeadByte(char ch)
{
    const unsigned char uch = static_cast<unsigned char>(ch);
    return uch >= 0x81 && uch <= 0xFE;
}

// Length of the character starting at nPos (2 for a lead byte with its trail
// byte present, else 1).
int CharLength(std::string_view text, int nPos)
{
    if (static_cast<size_t>(nPos) + 1 < text.size() &&
        IsLeadByte(text[static_cast<size_t>(nPos)])) {
        return 2;
    }
    return 1;
}

// 1 when the bytes [nStart, nEnd) end inside a two-byte character; the
// indexes are within the text.
bool EndsInsideChar(std::string_view text, int nStart, int nEnd)
{
    int nCount = 0;
    for (int i = nStart; i < nEnd;) {
        const int nStep = IsLeadByte(text[static_cast<size_t>(i)]) ? 2 : 1;
        i += nStep;
        nCount += nStep;
    }
    return nCount > nEnd - nStart;
}

// Bytes of text from nPos to take for a line of nTake columns: one less
// when the last would be the first half of a two-byte character. A column
// too narrow for the next character still takes that whole character, so the
// wrap always moves on and never splits a syllable.
int TakeBytes(std::string_view text, int nPos, int nTake)
{
    const int nSize = static_cast<int>(text.size());
    nTake = std::min(nTake, nSize - nPos);
    if (nTake > 0 && EndsInsideChar(text, nPos, nPos + nTake)) {
        --nTake;
    }
    if (nTake <= 0) {
        nTake = CharLength(text, nPos);
    }
    return nTake;
}

// Appends the printable form of text (see CPrintBase::PrintableText).
void AppendPrintable(std::string& strOut, std::string_view text)
{
    auto isTrail = [](unsigned char ch) {
        return (ch >= 0x41 && ch <= 0x5A) || (ch >= 0x61 && ch <= 0x7A) ||
               (ch >= 0x81 && ch <= 0xFE);
    };
    const size_t nBase = strOut.size();
    strOut.resize(nBase + text.size());
    char* pOut = strOut.data() + nBase;
    const size_t nSize = text.size();
    for (size_t i = 0; i < nSize; ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(text[i])) {
            if (i + 1 < nSize && isTrail(static_cast<unsigned char>(text[i + 1]))) {
                *pOut++ = text[i];
                *pOut++ = text[++i];
            }
        } else if (ch < 0x20 || ch == 0x7F) {
            *pOut++ = ' ';
        } else {
            *pOut++ = text[i];
        }
    }
    strOut.resize(static_cast<size_t>(pOut - strOut.data()));
}

// One wrapped line: nPad blanks (the indent, the right alignment), then
// nLength bytes of the printable text from nStart.
struct SWrapLine
{
    size_t nStart;
    size_t nLength;
    size_t nPad;
};

// One text wrapped to one width: the printable bytes of all its lines of
// text one after the other, and the wrapped lines over them.
struct SWrappedText
{
    std::string strText;
    std::vector<SWrapLine> vecLines;
    int nWidth = 0;
};

// The wrap of one line of text (no line breaks in it), the printable bytes
// [nBase, end) of wrapped.strText, appended to wrapped.vecLines.
void WrapParagraph(SWrappedText& wrapped, size_t nBase, int bRightAlign, int bIndent)
{
    const std::string_view text = std::string_view(wrapped.strText).substr(nBase);
    const int nLineWidth = wrapped.nWidth;
    const bool bIndentOn = bIndent == 1;
    // A line takes at most the bytes left: a width below 1 still takes one
    // character, and for an empty line of text that is none.
    auto push = [&](int nPos, int nLength, size_t nPad) {
        const size_t nStart = static_cast<size_t>(nPos);
        wrapped.vecLines.push_back(
            {nBase + nStart, std::min(static_cast<size_t>(nLength), text.size() - nStart), nPad});
    };

    int nRemaining = static_cast<int>(text.size());
    int nPos = 0;
    bool bFirst = true;
    do {
        size_t nPad = 0;
        if (nRemaining > nLineWidth) {
            int nTake = nLineWidth;
            if (!bFirst && bIndentOn) {
                nPad = kIndentWidth;
                nTake -= kIndentWidth;
            }
            bFirst = false;
            nTake = TakeBytes(text, nPos, nTake);
            push(nPos, nTake, nPad);
            nPos += nTake;
            nRemaining -= nTake;
            continue;
        }
        if (!bFirst && bIndentOn) {
            nPad = kIndentWidth;
            if (nRemaining + kIndentWidth > nLineWidth) {
                // The rest fits the width but not after the indent: one more
                // full line, then the loop takes what is left.
                const int nTake = TakeBytes(text, nPos, nLineWidth - kIndentWidth);
                push(nPos, nTake, nPad);
                nPos += nTake;
                nRemaining -= nTake;
                continue;
            }
        }
        bFirst = false;
        if (bRightAlign == 1) {
            const int nBlanks = nLineWidth - static_cast<int>(nPad) - nRemaining;
            if (nBlanks > 0) {
                nPad += static_cast<size_t>(nBlanks);
            }
        }
        push(nPos, nRemaining, nPad);
        nPos += nRemaining;
        nRemaining = 0;
    } while (nRemaining > 0);
}

// Wraps strText to nWidth (halved for double-width nMode) into wrapped,
// replacing what it held. A text with line breaks (a memo, the origin
// notice) is wrapped line by line: counting the CR LF as columns would break
// the next line early and leave fragments on lines of their own.
void WrapText(SWrappedText& wrapped, int nWidth, std::string_view text, int bRightAlign, int nMode,
              int bIndent)
{
    wrapped.strText.clear();
    wrapped.vecLines.clear();
    wrapped.nWidth = (nMode & PRINT_MODE_DOUBLE_WIDTH) != 0 ? nWidth / 2 : nWidth;
    size_t nStart = 0;
    for (;;) {
        const size_t nBreak = text.find('\n', nStart);
        const size_t nBase = wrapped.strText.size();
        if (nBreak == std::string_view::npos) {
            AppendPrintable(wrapped.strText, text.substr(nStart));
            WrapParagraph(wrapped, nBase, bRightAlign, bIndent);
            break;
        }
        const size_t nEnd = (nBreak > nStart && text[nBreak - 1] == '\r') ? nBreak - 1 : nBreak;
        AppendPrintable(wrapped.strText, text.substr(nStart, nEnd - nStart));
        WrapParagraph(wrapped, nBase, bRightAlign, bIndent);
        nStart = nBreak + 1;
    }
}

void AppendLine(std::string& strOut, const SWrappedText& wrapped, const SWrapLine& line)
{
    strOut.append(line.nPad, ' ');
    strOut.append(wrapped.strText, line.nStart, line.nLength);
}

// The layout's working buffers, kept by each printing thread from one
// message to the next so that a message allocates nothing once they have
// grown to a document's longest text. (Layout calls never nest.)
struct SLayoutBuffers
{
    std::vector<SWrappedText> vecColumns;
    std::string strOut;
};

SLayoutBuffers& LayoutBuffers()
{
    thread_local SLayoutBuffers t_buffers;
    return t_buffers;
}

// An unusually long text leaves no lasting buffer behind.
void ReleaseLargeBuffers(SLayoutBuffers& buffers)
{
    constexpr size_t kKeep = 64 * 1024;
    if (buffers.strOut.capacity() > kKeep) {
        std::string().swap(buffers.strOut);
    }
    for (SWrappedText& wrapped : buffers.vecColumns) {
        if (wrapped.strText.capacity() > kKeep) {
            std::string().swap(wrapped.strText);
            std::vector<SWrapLine>().swap(wrapped.vecLines);
        }
    }
}

// A whole number from decimal text; 0 when it does not begin with one,
// clamped to int.
int ToInt(const std::string& strNumber)
{
    const long long nValue = std::strtoll(strNumber.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(nValue, INT_MIN, INT_MAX));
}

// Adds without overflow: an order with absurd amounts must not wrap round.
void AddClamped(int& nSum, int nValue)
{
    const long long nTotal = static_cast<long long>(nSum) + nValue;
    nSum = static_cast<int>(std::clamp<long long>(nTotal, INT_MIN, INT_MAX));
}

std::string LastChars(const std::string& strText, size_t nCount)
{
    return strText.size() <= nCount ? strText : strText.substr(strText.size() - nCount);
}

struct SWord
{
    const char* pszCode;
    const char* pszWord;
};

const char* FindWord(const SWord* pTable, size_t nCount, const std::string& strCode)
{
    for (size_t i = 0; i < nCount; ++i) {
        if (strCode == pTable[i].pszCode) {
            return pTable[i].pszWord;
        }
    }
    return nullptr;
}

// A member of a parsed option object as CjsonCtrl::RootMember reads it
// (pValue null when missing). Text: null "", a string, a boolean
// "true"/"false", anything else refused with the JSON layer's error; whole
// number: asInt in decimal.
std::string OptionMemberText(const Json::Value* pValue, int nValType)
{
    const Json::Value& value = pValue != nullptr ? *pValue : Json::Value::nullSingleton();
    if (nValType == JSON_VAL_INT) {
        return std::to_string(value.asInt());
    }
    return CjsonCtrl::ValueText(value);
}

// The record of one parsed option, its members read (and refused) in the
// order name, cnt, totAmt, groupName. An option is nearly always an object,
// whose members are found in one walk; any other value goes through
// RootMember itself, for its log line and refusals.
void ReadOptionRecord(const Json::Value& option, PrintOptionInfo& record)
{
    if (!option.isObject()) {
        record.strName = CjsonCtrl::RootMember(option, "name", JSON_VAL_STRING);
        record.strCnt = CjsonCtrl::RootMember(option, "cnt", JSON_VAL_INT);
        record.strTotAmt = CjsonCtrl::RootMember(option, "totAmt", JSON_VAL_INT);
        record.strGroupName = CjsonCtrl::RootMember(option, "groupName", JSON_VAL_STRING);
        return;
    }
    const Json::Value* pName = nullptr;
    const Json::Value* pCnt = nullptr;
    const Json::Value* pTotAmt = nullptr;
    const Json::Value* pGroupName = nullptr;
    const auto itEnd = option.end();
    for (auto it = option.begin(); it != itEnd; ++it) {
        const char* pEnd = nullptr;
        const char* pBegin = it.memberName(&pEnd);
        const std::string_view key(pBegin, static_cast<size_t>(pEnd - pBegin));
        if (key == "name") {
            pName = &*it;
        } else if (key == "cnt") {
            pCnt = &*it;
        } else if (key == "totAmt") {
            pTotAmt = &*it;
        } else if (key == "groupName") {
            pGroupName = &*it;
        }
    }
    record.strName = OptionMemberText(pName, JSON_VAL_STRING);
    record.strCnt = OptionMemberText(pCnt, JSON_VAL_INT);
    record.strTotAmt = OptionMemberText(pTotAmt, JSON_VAL_INT);
    record.strGroupName = OptionMemberText(pGroupName, JSON_VAL_STRING);
}

} // namespace

int CPrintBase::SetPrintData(CPrinterCommunicate* pPrinter, CPrintData* pData,
                             CPrinterSetting* pSetting, int nPrintFlag, int nBottomLineFeed)
{
    const char* pszTag = "CPrintBase::SetPrintData";
    m_bReady = 0;
    if (pPrinter == nullptr || pData == nullptr || pSetting == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL Pointer", pszTag);
        return E_SET_NULL_PARAM;
    }
    m_pPrintData = pData;
    m_pPrinter = pPrinter;
    m_pSetting = pSetting;
    if (pData->IsSetJsonData() == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] IsSetJsonData Fail", pszTag);
        return E_SET_NOT_PARSED;
    }
    if (pPrinter->IsSuccessOpenPrinter == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] IsSuccessOpenPrinter Fail", pszTag);
        return E_SET_NOT_OPEN;
    }
    const int nLineType = pSetting->GetPrintLineType();
    if (SetPrintLineCharacterInfo(nLineType) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SetPrintLineCharacterInfo Fail... Length Type [%d]", pszTag,
                  nLineType);
        return E_SET_LINE_TYPE;
    }
    m_nServiceType = GetEnumServiceType(pData->GetServiceType(), pData->GetSubServiceType(),
                                        pData->GetReserveFlag());
    m_nPrintFlag = nPrintFlag;
    m_nBottomLineFeed = nBottomLineFeed;
    LOG_PRINT(
        LOG_DEBUG,
        "[%s] Success... 가로라인 [%d], 하단줄바꿈 [%d], 고객요청사항 크기 : [%d], 기사님께 "
        "크기 :[%d], 메뉴명 크기 : [%d], 원산지 크기 : [%d](2 :작게, 1:기본, 0:크게), "
        "ServiceType [%d], 매수 : 픽업주문서(%d) 픽업영수증(%d) 배달주문서(%d) 배달영수증(%d)",
        pszTag, m_nLineCharacter, m_nBottomLineFeed, pSetting->GetReqCustomerSize(),
        pSetting->GetReqDelivererSize(), pSetting->GetMenunameSize(), pSetting->GetOriginSize(),
        m_nServiceType, pSetting->GetPrintCnt(), pSetting->GetPickupPaymentPrintCnt(),
        pSetting->GetDeliveryPrintCnt(), pSetting->GetDeliveryPaymentPrintCnt());
    m_bReady = 1;
    return E_SET_OK;
}

int CPrintBase::Printer_PrintMsg(int nWidth, const std::string& strText, int nAlign, int nLineFeed,
                                 int nMode)
{
    if (strText.empty() || nWidth == 0) {
        return E_LAYOUT_EMPTY;
    }
    SLayoutBuffers& buffers = LayoutBuffers();
    if (buffers.vecColumns.empty()) {
        buffers.vecColumns.resize(1);
    }
    SWrappedText& wrapped = buffers.vecColumns[0];
    WrapText(wrapped, nWidth, strText, nAlign == PRINT_ALIGN_RIGHT ? 1 : 0, nMode, 0);
    std::string& strJoined = buffers.strOut;
    strJoined.clear();
    for (size_t i = 0; i < wrapped.vecLines.size(); ++i) {
        if (i > 0) {
            strJoined += "\r\n";
        }
        AppendLine(strJoined, wrapped, wrapped.vecLines[i]);
    }
    if (m_pPrinter != nullptr) {
        // The wrap leaves no NUL byte (a control byte prints as a blank).
        m_pPrinter->Printer_Send_Msg(strJoined.data(), strJoined.size(), nLineFeed, nMode,
                                     nAlign == PRINT_ALIGN_CENTER ? 1 : 0);
    }
    ReleaseLargeBuffers(buffers);
    return E_LAYOUT_OK;
}

int CPrintBase::PrintRule(char ch)
{
    return m_pPrinter->Printer_Send_Msg(RepeatChar(ch, m_nLineCharacter).c_str(), 1, 0x00, 0);
}

int CPrintBase::GetMemoMode(int nSize)
{
    switch (nSize) {
    case E_PRINT_SIZE_LARGE:
        return 0x38;
    case E_PRINT_SIZE_NORMAL:
        return 0x10;
    default:
        return 0x08;
    }
}

int CPrintBase::FitColumn(int nWidth, int nLength, int nMax)
{
    return nLength > nMax ? nMax : std::max(nWidth, nLength);
}

std::vector<int> CPrintBase::GetMenuColumnWidths(int nQty, int nAmt, bool bLarge) const
{
    int nName = m_nLineCharacter - nQty - nAmt - (bLarge ? 4 : 2);
    if (nName % 2 != 0) {
        --nName;
        ++nQty;
    }
    return {nName, nQty, nAmt};
}

int CPrintBase::PrintColumns(const std::vector<int>* pWidths,
                             const std::vector<std::string>* pTexts,
                             const std::vector<int>* pAligns, int bFirstColumnIndent, int nMode)
{
    if (pWidths == nullptr || pTexts == nullptr || pAligns == nullptr) {
        return E_LAYOUT_EMPTY;
    }
    if (pWidths->size() != pTexts->size() || pWidths->size() != pAligns->size()) {
        return E_LAYOUT_MISMATCH;
    }
    const size_t nColumns = pWidths->size();
    constexpr size_t kFew = 8;
    std::string_view few[kFew];
    std::vector<std::string_view> vecMany;
    std::string_view* pViews = few;
    if (nColumns > kFew) {
        vecMany.resize(nColumns);
        pViews = vecMany.data();
    }
    for (size_t i = 0; i < nColumns; ++i) {
        pViews[i] = (*pTexts)[i];
    }
    return LayColumns(pWidths->data(), pViews, pAligns->data(), nColumns, bFirstColumnIndent,
                      nMode);
}

int CPrintBase::PrintRow(std::span<const int> widths, std::initializer_list<std::string_view> texts,
                         std::span<const int> aligns, int bFirstColumnIndent, int nMode)
{
    if (widths.size() != texts.size() || widths.size() != aligns.size()) {
        return E_LAYOUT_MISMATCH;
    }
    return LayColumns(widths.data(), texts.begin(), aligns.data(), widths.size(),
                      bFirstColumnIndent, nMode);
}

int CPrintBase::LayColumns(const int* pWidths, const std::string_view* pTexts, const int* pAligns,
                           size_t nColumns, int bFirstColumnIndent, int nMode)
{
    SLayoutBuffers& buffers = LayoutBuffers();
    if (buffers.vecColumns.size() < nColumns) {
        buffers.vecColumns.resize(nColumns);
    }
    int nRows = 0;
    for (size_t i = 0; i < nColumns; ++i) {
        SWrappedText& wrapped = buffers.vecColumns[i];
        WrapText(wrapped, pWidths[i], pTexts[i], pAligns[i], nMode,
                 i == 0 && bFirstColumnIndent == 1 ? 1 : 0);
        nRows = std::max(nRows, static_cast<int>(wrapped.vecLines.size()));
    }
    // Padding counts in the wrap's own width: for double-width text that is
    // the halved width, so the row still fits the paper.
    std::string& strRows = buffers.strOut;
    strRows.clear();
    for (int r = 0; r < nRows; ++r) {
        if (r > 0) {
            strRows += "\r\n";
        }
        for (size_t i = 0; i < nColumns; ++i) {
            const SWrappedText& wrapped = buffers.vecColumns[i];
            int nAppended = 0;
            if (static_cast<size_t>(r) < wrapped.vecLines.size()) {
                const SWrapLine& line = wrapped.vecLines[static_cast<size_t>(r)];
                AppendLine(strRows, wrapped, line);
                nAppended = static_cast<int>(line.nPad + line.nLength);
            }
            if (i + 1 < nColumns) {
                const int nBlanks = wrapped.nWidth - nAppended + 1;
                if (nBlanks > 0) {
                    strRows.append(static_cast<size_t>(nBlanks), ' ');
                }
            }
        }
    }
    if (m_pPrinter != nullptr) {
        m_pPrinter->Printer_Send_Msg(strRows.data(), strRows.size(), 1, nMode, 0);
    }
    ReleaseLargeBuffers(buffers);
    return E_LAYOUT_OK;
}

void CPrintBase::SetPrintRelayDataInfo(int nWidth, const std::string& strText, int bRightAlign,
                                       PrintDataInfo* pInfo, int bIndent)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] pPrintDataInfo is Null", "CPrintBase::SetPrintRelayDataInfo");
        return;
    }
    SWrappedText wrapped;
    WrapText(wrapped, nWidth, strText, bRightAlign, pInfo->nMode, bIndent);
    pInfo->nWidth = wrapped.nWidth;
    pInfo->vecLines.clear();
    for (const SWrapLine& line : wrapped.vecLines) {
        std::string strLine;
        AppendLine(strLine, wrapped, line);
        pInfo->vecLines.push_back(std::move(strLine));
    }
    pInfo->nLineCount = static_cast<int>(pInfo->vecLines.size());
}

std::string CPrintBase::PrintableText(const std::string& strText)
{
    std::string strOut;
    AppendPrintable(strOut, strText);
    return strOut;
}

int CPrintBase::IsCheckChar2ByteFirstChar(const std::string& strText, int nStart, int nEnd)
{
    const int nSize = static_cast<int>(strText.size());
    if (nStart < 0 || nEnd < 0 || nSize < nStart || nSize < nEnd) {
        LOG_PRINT(LOG_ERROR, "[%s] String Index Error String [%s : %d] Check Index [%d : %d]",
                  "CPrintBase::IsCheckChar2ByteFirstChar", strText.c_str(), nSize, nStart, nEnd);
        return 0;
    }
    if (nEnd <= nStart) {
        return 0;
    }
    return EndsInsideChar(strText, nStart, nEnd) ? 1 : 0;
}

int CPrintBase::GetEnumServiceType(const std::string& strServiceType,
                                   const std::string& strSubServiceType,
                                   const std::string& strReserveFlag)
{
    if (strServiceType == "TABLE") {
        return PRINT_SERVICE_TYPE_TABLE;
    }
    if (strServiceType == "PICKUP") {
        if (strReserveFlag == "N") {
            return strSubServiceType == "DELIVERY" ? PRINT_SERVICE_TYPE_PICKUP_DELIVERY
                                                   : PRINT_SERVICE_TYPE_PICKUP;
        }
        return PRINT_SERVICE_TYPE_PICKUP_RESERVED;
    }
    if (strServiceType == "RESERVE") {
        return strReserveFlag == "Y" ? PRINT_SERVICE_TYPE_RESERVE_RESERVED
                                     : PRINT_SERVICE_TYPE_RESERVE;
    }
    if (strServiceType == "DELIVERY") {
        return strReserveFlag == "Y" ? PRINT_SERVICE_TYPE_DELIVERY_RESERVED
                                     : PRINT_SERVICE_TYPE_DELIVERY;
    }
    LOG_PRINT(LOG_WARN, "[%s] Unknown ServiceType [%s] SubServiceType [%s] ReserveFlag [%s]",
              "CPrintBase::GetEnumServiceType", strServiceType.c_str(), strSubServiceType.c_str(),
              strReserveFlag.c_str());
    return PRINT_SERVICE_TYPE_UNKNOWN;
}

#define PRINT_BASE_REQUIRE_DATA(pszTag)                                                            \
    do {                                                                                           \
        if (m_pPrintData == nullptr) {                                                             \
            LOG_PRINT(LOG_ERROR, "[%s] PrintData NULL Pointer", pszTag);                           \
            return std::string();                                                                  \
        }                                                                                          \
    } while (0)

std::string CPrintBase::GetPrintServiceName()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintServiceName");
    switch (m_nServiceType) {
    case PRINT_SERVICE_TYPE_TABLE:
        return "테이블";
    case PRINT_SERVICE_TYPE_PICKUP:
    case PRINT_SERVICE_TYPE_RESERVE:
    case PRINT_SERVICE_TYPE_PICKUP_RESERVED:
    case PRINT_SERVICE_TYPE_RESERVE_RESERVED:
        return "포장";
    case PRINT_SERVICE_TYPE_DELIVERY:
    case PRINT_SERVICE_TYPE_DELIVERY_RESERVED:
    case PRINT_SERVICE_TYPE_PICKUP_DELIVERY:
        return "배달";
    default:
        return std::string();
    }
}

std::string CPrintBase::GetPrintChannelType()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintChannelType");
    static const SWord kChannels[] = {
        {"ORDER_PICK", "QR주문"}, {"FENWA", "펜와"},    {"GYEONGGI", "배달특급"},
        {"YOGIYO", "요기요"},     {"COUPANG", "쿠팡"},  {"BAEMIN", "배달의민족"},
        {"NAVER", "네이버"},      {"WMPO", "위메프오"}, {"KAKAO", "카카오"},
        {"NONE", "전화주문"},
    };
    const char* pszWord = FindWord(kChannels, std::size(kChannels), m_pPrintData->GetChannelType());
    return pszWord != nullptr ? std::string(pszWord) : m_pPrintData->GetSourceTypeName();
}

std::string CPrintBase::GetPrintPayTime()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintPayTime");
    const std::string& strPayTime = m_pPrintData->GetPayTime();
    if (strPayTime == "IN_ADVANCE") {
        return "선결제";
    }
    if (strPayTime == "ON_TIME") {
        return "현장결제";
    }
    return std::string();
}

std::string CPrintBase::GetPrintPayType()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintPayType");
    static const SWord kPayTypes[] = {
        {"CREDIT", "신용/체크카드"},
        {"MOBILE", "휴대폰"},
        {"CASH", "현금"},
        {"POINT", "펜와포인트"},
        {"MEAL", "펜와식권"},
        {"ZERO_PAY_TICKET", "제로페이상품권"},
        {"ETICKET", "E-상품권"},
        {"GYEONGGI_PAY", "경기지역화폐"},
    };
    const char* pszWord =
        FindWord(kPayTypes, std::size(kPayTypes), m_pPrintData->GetDeferPayType());
    return pszWord != nullptr ? std::string(pszWord) : std::string();
}

std::string CPrintBase::GetPrintTelNo()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintTelNo");
    const bool bDelivery = m_nServiceType >= PRINT_SERVICE_TYPE_DELIVERY &&
                           m_nServiceType <= PRINT_SERVICE_TYPE_PICKUP_DELIVERY;
    return FormatPhone(bDelivery ? m_pPrintData->GetDeliveryTelNo() : m_pPrintData->GetTelNo());
}

std::string CPrintBase::GetPrintSafeTelNo()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintSafeTelNo");
    const std::string& strSafeTelNo = m_pPrintData->GetSafeTelNo();
    return strSafeTelNo.empty() ? GetPrintTelNo() : FormatPhone(strSafeTelNo);
}

std::string CPrintBase::GetPrintCustomerInfo()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintCustomerInfo");
    const std::string& strWaitNo = m_pPrintData->GetWaitNo();
    const std::string& strSafeTelNo = m_pPrintData->GetSafeTelNo();
    const std::string& strTelNo = m_pPrintData->GetTelNo();
    if (m_pPrintData->GetChannelType() == "COUPANG" && !strWaitNo.empty()) {
        return strWaitNo;
    }
    if (m_pPrintData->GetServiceType() == "DELIVERY") {
        if (!strSafeTelNo.empty()) {
            return LastChars(strSafeTelNo, 4);
        }
        return LastChars(strTelNo, 4);
    }
    if (!strWaitNo.empty() && strWaitNo == strTelNo) {
        return LastChars(strSafeTelNo.empty() ? strWaitNo : strSafeTelNo, 4);
    }
    return strWaitNo;
}

std::string CPrintBase::GetPrintOrderTime()
{
    PRINT_BASE_REQUIRE_DATA("CPrintBase::GetPrintOrderTime");
    const std::string& strNo = m_pPrintData->GetNo();
    if (strNo.size() < 15) {
        LOG_PRINT(LOG_ERROR, "[%s] No 길이 [%s] 오류... ", "CPrintBase::GetPrintOrderTime",
                  strNo.c_str());
        return std::string();
    }
    // "YYYY-MM-DD hh:mm:ss" from "YYYYMMDDhhmmss...".
    std::string strTime;
    strTime.reserve(19);
    strTime.append(strNo, 0, 4);
    for (size_t nPos = 4; nPos < 14; nPos += 2) {
        strTime += nPos == 8 ? ' ' : (nPos < 8 ? '-' : ':');
        strTime.append(strNo, nPos, 2);
    }
    return strTime;
}

std::string CPrintBase::GetPrintTime(const std::string& strTime, int nForm)
{
    const char* pszTag = "CPrintBase::GetPrintTime";
    if (nForm == 1) {
        if (strTime.size() < 8) {
            const char* pszFallback = "--월 --일";
            LOG_PRINT(LOG_ERROR, "[%s] Cannot parse time. (Reason : Invalid Time, Return : %s)",
                      pszTag, pszFallback);
            return pszFallback;
        }
        const std::string strMonth =
            strTime[4] == '0' ? strTime.substr(5, 1) : strTime.substr(4, 2);
        const std::string strDay = strTime[6] == '0' ? strTime.substr(7, 1) : strTime.substr(6, 2);
        return strMonth + "월" + " " + strDay + "일";
    }
    if (strTime.size() < 12) {
        const char* pszFallback = "--:--";
        LOG_PRINT(LOG_ERROR, "[%s] Cannot parse time. (Reason : Invalid Time, Return : %s)", pszTag,
                  pszFallback);
        return pszFallback;
    }
    return strTime.substr(8, 2) + ":" + strTime.substr(10, 2);
}

std::string CPrintBase::GetPrintCurrentTime()
{
    const platform::LocalTime now = platform::GetLocalTime();
    char szTime[64] = {};
    std::snprintf(szTime, sizeof(szTime), "%04d-%02d-%02d %02d:%02d:%02d", now.nYear, now.nMonth,
                  now.nDay, now.nHour, now.nMinute, now.nSecond);
    return szTime;
}

std::string CPrintBase::GetPrintParenText(const std::string& strText)
{
    return strText.empty() ? std::string() : "(" + strText + ")";
}

void CPrintBase::GetDiscountAmtInfo(int& nPointSum, int& nGiftCardSum, int& nTakeoutSum,
                                    int& nVoucherSum, std::vector<int>& vecServiceCoupons,
                                    std::vector<int>& vecOwnerCoupons, int& nOtherSum)
{
    const char* pszTag = "CPrintBase::GetDiscountAmtInfo";
    if (m_pPrintData == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] PrintData NULL Pointer", pszTag);
        return;
    }
    const std::vector<Json::Value>& vecDiscounts = m_pPrintData->GetDiscountValues();
    for (size_t i = 0; i < vecDiscounts.size(); ++i) {
        const Json::Value& discount = vecDiscounts[i];
        std::string strType;
        int nAmt = 0;
        int nCompanyAmt = 0;
        // A member of a type that cannot be read drops this discount only.
        try {
            strType = CjsonCtrl::RootMember(discount, "type", JSON_VAL_STRING);
            nAmt = ToInt(CjsonCtrl::RootMember(discount, "amt", JSON_VAL_INT));
            if (strType == "MEMBERSHIP_COUPON") {
                nCompanyAmt = ToInt(CjsonCtrl::RootMember(discount, "companyAmt", JSON_VAL_INT));
            }
        } catch (const std::exception& e) {
            LOG_PRINT(LOG_ERROR, "[%s] Json Exception [%s] Discounts Index [%d]", pszTag, e.what(),
                      static_cast<int>(i));
            continue;
        }
        if (strType == "MEMBERSHIP_POINT") {
            AddClamped(nPointSum, nAmt);
        } else if (strType == "GIFT_CARD") {
            AddClamped(nGiftCardSum, nAmt);
        } else if (strType == "TAKEOUT") {
            AddClamped(nTakeoutSum, nAmt);
        } else if (strType == "VOUCHER") {
            AddClamped(nVoucherSum, nAmt);
        } else if (strType == "MEMBERSHIP_COUPON") {
            (nCompanyAmt != 0 ? vecServiceCoupons : vecOwnerCoupons).push_back(nAmt);
        } else {
            AddClamped(nOtherSum, nAmt);
        }
    }
}

void CPrintBase::GetMenuOptionsInfo(const std::vector<std::string>& vecOptions,
                                    std::vector<PrintOptionInfo>& vecRecords,
                                    std::vector<std::string>& vecGroups)
{
    for (size_t i = 0; i < vecOptions.size(); ++i) {
        CjsonCtrl json;
        if (!json.SetRecvDataLocal(vecOptions[i], 0, 0)) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Options Fail... Index [%d]",
                      "CPrintBase::GetMenuOptionsInfo", static_cast<int>(i));
            continue;
        }
        AddMenuOption(json.Root(), i, vecRecords, vecGroups);
    }
}

void CPrintBase::GetMenuOptionsInfo(const Json::Value& options,
                                    std::vector<PrintOptionInfo>& vecRecords,
                                    std::vector<std::string>& vecGroups)
{
    size_t i = 0;
    for (const Json::Value& option : options) {
        AddMenuOption(option, i++, vecRecords, vecGroups);
    }
}

void CPrintBase::AddMenuOption(const Json::Value& option, size_t nIndex,
                               std::vector<PrintOptionInfo>& vecRecords,
                               std::vector<std::string>& vecGroups)
{
    PrintOptionInfo record;
    try {
        ReadOptionRecord(option, record);
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] Json Exception [%s] Options Index [%d]",
                  "CPrintBase::GetMenuOptionsInfo", e.what(), static_cast<int>(nIndex));
        return;
    }
    if (record.strGroupName.empty()) {
        record.strGroupName = OPTION_GROUP_NAME_EMPTY;
    }
    if (std::find(vecGroups.begin(), vecGroups.end(), record.strGroupName) == vecGroups.end()) {
        vecGroups.push_back(record.strGroupName);
    }
    vecRecords.push_back(std::move(record));
}
