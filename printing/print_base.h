// Base of every printed document: binds one order, one open printer and the
// settings store, lays text out in CP949 byte columns without ever splitting a
// two-byte character, and turns the order's coded values into printed words.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CPrintData;
class CPrinterCommunicate;
class CPrinterSetting;

namespace Json {
class Value;
}

// Kinds of service derived from an order (GetEnumServiceType). 1 to 4 are the
// pickup kinds, 5 to 7 the delivery kinds.
enum EPrintServiceType
{
    PRINT_SERVICE_TYPE_UNKNOWN = -1,
    PRINT_SERVICE_TYPE_TABLE = 0,
    PRINT_SERVICE_TYPE_PICKUP = 1,
    PRINT_SERVICE_TYPE_RESERVE = 2,
    PRINT_SERVICE_TYPE_PICKUP_RESERVED = 3,
    PRINT_SERVICE_TYPE_RESERVE_RESERVED = 4,
    PRINT_SERVICE_TYPE_DELIVERY = 5,
    PRINT_SERVICE_TYPE_DELIVERY_RESERVED = 6,
    PRINT_SERVICE_TYPE_PICKUP_DELIVERY = 7,
};

// Print flags handed to a document by the caller.
enum EPrintFlag
{
    PRINT_FLAG_REPRINT = 0x1,
    PRINT_FLAG_CANCEL = 0x2,
};

// Bits of the ESC ! print-mode byte that the layout cares about.
enum EPrintModeBit
{
    PRINT_MODE_EMPHASIZED = 0x08,
    PRINT_MODE_DOUBLE_HEIGHT = 0x10,
    PRINT_MODE_DOUBLE_WIDTH = 0x20,
};

// Alignments of Printer_PrintMsg (PrintColumns uses 0 left, 1 right).
enum EPrintAlign
{
    PRINT_ALIGN_LEFT = 0,
    PRINT_ALIGN_CENTER = 1,
    PRINT_ALIGN_RIGHT = 2,
};

// One text wrapped to one width. The caller sets nMode before the wrap; the
// wrap fills the rest (nWidth already halved for double-width text).
struct PrintDataInfo
{
    std::vector<std::string> vecLines;
    int nWidth = 0;
    int nLineCount = 0;
    int nMode = 0;
};

// One option of a menu as GetMenuOptionsInfo files it; count and total
// amount stay decimal text as received.
struct PrintOptionInfo
{
    std::string strGroupName;
    std::string strName;
    std::string strCnt;
    std::string strTotAmt;
};

class CPrintBase
{
public:
    // Results of SetPrintData.
    enum
    {
        E_SET_OK = 0,
        E_SET_LINE_TYPE = 1,  // the document does not support the line type
        E_SET_NOT_PARSED = 2, // the order data holds no parsed order
        E_SET_NOT_OPEN = 3,   // the printer is not open
        E_SET_NULL_PARAM = 5, // a pointer is missing
    };
    // Results of the layout services.
    enum
    {
        E_LAYOUT_OK = 0,
        E_LAYOUT_EMPTY = 5,    // empty text, width 0 or a missing list
        E_LAYOUT_MISMATCH = 7, // column lists of different lengths
    };

    // The group name an option without one is filed under.
    static constexpr const char* OPTION_GROUP_NAME_EMPTY = "OPTION_GROUP_NAME_EMPTY";

    CPrintBase() = default;
    virtual ~CPrintBase() = default;
    CPrintBase(const CPrintBase&) = delete;
    CPrintBase& operator=(const CPrintBase&) = delete;

    // Binds the document to an open printer and a parsed order and sets the
    // line width from the settings' line type. 0 ready; 1 line type not
    // supported; 2 order not parsed; 3 printer not open; 5 a null pointer.
    // The pointers stay owned by the caller, who keeps them alive until the
    // document is done.
    virtual int SetPrintData(CPrinterCommunicate* pPrinter, CPrintData* pData,
                             CPrinterSetting* pSetting, int nPrintFlag, int nBottomLineFeed);
    // Prints the document (every copy); 0 or the document's failure code.
    virtual int StartPrintData() = 0;
    // Sets W (and the document's column bounds) for line type 0 (42) or 1
    // (48); non-zero when the type is not supported.
    virtual int SetPrintLineCharacterInfo(int nLineType) = 0;

