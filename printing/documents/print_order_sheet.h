// The kitchen order sheet: what to prepare, for whom and by when, with the
// owner memo and the menus with their quantities and options; no prices.
#pragma once

#include "printing/print_base.h"

#include <json/value.h>
#include <string>
#include <vector>

class CPrintOrderSheet : public CPrintBase
{
public:
    CPrintOrderSheet() = default;
    ~CPrintOrderSheet() override = default;

    // Prints every copy, each starting with ESC @ and ending with a cut. 0
    // when all copies were printed and cut; 1 when the document is not ready
    // or a piece failed (nothing more is printed, no cut after the failure).
    int StartPrintData() override;
    // W and the quantity-column bounds for line type 0 (42) or 1 (48); 6 for
    // any other type.
    int SetPrintLineCharacterInfo(int nLineType) override;

    // Copies of this job: 1 for a re-print or cancel print and for table or
    // unknown orders, else the pickup or delivery sheet count.
    int GetPrintCopies();
    // The body of one copy (no init, no cut). 0, or 1 when a piece failed.
    int StartPrintOrderSheet();
    // [name column width, quantity column width] for the menus (parsed
    // elements, or their texts); the name column always has an even width.
    // 0.
    int GetOrderSheetMenusLineCharacter(std::vector<int>* pWidths,
                                        const std::vector<Json::Value>& vecMenus);
    int GetOrderSheetMenusLineCharacter(std::vector<int>* pWidths,
                                        const std::vector<std::string>& vecMenus);
    // The menu block: heading, rule, each menu with its options grouped.
    // Nothing in it aborts the copy. 0.
    int PrintOrderSheetMenus(const std::vector<int>* pWidths,
                             const std::vector<Json::Value>& vecMenus);
    int PrintOrderSheetMenus(const std::vector<int>* pWidths,
                             const std::vector<std::string>& vecMenus);

    // Print modes chosen by the size settings (for the layout and tests).
    static int GetMenuHeadingMode(int nMenunameSize);
    static int GetMenuRowMode(int nMenunameSize);
    static int GetOptionMode(int nMenunameSize);

private:
    int PrintHead();
    int PrintIdentity();
    int PrintTail();
    // The order-number line: "주문번호:" and the text, large and centred.
    int PrintOrderNumberLine(const std::string& strNumber);
    int IsCancelPrint() const { return (m_nPrintFlag & PRINT_FLAG_CANCEL) != 0; }

    int m_nQuantityMin = 0;
    int m_nQuantityMax = 0;
    int m_nQuantityMinLarge = 0;
    int m_nQuantityMaxLarge = 0;
};
