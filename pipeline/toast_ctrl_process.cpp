// Report messages to the webhook, print-failure toasts to the main window.
#include "pipeline/toast_ctrl_process.h"

#include "crash/request_control.h"
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/module_util.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "foundation/wait.h"
#include "foundation/window_sink.h"
#include "pipeline/toast_markup.h"
#include "platform/program_names.h"
#include "printing/print_data.h"
#include "printing/printer_setting.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    std::string strText;
    if (nLength > 0) {
        std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
        strText.assign(buffer.data(), static_cast<size_t>(nLength));
    }
    va_end(args);
    return strText;
}

std::string ProgramFile(const char* pszName)
{
    return GetModulePath() + "/" + pszName;
}

std::string ConfigFilePath()
{
    std::string strPath = PrinterSetting().GetConfigFilePath();
    return strPath.empty() ? ProgramFile("Config.ini") : strPath;
}

const char* LevelColor(int nLevel)
{
    switch (nLevel) {
    case 0:
        return "red";
    case 1:
        return "orange";
    case 2:
        return "green";
    default:
        return "blue";
    }
}

bool IsDigits(const std::string& strText, size_t nStart, size_t nCount)
{
    for (size_t i = nStart; i < nStart + nCount; ++i) {
        if (std::isdigit(static_cast<unsigned char>(strText[i])) == 0) {
            return false;
        }
    }
    return true;
}

std::string PrinterSummary(const PrintInfo& info)
{
    std::string strText = Format("[%s]\r\n", info.Name);
    switch (info.PortType) {
    case 2:
        strText += info.UsbName[0] != '\0' ? Format("type : USB (%s)\r\n", info.UsbName)
                                           : std::string("type : USB (연결된 프린터 없음)\r\n");
        break;
    case 1:
        strText += info.LanPrintIP[0] != '\0' ? Format("type : LAN (IP : %s / PORT : %d)\r\n",
                                                       info.LanPrintIP, info.LanPrintPort)
                                              : std::string("type : LAN (연결된 프린터 없음)\r\n");
        break;
    case 0:
        strText += info.Port > 0 ? Format("type : SERIAL (comport : %s / boaudrate : %d)\r\n",
                                          info.Portname, info.BaudRate)
                                 : std::string("type : SERIAL (연결된 프린터 없음)\r\n");
        break;
    default:
        break;
    }
    strText += Format("주문서프린트사용 : %s, 영수증프린트사용 : %s\r\n",
                      info.Use == 1 ? "사용" : "미사용", info.Rcp == 1 ? "사용" : "미사용");
    strText += Format("하단 줄바꿈 : %d칸\r\n", info.LineFeed);
    return strText;
}

} // namespace

CToastCtrlProcess::CToastCtrlProcess()
    : m_pRequestClient(std::make_shared<RequestControl>()),
      m_pReportHandled(std::make_shared<SReportCallback>())
{
    RegisterToastTarget(this);
}

CToastCtrlProcess::~CToastCtrlProcess()
{
    // The worker uses the members below; it must be gone first.
    UnregisterToastTarget(this);
    StopWorker();
}

int CToastCtrlProcess::StartCtrlProcess()
{
    return StartWorkerThread("CToastCtrlProcess::StartCtrlProcess");
}

void CToastCtrlProcess::WorkerThreadMain()
{
    const char* const pszName = "CToastCtrlProcess::ThreadToastCtrlProcess";
    if (RunWorkerLoop(pszName, EWorkerQueue::Toast)) {
        LOG_PRINT(LOG_INFO, "[%s] Set Exit Event", pszName);
    }
}

void CToastCtrlProcess::HandleToastData(int nLevel, const std::string& strMsg)
{
    const char* const pszName = "CToastCtrlProcess::ThreadToastCtrlProcess";
    std::shared_ptr<SReportCallback> pCallback = m_pReportHandled;
    const bool bPosted = ToastRequest_Blocked(nLevel, strMsg) == 1;
    if (bPosted) {
        LOG_PRINT(LOG_INFO, "[%s] ToastRequest_Blocked Success", pszName);
    } else {
        LOG_PRINT(LOG_ERROR, "[%s] ToastRequest_Blocked FAIL", pszName);
    }
    std::lock_guard lock(pCallback->lock);
    if (pCallback->fnCallback) {
        pCallback->fnCallback(strMsg, bPosted);
    }
}

