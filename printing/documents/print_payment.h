// The customer receipt: the priced ticket of pickup and reservation orders
// (table orders only when re-printed or cancel-printed; deliveries never,
// they get the delivery receipt).
#pragma once

#include "printing/documents/print_payment_base.h"

class CPrintPayment : public CPrintPaymentBase
{
public:
    CPrintPayment() : CPrintPaymentBase("CPrintPayment") {}

    // Prints every copy, each ending in a cut. 0 when printed or skipped by
    // rule (unflagged table order, any delivery), 1 when not ready or a
    // piece failed (the failed copy is not cut, later copies not printed).
    int StartPrintData() override;

protected:
    int GetPrintCopies();
    // One whole copy from init to cut; 0 or 1.
    int StartPrintPayment();
    // The discount rows and the total; 0.
    int PrintPaymentPriceInfo();
};
