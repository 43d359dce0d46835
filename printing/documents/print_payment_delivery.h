// The delivery receipt: the customer receipt's priced body plus what the
// rider needs (contact number, address, rider memo) and the delivery fee.
// It prints for delivery orders only.
#pragma once

#include "printing/documents/print_payment_base.h"

#include <string>

class CPrintPaymentDelivery : public CPrintPaymentBase
{
public:
    // Reads USE_NEWADDR of [PRINT] in the program folder's Config.ini (from
    // the shop files' copy, read again after a change of the file; once
    // per object, that is once per print job).
    CPrintPaymentDelivery();

    // Prints every copy, each ending in a cut. 0 when printed or when the
    // order is not a delivery; 1 when not ready or a piece failed (the
    // failed copy is not cut, later copies not printed).
    int StartPrintData() override;

    // 1 when road-name addresses are preferred over lot-number ones.
    int GetUseNewAddr() const { return m_bUseNewAddr; }

protected:
    int GetPrintCopies();
    // One whole copy from init to cut; 0 or 1.
    int StartPrintDeliveryOrderPayment();
    // Store rows, a rule, and for a reserved delivery the due time between
    // rules; 0, or 1 when a rule or the due time failed.
    int PrintDeliveryOrderPaymentTitle();
    // The delivery fee and its rule, then the discount rows and the total; 0.
    int PrintPaymentPriceInfo();

    // The address and its detail, each chosen on its own by the road-name
    // preference (the other kind when the preferred one is empty).
    std::string GetDeliveryAddress();
    std::string GetDeliveryAddressDetail();

private:
    int m_bUseNewAddr = 1;
};