void CToastCtrlProcess::SetReportHandledCallback(ReportHandledCallback fnCallback)
{
    std::lock_guard lock(m_pReportHandled->lock);
    m_pReportHandled->fnCallback = std::move(fnCallback);
}

int CToastCtrlProcess::ToastPush(int nLevel, const char* pszFormat, ...)
{
    const char* const pszName = "ToastPush";
    try {
        std::string strText;
        if (pszFormat != nullptr) {
            va_list args;
            va_start(args, pszFormat);
            va_list copy;
            va_copy(copy, args);
            int nLength = std::vsnprintf(nullptr, 0, pszFormat, copy);
            va_end(copy);
            if (nLength > 0) {
                std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
                std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
                strText.assign(buffer.data(), static_cast<size_t>(nLength));
            }
            va_end(args);
        }
        int nResult = PushToastQueueCtrlData(nLevel, strText);
        if (nResult == 1) {
            LOG_PRINT(LOG_INFO, "[%s] ToastCtrlProcess Push Data Success Type Data [%s]", pszName,
                      strText.c_str());
        } else {
            LOG_PRINT(LOG_INFO, "[%s] ToastCtrlProcess Push Data Fail Type Data [%s]", pszName,
                      strText.c_str());
        }
        return nResult;
    } catch (...) {
        return 0;
    }
}

void CToastCtrlProcess::LoadShopInfo()
{
    const std::string strShopFile = ProgramFile("NUBEQ_SHOPINFO.ini");
    const std::string strEnvFile = ProgramFile("NUBEQ_ENV.INI");
    SShopInfo shop;
    shop.strShopName = IniGetString("COMMON", "shopname", "", strShopFile.c_str());
    shop.strRegisterNumber = IniGetString("COMMON", "registernumber", "", strShopFile.c_str());
    shop.strPosId = IniGetString("COMMON", "posid", "", strShopFile.c_str());
    shop.strShopId = IniGetString("COMMON", "shopid", "", strShopFile.c_str());
    shop.strEnvMode = IniGetString("COMMON", "ENV_MODE", "R", strEnvFile.c_str());
    std::lock_guard lock(m_ShopLock);
    m_Shop = std::move(shop);
}

CToastCtrlProcess::SShopInfo CToastCtrlProcess::ShopInfo()
{
    {
        std::lock_guard lock(m_ShopLock);
        if (!m_Shop.strShopName.empty()) {
            return m_Shop;
        }
    }
    LoadShopInfo();
    std::lock_guard lock(m_ShopLock);
    return m_Shop;
}

bool CToastCtrlProcess::IsValidWebhookPath(const std::string& strPath)
{
    const std::string strPrefix = "/services/";
    if (strPath.size() != 72 || strPath.compare(0, strPrefix.size(), strPrefix) != 0) {
        return false;
    }
    if (!IsDigits(strPath, 10, 19) || strPath[29] != '/' || !IsDigits(strPath, 30, 19) ||
        strPath[49] != '/') {
        return false;
    }
    for (size_t i = 50; i < 72; ++i) {
        unsigned char ch = static_cast<unsigned char>(strPath[i]);
        if (std::isalnum(ch) == 0 && ch != '_' && ch != '-') {
            return false;
        }
    }
    return true;
}

std::string CToastCtrlProcess::MakeSettingsSummary()
{
    CPrinterSetting& setting = PrinterSetting();
    std::string strText;
    // The shop identity line is added by the caller, which holds it.
    strText += Format(" - %s (%s)\r\n", "Zelkor.exe", GetFileVersion("Zelkor.exe").c_str());
    strText += Format(" - 배달주문서 : %d장, 배달영수증 : %d장\r\n", setting.GetDeliveryPrintCnt(),
                      setting.GetDeliveryPaymentPrintCnt());
    strText += Format(" - 픽업주문서 : %d장, 픽업영수증 : %d장\r\n", setting.GetPrintCnt(),
                      setting.GetPickupPaymentPrintCnt());
    strText += Format(" - 고객요청사항 : %s, 기사님전달사항 : %s, 메뉴명 : %s\r\n",
                      CPrinterSetting::GetPrintSizeText(setting.GetReqCustomerSize()).c_str(),
                      CPrinterSetting::GetPrintSizeText(setting.GetReqDelivererSize()).c_str(),
                      CPrinterSetting::GetPrintSizeText(setting.GetMenunameSize()).c_str());
    strText += Format(" - 원산지정보 : %s(%s), 옵션그룹명 : %s \r\n",
                      CPrinterSetting::GetPrintUseText(setting.GetPrintOrigin()).c_str(),
                      CPrinterSetting::GetPrintSizeText(setting.GetOriginSize()).c_str(),
                      CPrinterSetting::GetPrintUseText(setting.GetPrintOptiongroup()).c_str());
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        PrintInfo info;
        if (setting.GetPrintInfoForIndex(i, &info) != 1) {
            LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForIndex Error... Index [%d]",
                      "CToastCtrlProcess::ToastRequest_Blocked", i);
            continue;
        }
        strText += PrinterSummary(info);
    }
    return strText;
}