    // --- layout -------------------------------------------------------------

    // Prints one text wrapped to nWidth; nAlign 0 left, 1 centre, 2 right.
    // 0 once handed to the printer (send failures show at the cut); 5 for an
    // empty text or a width of 0.
    int Printer_PrintMsg(int nWidth, const std::string& strText, int nAlign, int nLineFeed,
                         int nMode);

    // Prints one row of side-by-side wrapped columns: every column takes its
    // width plus one separating blank; alignment 1 right, 0 left; with
    // bFirstColumnIndent the first column's continuation lines start with
    // four blanks. 0; 5 for a missing list; 7 for lists of different length.
    int PrintColumns(const std::vector<int>* pWidths, const std::vector<std::string>* pTexts,
                     const std::vector<int>* pAligns, int bFirstColumnIndent, int nMode);
    int PrintColumns(const std::vector<int>& vecWidths, const std::vector<std::string>& vecTexts,
                     const std::vector<int>& vecAligns, int bFirstColumnIndent, int nMode)
    {
        return PrintColumns(&vecWidths, &vecTexts, &vecAligns, bFirstColumnIndent, nMode);
    }
    // The same row from texts the caller holds, without copying them: widths,
    // texts and alignments must be as many (else 7).
    int PrintRow(std::span<const int> widths, std::initializer_list<std::string_view> texts,
                 std::span<const int> aligns, int bFirstColumnIndent, int nMode);

    // A rule of W copies of ch sent unwrapped (mode 0x00, left, one line
    // feed); the command layer's result.
    int PrintRule(char ch);

    // Print mode of a memo from its size setting: 0x38 large, 0x10 normal,
    // 0x08 small.
    static int GetMemoMode(int nSize);

    // Menu-table columns. FitColumn widens a column of nWidth to a text of
    // nLength columns, held to nMax. GetMenuColumnWidths gives [name,
    // quantity, amount]: the name takes what W leaves after the two other
    // columns and their separating blanks (doubled in double width), and
    // stays even so whole two-byte characters fit; the spare column goes to
    // the quantity.
    static int FitColumn(int nWidth, int nLength, int nMax);
    std::vector<int> GetMenuColumnWidths(int nQty, int nAmt, bool bLarge) const;

    // Wraps strText to nWidth (halved when pInfo->nMode has 0x20) into
    // pInfo. Full lines are never aligned; the last line gets blanks in
    // front when bRightAlign is 1. With bIndent 1 every line after the first
    // starts with four blanks. An empty text yields one empty line. Line
    // breaks in the text (CR LF or LF) end a line; each line of the text is
    // wrapped on its own, as PrintableText gives it.
    static void SetPrintRelayDataInfo(int nWidth, const std::string& strText, int bRightAlign,
                                      PrintDataInfo* pInfo, int bIndent);

    // One line of order text as it may go to the printer: every control byte
    // (below 0x20, and 0x7F) becomes a blank, so text from an order can never
    // act as a printer command; a lead byte without a trail byte after it
    // (0x41..0x5A, 0x61..0x7A, 0x81..0xFE) is dropped, as on paper it would
    // take the next byte (a line end or the ESC of the next command) as its
    // second half.
    static std::string PrintableText(const std::string& strText);

    // 1 when the bytes [nStart, nEnd) of strText end inside a two-byte CP949
    // character (lead bytes 0x81..0xFE), else 0; 0 with an error line for
    // indexes past the text.
    static int IsCheckChar2ByteFirstChar(const std::string& strText, int nStart, int nEnd);

    // --- value words ----------------------------------------------------------
    // The words that read the bound order log "PrintData NULL Pointer" and
    // give "" when no order is bound.

