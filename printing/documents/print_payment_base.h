// The priced body that the customer receipt and the delivery receipt share:
// store rows, memo label, the menu table with quantities and amounts, the
// discount and total rows, and the sign rules of their amounts.
#pragma once

#include "printing/print_base.h"

#include <functional>
#include <json/value.h>
#include <string>
#include <string_view>
#include <vector>

class CPrintPaymentBase : public CPrintBase
{
public:
    // Line type 0: W 42, 1: W 48, both with their menu-column bounds; 0.
    // Any other type: 6 (logged), and SetPrintData refuses the document.
    int SetPrintLineCharacterInfo(int nLineType) override;

    // Result of SetPrintLineCharacterInfo for an unsupported line type.
    static constexpr int E_LINE_TYPE_NOT_SUPPORTED = 6;

    // Menu-column bounds of a line type: W, the minimum and maximum of the
    // quantity and amount columns in the normal and small menu size, and
    // their fixed widths in the large size. The test page lays out its
    // sample menu with the same bounds.
    struct SMenuColumnBounds
    {
        int nLineCharacter;
        int nQtyMin;
        int nQtyMax;
        int nAmtMin;
        int nAmtMax;
        int nLargeQty;
        int nLargeAmt;
    };
    // The bounds of line type 0 (42) or 1 (48); null for any other.
    static const SMenuColumnBounds* GetMenuColumnBounds(int nLineType);

    // A decimal text as received, as a whole number: optional sign and
    // leading digits, 0 when it does not begin with a number, held to the
    // int range.
    static int ToAmount(const std::string& strNumber);

protected:
    // pszClassName names the document in its log lines ("CPrintPayment").
    explicit CPrintPaymentBase(const char* pszClassName) : m_pszClassName(pszClassName) {}

    // "[CPrintPayment::Method]"-style tag of a log line.
    std::string Tag(const char* pszMethod) const;

    bool IsCancelPrint() const { return (m_nPrintFlag & PRINT_FLAG_CANCEL) != 0; }
    bool IsReprint() const { return (m_nPrintFlag & PRINT_FLAG_REPRINT) != 0; }

    // Runs fnCopies for the count, then fnCopy once per copy, logging
    // "<pszDocument> 출력 시작" before each; stops at the first copy that
    // fails. A conversion the JSON library refuses ends the document with
    // a log line, not the print thread. 0, or 1 when a copy failed.
    int PrintEveryCopy(const char* pszTag, const char* pszDocument,
                       const std::function<int()>& fnCopies, const std::function<int()>& fnCopy);

    // The head of a receipt copy: printer init, the reprint banner,
    // "영수증 (strService[-channel])" and the pay-time banner, logging
    // failures as call sites 1 to 4 of pszTag. 0, or 1 when a piece failed.
    int PrintPaymentHead(const char* pszTag, const std::string& strService);

    // The owner memo label and its memo, logging failures as call sites
    // nSite and nSite + 1 of pszTag. 0, or 1 when one failed.
    int PrintOwnerMemoRows(const char* pszTag, int nSite);

    // The origin notice after a line feed, when it is enabled and present;
    // failures log as call site nFeedSite (line feed) and 21 (text) of
    // pszTag. 0, or 1 when one failed.
    int PrintOriginNotice(const char* pszTag, int nFeedSite);

    // The four shop rows (label column 12, value column W - 13). Their
    // results are not checked: a missing shop value must not stop a receipt.
    void PrintStoreRows();

    // "[사장님께]" followed by the pay time and pay type in parentheses,
    // e.g. "[사장님께](현장결제(현금))".
    std::string GetOwnerMemoLabel();
    // "- 현장결제(...) -" / "- 선결제 -" by payTime, "" for anything else.
    std::string GetPayTimeBanner();
    // The owner memo, or "없음" when there is none.
    std::string GetOwnerMemo();

    // Print modes from the size settings (0 large, 1 normal, 2 small).
    static int GetOriginMode(int nSize);

    // Menu table: column widths, heading, rows with options, closing rule.
    // Nothing in it stops the copy; 0.
    int PrintPaymentMenusInfo();
    // [name, quantity, amount] widths measured on the menus' own quantity
    // and amount texts (options do not take part), from the parsed menu
    // elements or their texts; 0.
    int GetParsedMenusLineCharacter(std::vector<int>& vecWidths,
                                    const std::vector<Json::Value>& vecMenus);
    int GetPaymentLineMenusCharacter(std::vector<int>& vecWidths,
                                     const std::vector<std::string>& vecMenus);
    int PrintPaymentMenus(const std::vector<int>& vecWidths,
                          const std::vector<Json::Value>& vecMenus);

    // Coupon and discount rows with their rules, then the total; only logs.
    void PrintPaymentDiscountAndTotal();
    // One price row: label left in 30 columns, amount right in W - 31.
    void PrintPriceRow(std::string_view strLabel, std::string_view strAmount);

    // Amount with thousands separators; "-" in front when bMinus and the
    // value is above 0.
    static std::string SignedAmountText(int nValue, bool bMinus);
    // Quantity in plain decimal, signed the same way.
    static std::string SignedQuantityText(int nValue, bool bMinus);

private:
    bool IsLargeMenuName();

    const char* m_pszClassName;
    // Menu-column bounds of the line type: normal/small minimum and
    // maximum of the quantity and amount columns, and the fixed widths of
    // the large menu size.
    int m_nQtyMin = 0;
    int m_nQtyMax = 0;
    int m_nAmtMin = 0;
    int m_nAmtMax = 0;
    int m_nLargeQty = 0;
    int m_nLargeAmt = 0;
};