std::string CToastCtrlProcess::MakeToastMessage(int nLevel, const std::string& strMsg)
{
    SShopInfo shop = ShopInfo();
    std::string strText = strMsg;
    if (strMsg.find("App crash") != std::string::npos) {
        std::string strPath = ProgramFile(platform::LocalFileName("Zelkor.exe").c_str());
        std::string strDigest;
        if (GetMD5(strPath.c_str(), strDigest)) {
            strText += Format("\r\nHash : %s", strDigest.c_str());
        } else {
            strText += Format("\r\nPath : %s", strPath.c_str());
        }
    }
    std::string strIconImage =
        IniGetString("WEBHOOK", "BotIconImage", "", ConfigFilePath().c_str(), 1024);

    Json::Value root(Json::objectValue);
    root["botName"] = shop.strShopName;
    root["botIconImage"] = strIconImage;
    root["text"] = strText;
    Json::Value attachment(Json::objectValue);
    attachment["title"] = Format("%s(%s)", shop.strShopName.c_str(), shop.strShopId.c_str());
    attachment["color"] = LevelColor(nLevel);
    attachment["text"] =
        Format(" - %s / %s\r\n", shop.strRegisterNumber.c_str(), shop.strPosId.c_str()) +
        MakeSettingsSummary();
    root["attachments"] = Json::Value(Json::arrayValue);
    root["attachments"].append(attachment);
    return CjsonCtrl::StyledText(root);
}

int CToastCtrlProcess::ToastRequest_Blocked(int nLevel, const std::string& strMsg)
{
    const char* const pszName = "CToastCtrlProcess::ToastRequest_Blocked";
    LOG_PRINT(LOG_INFO, "[%s] nLevel : %d strMsg : %s ", pszName, nLevel, strMsg.c_str());
    if (strMsg.empty()) {
        return 0;
    }
    std::string strMessage = MakeToastMessage(nLevel, strMsg);
    SShopInfo shop = ShopInfo();

    const std::string strConfig = ConfigFilePath();
    std::string strHost = IniGetString("WEBHOOK", "Host", "", strConfig.c_str(), 1024);
    if (strHost.empty()) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] Webhook host not configured (Config.ini [WEBHOOK] Host). Not posted",
                  pszName);
        return 0;
    }
    const char* pszPathKey = shop.strEnvMode == "T" ? "PathTest" : "PathRelease";
    std::string strPath = IniGetString("WEBHOOK", pszPathKey, "", strConfig.c_str(), 1024);
    if (!IsValidWebhookPath(strPath)) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] Webhook path not valid (Config.ini [WEBHOOK] %s : [%s]). Not posted",
                  pszName, pszPathKey, strPath.c_str());
        return 0;
    }
    while (!strHost.empty() && strHost.back() == '/') {
        strHost.pop_back();
    }

    // The request may outlive this object (a stop that gave up waiting):
    // from here on only the local copies are used.
    std::shared_ptr<RequestControl> pClient = m_pRequestClient;
    pClient->SetCaFile(IniGetString("WEBHOOK", "CaFile", "", strConfig.c_str(), 1024));
    std::string strResponse;
    if (pClient->SSL_Request(strHost + strPath, strPath, strMessage, "", strResponse,
                             kRequestTimeoutMs) == 1) {
        LOG_PRINT(LOG_INFO, "[%s] SSL_Request returned : SUCCESS, Res : %s", pszName,
                  strResponse.c_str());
        return 1;
    }
    LOG_PRINT(LOG_ERROR, "[%s] SSL_Request returned : FAIL, HTTP Status [%d], Res : %s", pszName,
              pClient->LastStatus(), strResponse.c_str());
    return 0;
}

