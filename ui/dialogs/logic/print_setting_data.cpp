// The print settings dialog's decisions over plain data.
#include "ui/dialogs/logic/print_setting_data.h"

#include "foundation/json_styled_writer.h"
#include "foundation/simple_log.h"
#include "platform/serial_device.h"

#include <cstdarg>
#include <cstdio>
#include <json/value.h>
#include <strings.h>

namespace {

constexpr const char* kValidateTag = "CDlgPrintSetting::LoadUIMemoryPrintData";

bool SameText(const char* pszA, const char* pszB)
{
    return strcasecmp(pszA, pszB) == 0;
}

bool SamePrinter(const PrintInfo& a, const PrintInfo& b)
{
    return a.Use == b.Use && a.Rcp == b.Rcp && a.PortType == b.PortType && a.Port == b.Port &&
           a.BaudRate == b.BaudRate && SameText(a.Portname, b.Portname) &&
           SameText(a.UsbName, b.UsbName) && SameText(a.LanPrintIP, b.LanPrintIP) &&
           a.LanPrintPort == b.LanPrintPort && a.LineFeed == b.LineFeed;
}

int ClampCount(int nCount)
{
    return nCount < 1 ? 0 : (nCount > MAX_PRINT_COUNT ? MAX_PRINT_COUNT : nCount);
}

std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* pszFormat, ...)
{
    char szText[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(szText, sizeof(szText), pszFormat, args);
    va_end(args);
    return szText;
}

} // namespace

SPrintSettingData ReadPrintSettingData(CPrinterSetting& setting)
{
    SPrintSettingData data;
    setting.GetPrintInfoForAll(data.aPrinter);
    data.nPickupOrderSheetCnt = setting.GetPrintCnt();
    data.nPickupPaymentCnt = setting.GetPickupPaymentPrintCnt();
    data.nDeliveryOrderSheetCnt = setting.GetDeliveryPrintCnt();
    data.nDeliveryPaymentCnt = setting.GetDeliveryPaymentPrintCnt();
    data.nPrintOrigin = setting.GetPrintOrigin();
    data.nPrintOptionGroup = setting.GetPrintOptiongroup();
    data.nReqCustomerSize = setting.GetReqCustomerSize();
    data.nReqDelivererSize = setting.GetReqDelivererSize();
    data.nMenuNameSize = setting.GetMenunameSize();
    data.nOriginSize = setting.GetOriginSize();
    return data;
}

bool IsValidPrinterData(int nIndex, const PrintInfo& info)
{
    if (info.Use == 1 || info.Rcp == 1) {
        switch (info.PortType) {
        case 0:
            if (info.Port < 1) {
                LOG_PRINT(LOG_ERROR, "[%s] 시리얼포트 번호 에러 [%s]", kValidateTag, info.Portname);
                return false;
            }
            // A rate the line cannot run at would print garbage.
            if (info.BaudRate < 9600 || !platform::IsSupportedBaudRate(info.BaudRate)) {
                LOG_PRINT(LOG_ERROR, "[%s] 시리얼포트 속도 에러 [%d]", kValidateTag, info.BaudRate);
                return false;
            }
            break;
        case 1:
            if (info.LanPrintIP[0] == '\0') {
                LOG_PRINT(LOG_ERROR, "[%s] 네트워크 IP 비어있음", kValidateTag);
                return false;
            }
            // A port above 65535 would be cut to 16 bits and reach another one.
            if (info.LanPrintPort < 1 || info.LanPrintPort > 65535) {
                LOG_PRINT(LOG_ERROR, "[%s] 네트워크 포트 에러 [%d]", kValidateTag,
                          info.LanPrintPort);
                return false;
            }
            break;
        default:
            if (info.UsbName[0] == '\0') {
                LOG_PRINT(LOG_ERROR, "[%s] USB 프린터 비어있음(미선택)", kValidateTag);
                return false;
            }
            break;
        }
    }
    if (info.LineFeed < 1) {
        LOG_PRINT(LOG_ERROR, "[%s] 하단 줄바꿈 [%d]", kValidateTag, info.LineFeed);
    }
    LOG_PRINT(LOG_INFO,
              "[%s] 프린터[%d] 주문서/영수증 [%d:%d] 포트타입 [%d] 시리얼 [%d:%d] USB [%s] IP "
              "[%s:%d] 하단줄바꿈 [%d칸]",
              kValidateTag, nIndex + 1, info.Use, info.Rcp, info.PortType, info.Port, info.BaudRate,
              info.UsbName, info.LanPrintIP, info.LanPrintPort, info.LineFeed);
    return true;
}

