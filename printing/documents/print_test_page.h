// The test page that the print settings dialog prints to check a printer: a
// receipt-shaped page of fixed sample content in the configured text sizes.
#pragma once

#include "printing/documents/print_payment_base.h"
#include "printing/print_base.h"

#include <string>
#include <vector>

class CPrintTestPage : public CPrintBase
{
public:
    // Where the page reads its text sizes and option-group setting; the
    // process-wide store unless SetSettingStore names another (the dialog's
    // on-screen values, a test's store).
    CPrintTestPage();

    using CPrintBase::SetPrintData;
    // The printer-check form: the printer, an ignored order pointer, the line
    // type (0: 42, 1: 48 columns), an ignored flag and the bottom line feeds.
    // 0 ready; 3 printer not open; 1 line type not supported.
    int SetPrintData(CPrinterCommunicate* pPrinter, CPrintData* pUnused, int nLineType, int nUnused,
                     int nBottomLineFeed);
    void SetSettingStore(CPrinterSetting* pSetting) { m_pSetting = pSetting; }

    // Prints the one copy: 0, or 1 when not ready or a fatal piece failed (no
    // cut is sent after a failure).
    int StartPrintData() override;
    // 0 sets W 42, 1 sets W 48, both with the customer receipt's menu-column
    // bounds; anything else 6.
    int SetPrintLineCharacterInfo(int nLineType) override;

    // The built-in sample menu, the page's only menu element.
    static const char* SampleMenu();

private:
    void PrintStoreRows();
    void PrintMenusInfo();
    // [name, quantity, amount] widths over the sample menu, as on the receipt.
    std::vector<int> GetMenusLineCharacter(const std::string& strCnt, const std::string& strAmt,
                                           bool bLarge) const;
    int MemoMode() const;

    // The customer receipt's menu-column bounds of the line type.
    CPrintPaymentBase::SMenuColumnBounds m_Bounds{};
};
