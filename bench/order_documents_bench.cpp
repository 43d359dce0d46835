// Documents laid out and encoded per second: a pickup order (kitchen sheet
// and customer receipt) and a delivery order (sheet and delivery receipt)
// printed into an in-memory printer, with the shop files in the program
// folder and the log open as in a shop. BM_OrderDocuments parses the order
// every time, as the print worker does for every printer;
// BM_OrderDocumentsLayout reuses one parsed order (layout and encoding only).
#include "bench/shop_folder.h"
#include "printing/base_port.h"
#include "printing/documents/print_order_sheet.h"
#include "printing/documents/print_payment.h"
#include "printing/documents/print_payment_delivery.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using bench::CShopFolder;
using bench::ReadFixture;

// A port that only counts what the documents send.
class CCountingPort : public CBasePort
{
public:
    int OpenPort() override { return 0; }
    int InitializePort() override { return 0; }
    int ClosePort() override { return 0; }
    int64_t m_nBytes = 0;

protected:
    int SendCurrentMemoryPrintData() override
    {
        m_nBytes += m_nSendLength;
        return 0;
    }
    bool CheckOpenForSend() override { return true; }
    const char* SendDataTag() const override { return "CCountingPort::SendData"; }
};

class CMemoryPrinter : public CPrinterCommunicate
{
public:
    CMemoryPrinter()
    {
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SOCKET;
        PrinterOpen(&info);
    }
    int64_t Bytes() const { return m_pCounter != nullptr ? m_pCounter->m_nBytes : 0; }

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& /*info*/, int& /*nError*/) override
    {
        auto pPort = std::make_unique<CCountingPort>();
        m_pCounter = pPort.get();
        return pPort;
    }

private:
    CCountingPort* m_pCounter = nullptr;
};

// The shop's default settings print no customer receipt for a pickup order
// (PickupPaymentPrintCnt 0): "pickup" lays out the sheet only, though it
// counts two documents. "pickup_receipt" sets one receipt copy, so that both
// documents are laid out.
enum EOrderKind
{
    ORDER_PICKUP = 0,
    ORDER_DELIVERY = 1,
    ORDER_PICKUP_RECEIPT = 2,
};

// The settings of the run: one pickup receipt for ORDER_PICKUP_RECEIPT.
CPrinterSetting& SettingFor(CShopFolder& folder, int nKind)
{
    if (nKind == ORDER_PICKUP_RECEIPT) {
        folder.Setting().SetPickupPaymentPrintCnt(1);
    }
    return folder.Setting();
}

const char* FixtureOf(int nKind)
{
    return nKind == ORDER_DELIVERY ? "orders/receipt_delivery.json" : "orders/receipt_pickup.json";
}

// The two documents of the order as the print worker prints them: the
// sheet, then the customer or the delivery receipt; false when one fails.
bool PrintDocuments(CMemoryPrinter& printer, CPrintData& data, CPrinterSetting& setting, int nKind)
{
    CPrintOrderSheet sheet;
    if (sheet.SetPrintData(&printer, &data, &setting, 0, 4) != 0 || sheet.StartPrintData() != 0) {
        return false;
    }
    std::unique_ptr<CPrintBase> pReceipt;
    if (nKind == ORDER_DELIVERY) {
        pReceipt = std::make_unique<CPrintPaymentDelivery>();
    } else {
        pReceipt = std::make_unique<CPrintPayment>();
    }
    if (pReceipt->SetPrintData(&printer, &data, &setting, 0, 4) != 0 ||
        pReceipt->StartPrintData() != 0) {
        return false;
    }
    return printer.Printer_Send_End() == 0;
}

void Report(benchmark::State& state, const CMemoryPrinter& printer)
{
    constexpr int64_t kDocumentsPerOrder = 2;
    state.SetItemsProcessed(state.iterations() * kDocumentsPerOrder);
    state.SetBytesProcessed(printer.Bytes());
    state.counters["documents/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kDocumentsPerOrder), benchmark::Counter::kIsRate);
}

} // namespace

// Parse, sheet and receipt, log open.
static void BM_OrderDocuments(benchmark::State& state, int nKind)
{
    CShopFolder folder;
    CPrinterSetting& setting = SettingFor(folder, nKind);
    const std::string strOrder = ReadFixture(FixtureOf(nKind));
    CMemoryPrinter printer;
    for (auto _ : state) {
        CPrintData data;
        if (data.SetJsonData(strOrder) != CPrintData::E_RESULT_OK ||
            !PrintDocuments(printer, data, setting, nKind)) {
            state.SkipWithError("order not printed");
            break;
        }
    }
    Report(state, printer);
}
BENCHMARK_CAPTURE(BM_OrderDocuments, pickup, ORDER_PICKUP);
BENCHMARK_CAPTURE(BM_OrderDocuments, delivery, ORDER_DELIVERY);
BENCHMARK_CAPTURE(BM_OrderDocuments, pickup_receipt, ORDER_PICKUP_RECEIPT);

// Layout and encoding of one parsed order, log open.
static void BM_OrderDocumentsLayout(benchmark::State& state, int nKind)
{
    CShopFolder folder;
    CPrinterSetting& setting = SettingFor(folder, nKind);
    const std::string strOrder = ReadFixture(FixtureOf(nKind));
    CPrintData data;
    if (data.SetJsonData(strOrder) != CPrintData::E_RESULT_OK) {
        state.SkipWithError("order does not parse");
        return;
    }
    CMemoryPrinter printer;
    for (auto _ : state) {
        if (!PrintDocuments(printer, data, setting, nKind)) {
            state.SkipWithError("order not printed");
            break;
        }
    }
    Report(state, printer);
}
BENCHMARK_CAPTURE(BM_OrderDocumentsLayout, pickup, ORDER_PICKUP);
BENCHMARK_CAPTURE(BM_OrderDocumentsLayout, delivery, ORDER_DELIVERY);
BENCHMARK_CAPTURE(BM_OrderDocumentsLayout, pickup_receipt, ORDER_PICKUP_RECEIPT);

// Fixed counts for bench/order-syscalls, which counts the system calls of
// a run of one order and of 1001 orders: the difference is 1000 orders.
BENCHMARK_CAPTURE(BM_OrderDocuments, pickup, ORDER_PICKUP)->Iterations(1);
BENCHMARK_CAPTURE(BM_OrderDocuments, pickup, ORDER_PICKUP)->Iterations(1001);
BENCHMARK_CAPTURE(BM_OrderDocuments, delivery, ORDER_DELIVERY)->Iterations(1);
BENCHMARK_CAPTURE(BM_OrderDocuments, delivery, ORDER_DELIVERY)->Iterations(1001);