    // The service kind of an order's serviceType / subServiceType /
    // reserveFlag (exact, case-sensitive comparisons); -1 for anything else.
    static int GetEnumServiceType(const std::string& strServiceType,
                                  const std::string& strSubServiceType,
                                  const std::string& strReserveFlag);
    // "테이블", "포장", "배달" or "" by the bound service type.
    std::string GetPrintServiceName();
    // The channel word of channelType; an unlisted channel gives the order's
    // sourceTypeName.
    std::string GetPrintChannelType();
    // "선결제" / "현장결제" for payTime IN_ADVANCE / ON_TIME, else "".
    std::string GetPrintPayTime();
    // The pay word of deferPayType, else "".
    std::string GetPrintPayType();
    // deliveryTelNo for the delivery kinds, else telNo, formatted.
    std::string GetPrintTelNo();
    // safeTelNo formatted when set, else GetPrintTelNo.
    std::string GetPrintSafeTelNo();
    // The short customer identifier printed large at the foot.
    std::string GetPrintCustomerInfo();
    // The order time from the order number `no`: "YYYY-MM-DD hh:mm:ss", or
    // "" (logged) when `no` has fewer than 15 characters.
    std::string GetPrintOrderTime();
    // nForm 1: "4월 5일" (placeholder "--월 --일"); otherwise "09:30"
    // (placeholder "--:--") from a "YYYYMMDDhhmm..." text.
    static std::string GetPrintTime(const std::string& strTime, int nForm);
    // The local time now as "YYYY-MM-DD hh:mm:ss" (no order needed).
    static std::string GetPrintCurrentTime();
    // "(text)", or "" for an empty text.
    static std::string GetPrintParenText(const std::string& strText);

    // Adds the order's discounts to the sums and coupon lists by type:
    // MEMBERSHIP_POINT, GIFT_CARD, TAKEOUT, VOUCHER sums; MEMBERSHIP_COUPON
    // amounts to vecServiceCoupons (companyAmt not 0) or vecOwnerCoupons;
    // any other type to nOtherSum. Elements that do not parse are skipped.
    void GetDiscountAmtInfo(int& nPointSum, int& nGiftCardSum, int& nTakeoutSum, int& nVoucherSum,
                            std::vector<int>& vecServiceCoupons, std::vector<int>& vecOwnerCoupons,
                            int& nOtherSum);

    // Files the options of one menu into records (in order) and distinct
    // group names (in order of first appearance): from the option element
    // texts, or from the menu's parsed "options" member (its elements).
    static void GetMenuOptionsInfo(const std::vector<std::string>& vecOptions,
                                   std::vector<PrintOptionInfo>& vecRecords,
                                   std::vector<std::string>& vecGroups);
    static void GetMenuOptionsInfo(const Json::Value& options,
                                   std::vector<PrintOptionInfo>& vecRecords,
                                   std::vector<std::string>& vecGroups);

    // State, for the print control and tests.
    int IsReady() const { return m_bReady; }
    int GetServiceType() const { return m_nServiceType; }
    int GetLineCharacter() const { return m_nLineCharacter; }
    int GetPrintFlag() const { return m_nPrintFlag; }
    int GetBottomLineFeed() const { return m_nBottomLineFeed; }

protected:
    CPrintData* m_pPrintData = nullptr;
    CPrinterCommunicate* m_pPrinter = nullptr;
    int m_bReady = 0;
    int m_nServiceType = PRINT_SERVICE_TYPE_UNKNOWN;
    int m_nLineCharacter = 0; // W: 42 or 48
    int m_nPrintFlag = 0;     // EPrintFlag bits
    int m_nBottomLineFeed = 4;
    // The store SetPrintData was given; documents read their sizes, copy
    // counts and options from it.
    CPrinterSetting* m_pSetting = nullptr;

private:
    // The row of PrintColumns over nColumns widths, texts and alignments.
    int LayColumns(const int* pWidths, const std::string_view* pTexts, const int* pAligns,
                   size_t nColumns, int bFirstColumnIndent, int nMode);
    // One parsed option element into the records; nIndex names it in the
    // log line of an element that cannot be read.
    static void AddMenuOption(const Json::Value& option, size_t nIndex,
                              std::vector<PrintOptionInfo>& vecRecords,
                              std::vector<std::string>& vecGroups);
};