void CToastCtrlProcess::MakePrintFailToast(const std::string& strOrderText, int nPrintType,
                                           ToastRequestInfo& info)
{
    std::snprintf(info.szTitle, sizeof(info.szTitle), "%s",
                  "<b><font face=\"verdana\" size=\"10\" weight=\"900\" "
                  "color=\"#2F76DE\">미르벨</font></b>");
    if ((nPrintType & TOAST_PRINT_TYPE_SALES) != 0) {
        std::snprintf(info.szBody, sizeof(info.szBody), "%s",
                      "<font face=\"verdana\" size=\"7\" color=\"#000000\">매출전표 출력 "
                      "실패<br>잠시 후 다시 시도해주세요.</font>");
    } else {
        std::string strMethod = "확인불가";
        std::string strMenu = "확인불가";
        std::string strTime = "확인불가";
        CPrintData data;
        if (data.SetJsonData(strOrderText) == CPrintData::E_RESULT_OK) {
            const std::string strService = data.GetServiceType();
            if (strService == "PICKUP") {
                strMethod = "픽업주문";
            } else if (strService == "TABLE") {
                strMethod = "테이블주문";
            } else if (strService == "DELIVERY") {
                strMethod = "배달주문";
            }
            const std::string strHms = data.GetHms();
            if (strHms.size() > 5) {
                strTime = Format("%02d:%02d", std::atoi(strHms.substr(0, 2).c_str()),
                                 std::atoi(strHms.substr(2, 2).c_str()));
            }
            const std::string strDesc = data.GetDesc();
            if (!strDesc.empty()) {
                // CountChars counts one less than there are characters.
                strMenu = CountChars(strDesc) + 1 > 12 ? LeftChars(strDesc) + "..." : strDesc;
                // The customer's text: shown as text, never read as markup.
                strMenu = EscapeToastMarkup(strMenu);
            }
        }
        std::snprintf(info.szBody, sizeof(info.szBody),
                      "<font face=\"verdana\" size=\"7\" color=\"#000000\">주문서 출력 "
                      "실패<br><br><b>주문방식 </b>%s<br><b>주문메뉴 </b>%s<br><b>주문시간 "
                      "</b>%s</font><br><br><font face=\"verdana\" size=\"7\" "
                      "color=\"#666666\">※자동접수 시 다른 주문도 확인 필요</font>",
                      strMethod.c_str(), strMenu.c_str(), strTime.c_str());
    }
    info.nAutoCloseSec = 5;
}

int CToastCtrlProcess::ShowPrintFailToast(const std::string& strOrderText, int nPrintType)
{
    auto* pInfo = new ToastRequestInfo{};
    MakePrintFailToast(strOrderText, nPrintType, *pInfo);
    // The main window frees the record once it has shown it.
    bool bSent = SendMainWindowMessage(WM_TRAY_SHOW_TOAST, 0, reinterpret_cast<intptr_t>(pInfo));
    if (!bSent) {
        delete pInfo;
    }
    PumpMessagesFor(1);
    return bSent ? 1 : 0;
}

int CToastCtrlProcess::ShowPaperOutToast(const std::string& strPrinterName)
{
    auto* pInfo = new ToastRequestInfo{};
    std::snprintf(pInfo->szTitle, sizeof(pInfo->szTitle), "%s",
                  "<b><font face=\"verdana\" size=\"10\" weight=\"900\" "
                  "color=\"#2F76DE\">미르벨</font></b>");
    std::snprintf(pInfo->szBody, sizeof(pInfo->szBody),
                  "<font face=\"verdana\" size=\"7\" color=\"#000000\">프린터 용지 "
                  "없음<br><br><b>프린터 </b>%s</font><br><br><font face=\"verdana\" size=\"7\" "
                  "color=\"#666666\">※용지를 넣어주세요.</font>",
                  EscapeToastMarkup(strPrinterName).c_str());
    pInfo->nAutoCloseSec = 5;
    // The main window frees the record once it has shown it.
    bool bSent = SendMainWindowMessage(WM_TRAY_SHOW_TOAST, 0, reinterpret_cast<intptr_t>(pInfo));
    if (!bSent) {
        delete pInfo;
    }
    PumpMessagesFor(1);
    return bSent ? 1 : 0;
}