bool IsChangedPrintSettingData(const SPrintSettingData& screen, const SPrintSettingData& store)
{
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        if (!SamePrinter(screen.aPrinter[i], store.aPrinter[i])) {
            return true;
        }
    }
    return screen.nPickupOrderSheetCnt != store.nPickupOrderSheetCnt ||
           screen.nPickupPaymentCnt != store.nPickupPaymentCnt ||
           screen.nDeliveryOrderSheetCnt != store.nDeliveryOrderSheetCnt ||
           screen.nDeliveryPaymentCnt != store.nDeliveryPaymentCnt ||
           screen.nPrintOrigin != store.nPrintOrigin ||
           screen.nReqCustomerSize != store.nReqCustomerSize ||
           screen.nReqDelivererSize != store.nReqDelivererSize ||
           screen.nMenuNameSize != store.nMenuNameSize || screen.nOriginSize != store.nOriginSize ||
           screen.nPrintOptionGroup != store.nPrintOptionGroup;
}

std::string MakePrintSettingLogText(const SPrintSettingData& data)
{
    auto use = [](int n) { return CPrinterSetting::GetPrintUseText(n); };
    auto size = [](int n) { return CPrinterSetting::GetPrintSizeText(n); };
    std::string strText = "프린터 설정 정보\r\n";
    for (const PrintInfo& info : data.aPrinter) {
        strText += Format("[%s]\r\n", info.Name);
        strText += Format("주방주문서 사용여부 : [%s]\r\n", use(info.Use).c_str());
        strText += Format("영수증프린트 사용여부 : [%s]\r\n", use(info.Rcp).c_str());
        std::string strType;
        if (info.PortType == 0) {
            strType = Format("SERIAL (%s / BaudRate : %d)", info.Portname, info.BaudRate);
        } else if (info.PortType == 1) {
            strType = Format("NETWORK (IP : %s / PORT : %d) ", info.LanPrintIP, info.LanPrintPort);
        } else {
            strType = Format("USB (%s)", info.UsbName);
        }
        strText += "프린트 Type : " + strType + "\r\n";
        strText += Format("하단줄바꿈 : [%d칸]\r\n", info.LineFeed);
    }
    strText += "[사장님설정]\r\n";
    strText += Format("배달 주문서 인쇄 매수 : %d\r\n", data.nDeliveryOrderSheetCnt);
    strText += Format("배달 영수증 인쇄 매수 : %d\r\n", data.nDeliveryPaymentCnt);
    strText += Format("픽업 주문서 인쇄 매수 : %d\r\n", data.nPickupOrderSheetCnt);
    strText += Format("픽업 영수증 인쇄 매수 : %d\r\n", data.nPickupPaymentCnt);
    strText += "메뉴명 사이즈 : " + size(data.nMenuNameSize) + "\r\n";
    strText += "고객요청사항 사이즈 : " + size(data.nReqCustomerSize) + "\r\n";
    strText += "기사님 전달사항 사이즈 : " + size(data.nReqDelivererSize) + "\r\n";
    strText += "옵션 분류명 출력 여부 : " + use(data.nPrintOptionGroup) + "\r\n";
    strText += "원산지 정보 출력 여부 : " + use(data.nPrintOrigin) + "\r\n";
    strText += "원산지 정보 사이즈 : " + size(data.nOriginSize) + "\r\n";
    return strText;
}

std::string MakePrintSettingSharedText(const SPrintSettingData& data)
{
    Json::Value root(Json::objectValue);
    Json::Value printers(Json::arrayValue);
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        const PrintInfo& info = data.aPrinter[i];
        Json::Value printer(Json::objectValue);
        printer["Index"] = i + 1;
        printer["Name"] = info.Name;
        printer["OrderSheetUse"] = info.Use;
        printer["PaymentUse"] = info.Rcp;
        printer["PortType"] = info.PortType;
        printer["SerialPort"] = info.Portname;
        printer["SerialBaudRate"] = info.BaudRate;
        printer["LanIP"] = info.LanPrintIP;
        printer["LanPort"] = info.LanPrintPort;
        printer["USBPrintName"] = info.UsbName;
        printer["LineFeed"] = info.LineFeed;
        printers.append(printer);
    }
    root["PrinterInfo"] = printers;
    root["DeliveryOrderSheetPrintCnt"] = data.nDeliveryOrderSheetCnt;
    root["DeliveryPaymentPrintCnt"] = data.nDeliveryPaymentCnt;
    root["PickupOrderSheetPrintCnt"] = data.nPickupOrderSheetCnt;
    root["PickupPaymentPrintCnt"] = data.nPickupPaymentCnt;
    root["MenuNameSize"] = CPrinterSetting::GetPrintSizeText(data.nMenuNameSize);
    root["ReqCustomerSize"] = CPrinterSetting::GetPrintSizeText(data.nReqCustomerSize);
    root["ReqDelivererSize"] = CPrinterSetting::GetPrintSizeText(data.nReqDelivererSize);
    root["PrintOptionGroup"] = data.nPrintOptionGroup;
    root["PrintOrigin"] = data.nPrintOrigin;
    root["OriginSize"] = CPrinterSetting::GetPrintSizeText(data.nOriginSize);
    return CJsonStyledWriter().Write(root);
}

ESaveResult SavePrintSettingData(CPrinterSetting& setting, const SPrintSettingData& data,
                                 int& nInvalidPrinter)
{
    const char* const pszTag = "CDlgPrintSetting::SavePrintSettingData";
    nInvalidPrinter = 0;
    // Both are checked before anything is stored: the print worker reads
    // the live store, which must never hold half a save.
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        if (!IsValidPrinterData(i, data.aPrinter[i])) {
            LOG_PRINT(LOG_ERROR, "[%s] LoadMemoryPrintData(%d) Fail!!!", pszTag, i);
            nInvalidPrinter = i + 1;
            return ESaveResult::InvalidPrinter;
        }
    }
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        if (setting.SetPrintInfoForIndex(i, &data.aPrinter[i]) == 0) {
            LOG_PRINT(LOG_ERROR, "[%s] SetPrintInfoForIndex Error... Index [%d]", pszTag, i);
        }
    }
    setting.SetPrintCnt(ClampCount(data.nPickupOrderSheetCnt));
    setting.SetPickupPaymentPrintCnt(ClampCount(data.nPickupPaymentCnt));
    setting.SetDeliveryPrintCnt(ClampCount(data.nDeliveryOrderSheetCnt));
    setting.SetDeliveryPaymentPrintCnt(ClampCount(data.nDeliveryPaymentCnt));
    setting.SetPrintOrigin(data.nPrintOrigin);
    setting.SetPrintOptiongroup(data.nPrintOptionGroup);
    setting.SetReqCustomerSize(data.nReqCustomerSize);
    setting.SetReqDelivererSize(data.nReqDelivererSize);
    setting.SetMenunameSize(data.nMenuNameSize);
    setting.SetOriginSize(data.nOriginSize);
    if (setting.WriteFilePrinterSection() != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] WriteFilePrintInfo Fail", pszTag);
        // What is in use must be what the file holds.
        setting.ReadFilePrinterSection();
        return ESaveResult::WriteFailed;
    }
    return ESaveResult::Saved;
}
