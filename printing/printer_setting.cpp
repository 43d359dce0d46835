// The printer settings store: in-memory values under their own locks, and
// their [PRINTER] / [ORDER] form in Config.ini.
#include "printing/printer_setting.h"

#include "foundation/ini_file.h"
#include "foundation/simple_log.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "platform/local_clock.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kPrinterSection = "PRINTER";
constexpr const char* kOrderSection = "ORDER";
// Text keys are read through a buffer of this size, as the record's
// largest field (UsbName) and the last date are sized.
constexpr size_t kReadBufferSize = 260;

std::string PrinterKey(int nPrinter, const char* pszName)
{
    char szKey[64];
    snprintf(szKey, sizeof(szKey), "Printer%d%s", nPrinter, pszName);
    return szKey;
}

std::string NumberText(int nValue)
{
    char szText[16];
    snprintf(szText, sizeof(szText), "%d", nValue);
    return szText;
}

std::string TodayText()
{
    platform::LocalTime now = platform::GetLocalTime();
    char szToday[32];
    snprintf(szToday, sizeof(szToday), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return szToday;
}

bool WriteValue(const std::string& strPath, const char* pszSection, const std::string& strKey,
                const std::string& strValue, const char* pszMethod, bool bSync = true)
{
    if (IniWriteString(pszSection, strKey.c_str(), strValue.c_str(), strPath.c_str(), bSync)) {
        return true;
    }
    LOG_PRINT(LOG_ERROR, "[%s] IniWriteString Fail [%s] [%s]", pszMethod, strKey.c_str(),
              strPath.c_str());
    return false;
}

} // namespace

void SetPrintInfoText(char* pszField, size_t nFieldSize, const char* pszText)
{
    if (pszField == nullptr || nFieldSize == 0) {
        return;
    }
    if (pszText == nullptr) {
        pszField[0] = '\0';
        return;
    }
    const size_t nLimit = nFieldSize - 1;
    size_t nLength = 0;
    // Walk whole characters: a CP949 lead byte (0x81..0xFE) starts a
    // two-byte character, which is kept only when both bytes fit.
    while (pszText[nLength] != '\0') {
        const auto byLead = static_cast<unsigned char>(pszText[nLength]);
        size_t nChar = 1;
        if (byLead >= 0x81 && byLead <= 0xFE && pszText[nLength + 1] != '\0') {
            nChar = 2;
        }
        if (nLength + nChar > nLimit) {
            break;
        }
        nLength += nChar;
    }
    // A cut that ends in blanks: Config.ini cannot keep blanks at the end
    // of a value, so they go now and a save and re-read gives the same text.
    if (pszText[nLength] != '\0') {
        while (nLength > 0 && std::strchr(" \t\r\v\f", pszText[nLength - 1]) != nullptr) {
            --nLength;
        }
    }
    memcpy(pszField, pszText, nLength);
    pszField[nLength] = '\0';
}

CPrinterSetting::CPrinterSetting() = default;

CPrinterSetting& PrinterSetting()
{
    static CPrinterSetting setting;
    return setting;
}

int CPrinterSetting::GetGuarded(CTeskCriticalSection& lock, const int& nValue)
{
    CTeskCriticalAutoRelease guard(lock);
    return nValue;
}

void CPrinterSetting::SetGuarded(CTeskCriticalSection& lock, int& nValue, int nNew)
{
    CTeskCriticalAutoRelease guard(lock);
    nValue = nNew;
}

void CPrinterSetting::SetConfigFilePath(const char* pszPath)
{
    if (pszPath == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] InputParam NULL", "CPrinterSetting::SetConfigFilePath");
        return;
    }
    CTeskCriticalAutoRelease guard(m_csOrderFile);
    m_strConfigFilePath = pszPath;
}

std::string CPrinterSetting::GetConfigFilePath()
{
    return ConfigPath();
}

std::string CPrinterSetting::ConfigPath()
{
    CTeskCriticalAutoRelease guard(m_csOrderFile);
    return m_strConfigFilePath;
}

std::string CPrinterSetting::ExistingConfigPath(const char* pszMethod)
{
    std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting", pszMethod);
        return {};
    }
    if (!platform::FileExists(strPath)) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Exist", pszMethod);
        return {};
    }
    return strPath;
}

// ---------------------------------------------------------------- records

int CPrinterSetting::GetPrintInfoForIndex(int nIndex, PrintInfo* pInfo)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL", "CPrinterSetting::GetPrintInfoForIndex");
        return 0;
    }
    if (nIndex < 0 || nIndex >= MAX_PRINTER_COUNT) {
        LOG_PRINT(LOG_ERROR, "[%s] Print Count Error... [%d]",
                  "CPrinterSetting::GetPrintInfoForIndex", nIndex);
        return 0;
    }
    CTeskCriticalAutoRelease guard(m_csPrintInfo);
    *pInfo = m_PrintInfo[nIndex];
    return 1;
}

int CPrinterSetting::SetPrintInfoForIndex(int nIndex, const PrintInfo* pInfo)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL", "CPrinterSetting::SetPrintInfoForIndex");
        return 0;
    }
    if (nIndex < 0 || nIndex >= MAX_PRINTER_COUNT) {
        LOG_PRINT(LOG_ERROR, "[%s] Print Count Error... [%d]",
                  "CPrinterSetting::SetPrintInfoForIndex", nIndex);
        return 0;
    }
    PrintInfo info = *pInfo;
    // A caller that filled a field byte by byte may have left it without
    // its terminator; the stored record always has one.
    info.Name[sizeof(info.Name) - 1] = '\0';
    info.Portname[sizeof(info.Portname) - 1] = '\0';
    info.LanPrintIP[sizeof(info.LanPrintIP) - 1] = '\0';
    info.UsbName[sizeof(info.UsbName) - 1] = '\0';
    CTeskCriticalAutoRelease guard(m_csPrintInfo);
    m_PrintInfo[nIndex] = info;
    return 1;
}

int CPrinterSetting::GetPrintInfoForAll(PrintInfo* pInfo)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL", "CPrinterSetting::GetPrintInfoForAll");
        return 0;
    }
    CTeskCriticalAutoRelease guard(m_csPrintInfo);
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        pInfo[i] = m_PrintInfo[i];
    }
    return 1;
}

// ---------------------------------------------------------------- values

int CPrinterSetting::GetPrintLineType()
{
    return GetGuarded(m_csPrintLineType, m_nPrintLineType);
}

int CPrinterSetting::GetPrintCnt()
{
    return GetGuarded(m_csPrintCnt, m_nPrintCnt);
}
void CPrinterSetting::SetPrintCnt(int nValue)
{
    SetGuarded(m_csPrintCnt, m_nPrintCnt, nValue);
}

int CPrinterSetting::GetDeliveryPrintCnt()
{
    return GetGuarded(m_csDeliveryPrintCnt, m_nDeliveryPrintCnt);
}
void CPrinterSetting::SetDeliveryPrintCnt(int nValue)
{
    SetGuarded(m_csDeliveryPrintCnt, m_nDeliveryPrintCnt, nValue);
}

int CPrinterSetting::GetPickupPaymentPrintCnt()
{
    return GetGuarded(m_csPickupPaymentPrintCnt, m_nPickupPaymentPrintCnt);
}
void CPrinterSetting::SetPickupPaymentPrintCnt(int nValue)
{
    SetGuarded(m_csPickupPaymentPrintCnt, m_nPickupPaymentPrintCnt, nValue);
}

int CPrinterSetting::GetDeliveryPaymentPrintCnt()
{
    return GetGuarded(m_csDeliveryPaymentPrintCnt, m_nDeliveryPaymentPrintCnt);
}
void CPrinterSetting::SetDeliveryPaymentPrintCnt(int nValue)
{
    SetGuarded(m_csDeliveryPaymentPrintCnt, m_nDeliveryPaymentPrintCnt, nValue);
}

int CPrinterSetting::GetPrintOrigin()
{
    return GetGuarded(m_csPrintOrigin, m_nPrintOrigin);
}
void CPrinterSetting::SetPrintOrigin(int nValue)
{
    SetGuarded(m_csPrintOrigin, m_nPrintOrigin, nValue);
}

int CPrinterSetting::GetPrintOptiongroup()
{
    return GetGuarded(m_csPrintOptiongroup, m_nPrintOptiongroup);
}
void CPrinterSetting::SetPrintOptiongroup(int nValue)
{
    SetGuarded(m_csPrintOptiongroup, m_nPrintOptiongroup, nValue);
}

int CPrinterSetting::GetReqCustomerSize()
{
    return GetGuarded(m_csReqCustomerSize, m_nReqCustomerSize);
}
void CPrinterSetting::SetReqCustomerSize(int nValue)
{
    SetGuarded(m_csReqCustomerSize, m_nReqCustomerSize, nValue);
}

int CPrinterSetting::GetReqDelivererSize()
{
    return GetGuarded(m_csReqDelivererSize, m_nReqDelivererSize);
}
void CPrinterSetting::SetReqDelivererSize(int nValue)
{
    SetGuarded(m_csReqDelivererSize, m_nReqDelivererSize, nValue);
}

int CPrinterSetting::GetMenunameSize()
{
    return GetGuarded(m_csMenunameSize, m_nMenunameSize);
}
void CPrinterSetting::SetMenunameSize(int nValue)
{
    SetGuarded(m_csMenunameSize, m_nMenunameSize, nValue);
}

int CPrinterSetting::GetOriginSize()
{
    return GetGuarded(m_csOriginSize, m_nOriginSize);
}
void CPrinterSetting::SetOriginSize(int nValue)
{
    SetGuarded(m_csOriginSize, m_nOriginSize, nValue);
}

int CPrinterSetting::GetOrderStartWaitNo()
{
    return GetGuarded(m_csOrderFile, m_nStartWaitNo);
}
void CPrinterSetting::SetOrderStartWaitNo(int nValue)
{
    SetGuarded(m_csOrderFile, m_nStartWaitNo, nValue);
}

int CPrinterSetting::GetOrderCurrentWaitNo()
{
    return GetGuarded(m_csCurrentWaitNo, m_nCurrentWaitNo);
}

std::string CPrinterSetting::GetOrderLastDate()
{
    CTeskCriticalAutoRelease guard(m_csOrderFile);
    return m_strLastDate;
}

std::string CPrinterSetting::GetPrintUseText(int nValue)
{
    return nValue == 1 ? "출력" : "출력안함";
}

std::string CPrinterSetting::GetPrintSizeText(int nSize)
{
    switch (nSize) {
    case E_PRINT_SIZE_NORMAL:
        return "기본";
    case E_PRINT_SIZE_SMALL:
        return "작게";
    default:
        return "크게";
    }
}

// ---------------------------------------------------------------- whole file

void CPrinterSetting::ReadPrinterRecord(const CIniSnapshot& config, int nPrinter)
{
    auto getInt = [&](const char* pszName, int nDefault) {
        return config.GetInt(kPrinterSection, PrinterKey(nPrinter, pszName).c_str(), nDefault);
    };
    auto getText = [&](const char* pszName) {
        return config.GetString(kPrinterSection, PrinterKey(nPrinter, pszName).c_str(), "",
                                kReadBufferSize);
    };

    PrintInfo info;
    std::string strName = getText("Name");
    if (strName.empty()) {
        char szName[32];
        snprintf(szName, sizeof(szName), "프린터%d", nPrinter);
        strName = szName;
    }
    SetPrintInfoText(info.Name, strName);
    info.Use = getInt("Use", 0);
    info.Rcp = getInt("Rcp", 0);
    getInt("SerialUse", 0); // kept in the file for peers; the type follows the other two
    const int nLanPrintUse = getInt("LanPrintUse", 0);
    const int nUsbUse = getInt("UsbUse", 0);
    info.PortType = nLanPrintUse == 1 ? 1 : (nUsbUse == 1 ? 2 : 0);
    info.Port = getInt("Port", 0);
    std::string strPortname = getText("Portname");
    if (strPortname.empty()) {
        char szPortname[32];
        snprintf(szPortname, sizeof(szPortname), "COM%d", info.Port);
        strPortname = szPortname;
    }
    SetPrintInfoText(info.Portname, strPortname);
    info.BaudRate = getInt("BaudRate", 9600);
    SetPrintInfoText(info.LanPrintIP, getText("LanPrintIP"));
    info.LanPrintPort = getInt("LanPrintPort", 0);
    SetPrintInfoText(info.UsbName, getText("UsbName"));
    info.LineFeed = getInt("LineFeed", 4);
    info.StatusCheck = getInt("StatusCheck", 1);

    if (SetPrintInfoForIndex(nPrinter - 1, &info) == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SetPrintInfoForIndex [%d] Fail!!!",
                  "CPrinterSetting::ReadFilePrintInfo", nPrinter - 1);
    }
}

int CPrinterSetting::ReadFilePrintInfo(int bKeepDate)
{
    if (ReadFilePrinterSection() == 0) {
        return 0;
    }
    ReadFileOrderLastDate();
    ReadFileOrderStartWaitNo();
    ReadFileOrderCurrentWaitNo(bKeepDate);
    return 1;
}

int CPrinterSetting::ReadFilePrinterSection()
{
    const std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting",
                  "CPrinterSetting::ReadFilePrintInfo");
        return 0;
    }
    // A writer killed between its temporary file and the rename leaves the
    // temporary file behind; loading clears them away.
    const int nStale = platform::RemoveStaleTempFiles(strPath);
    if (nStale > 0) {
        LOG_PRINT(LOG_INFO, "[%s] Removed [%d] Stale Temporary File(s) Of [%s]",
                  "CPrinterSetting::ReadFilePrintInfo", nStale, strPath.c_str());
    }
    // One read of the file for every [PRINTER] value.
    const CIniSnapshot config(strPath.c_str());

    const int nLine = config.GetInt(kPrinterSection, "LINE", 42);
    SetGuarded(m_csPrintLineType, m_nPrintLineType, nLine == 48 ? 1 : 0);

    for (int nPrinter = 1; nPrinter <= MAX_PRINTER_COUNT; ++nPrinter) {
        ReadPrinterRecord(config, nPrinter);
    }

    auto getInt = [&](const char* pszKey, int nDefault) {
        return config.GetInt(kPrinterSection, pszKey, nDefault);
    };
    SetPrintCnt(getInt("PrintCnt", 1));
    SetDeliveryPrintCnt(getInt("DeliveryPrintCnt", 1));
    SetPickupPaymentPrintCnt(getInt("PickupPaymentPrintCnt", 0));
    SetDeliveryPaymentPrintCnt(getInt("DeliveryPaymentPrintCnt", 1));
    SetPrintOrigin(getInt("PrintOrigin", 1));
    SetPrintOptiongroup(getInt("PrintOptiongroup", 1));
    // The older "...Normal" keys give the default when the current key is absent.
    SetReqCustomerSize(getInt("ReqCustomerSize", getInt("ReqCustomerSizeNormal", 0)));
    SetReqDelivererSize(getInt("ReqDelivererSize", getInt("ReqDelivererSizeNormal", 0)));
    SetMenunameSize(getInt("MenunameSize", 1));
    SetOriginSize(getInt("OriginSize", 2));
    return 1;
}

void CPrinterSetting::AddPrinterRecordEntries(std::vector<SIniEntry>& vEntries, int nPrinter)
{
    PrintInfo info;
    if (GetPrintInfoForIndex(nPrinter - 1, &info) == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForIndex [%d] Fail!!!",
                  "CPrinterSetting::WriteFilePrintInfo", nPrinter - 1);
        return; // the printer is skipped, as nothing of it can be written
    }
    auto put = [&](const char* pszName, const std::string& strValue) {
        vEntries.push_back({kPrinterSection, PrinterKey(nPrinter, pszName), strValue});
    };
    put("Name", info.Name);
    put("Use", NumberText(info.Use));
    put("Rcp", NumberText(info.Rcp));
    put("SerialUse", NumberText(info.PortType == 0 ? 1 : 0));
    put("LanPrintUse", NumberText(info.PortType == 1 ? 1 : 0));
    put("UsbUse", NumberText(info.PortType != 0 && info.PortType != 1 ? 1 : 0));
    put("Port", NumberText(info.Port));
    put("Portname", info.Portname);
    put("BaudRate", NumberText(info.BaudRate));
    put("LanPrintIP", info.LanPrintIP);
    put("LanPrintPort", NumberText(info.LanPrintPort));
    put("UsbName", info.UsbName);
    put("LineFeed", NumberText(info.LineFeed));
    put("StatusCheck", NumberText(info.StatusCheck));
}

std::vector<SIniEntry> CPrinterSetting::PrinterSectionEntries()
{
    std::vector<SIniEntry> vEntries;
    for (int nPrinter = 1; nPrinter <= MAX_PRINTER_COUNT; ++nPrinter) {
        AddPrinterRecordEntries(vEntries, nPrinter);
    }
    auto put = [&](const char* pszKey, int nValue) {
        vEntries.push_back({kPrinterSection, pszKey, NumberText(nValue)});
    };
    put("PrintCnt", GetPrintCnt());
    put("DeliveryPrintCnt", GetDeliveryPrintCnt());
    put("PickupPaymentPrintCnt", GetPickupPaymentPrintCnt());
    // Replaced by the pickup and delivery receipt counts.
    vEntries.push_back({kPrinterSection, "PaymentPrintCnt", std::nullopt});
    put("DeliveryPaymentPrintCnt", GetDeliveryPaymentPrintCnt());
    put("PrintOrigin", GetPrintOrigin());
    put("PrintOptiongroup", GetPrintOptiongroup());
    put("ReqCustomerSize", GetReqCustomerSize());
    put("ReqDelivererSize", GetReqDelivererSize());
    put("MenunameSize", GetMenunameSize());
    put("OriginSize", GetOriginSize());
    return vEntries;
}

int CPrinterSetting::WriteEntries(const std::vector<SIniEntry>& vEntries, const char* pszMethod)
{
    const std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting", pszMethod);
        return 0;
    }
    // One replace of the file for the whole save: a reader sees all of it
    // or none of it, and a slow disk syncs once.
    if (!IniWriteStrings(vEntries, strPath.c_str())) {
        LOG_PRINT(LOG_ERROR, "[%s] IniWriteStrings Fail [%zu keys] [%s]", pszMethod,
                  vEntries.size(), strPath.c_str());
        // A save that did not reach the file is a failure the caller must see.
        return 0;
    }
    return 1;
}

int CPrinterSetting::WriteFilePrintInfo()
{
    std::vector<SIniEntry> vEntries = PrinterSectionEntries();
    vEntries.push_back({kOrderSection, "LastDate", GetOrderLastDate()});
    vEntries.push_back({kOrderSection, "StartNo", NumberText(GetOrderStartWaitNo())});
    vEntries.push_back({kOrderSection, "LastNo", NumberText(GetOrderCurrentWaitNo())});
    return WriteEntries(vEntries, "CPrinterSetting::WriteFilePrintInfo");
}

int CPrinterSetting::WriteFilePrinterSection()
{
    return WriteEntries(PrinterSectionEntries(), "CPrinterSetting::WriteFilePrinterSection");
}

// ---------------------------------------------------------------- [ORDER]

int CPrinterSetting::ReadFileOrderStartWaitNo()
{
    const std::string strPath = ExistingConfigPath("CPrinterSetting::ReadFileOrderStartWaitNo");
    if (strPath.empty()) {
        return 0;
    }
    SetOrderStartWaitNo(IniGetInt(kOrderSection, "StartNo", 1, strPath.c_str()));
    return 1;
}

int CPrinterSetting::WriteFileOrderStartWaitNo()
{
    const std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting",
                  "CPrinterSetting::WriteFileOrderStartWaitNo");
        return 0;
    }
    return WriteValue(strPath, kOrderSection, "StartNo", NumberText(GetOrderStartWaitNo()),
                      "CPrinterSetting::WriteFileOrderStartWaitNo")
               ? 1
               : 0;
}

int CPrinterSetting::ReadFileOrderCurrentWaitNo(int bKeepDate)
{
    const std::string strPath = ExistingConfigPath("CPrinterSetting::ReadFileOrderCurrentWaitNo");
    if (strPath.empty()) {
        return 0;
    }
    const int nLastNo = IniGetInt(kOrderSection, "LastNo", 0, strPath.c_str());
    SetOrderCurrentWaitNo(nLastNo, bKeepDate);
    return 1;
}

int CPrinterSetting::WriteFileOrderCurrentWaitNo(int bSync)
{
    const std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting",
                  "CPrinterSetting::WriteFileOrderCurrentWaitNo");
        return 0;
    }
    return WriteValue(strPath, kOrderSection, "LastNo", NumberText(GetOrderCurrentWaitNo()),
                      "CPrinterSetting::WriteFileOrderCurrentWaitNo", bSync != 0)
               ? 1
               : 0;
}

int CPrinterSetting::SyncConfigFile()
{
    const std::string strPath = ConfigPath();
    if (strPath.empty() || !IniSyncFile(strPath.c_str())) {
        LOG_PRINT(LOG_ERROR, "[%s] Sync Fail [%s]", "CPrinterSetting::SyncConfigFile",
                  strPath.c_str());
        return 0;
    }
    return 1;
}

int CPrinterSetting::ReadFileOrderLastDate()
{
    const std::string strPath = ExistingConfigPath("CPrinterSetting::ReadFileOrderLastDate");
    if (strPath.empty()) {
        return 0;
    }
    std::string strDate =
        IniGetString(kOrderSection, "LastDate", "", strPath.c_str(), kReadBufferSize);
    CTeskCriticalAutoRelease guard(m_csOrderFile);
    m_strLastDate = std::move(strDate);
    return 1;
}

int CPrinterSetting::WriteFileOrderLastDate()
{
    const std::string strPath = ConfigPath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] ConfigFilePath Not Setting",
                  "CPrinterSetting::WriteFileOrderLastDate");
        return 0;
    }
    return WriteValue(strPath, kOrderSection, "LastDate", GetOrderLastDate(),
                      "CPrinterSetting::WriteFileOrderLastDate")
               ? 1
               : 0;
}

int CPrinterSetting::RollOverOrderDay()
{
    if (TodayText() == GetOrderLastDate()) {
        return 0;
    }
    SetOrderCurrentWaitNo(GetOrderCurrentWaitNo(), 0);
    return 1;
}

int CPrinterSetting::SetOrderCurrentWaitNo(int nNumber, int bKeepDate, int bWriteNumber)
{
    const std::string strToday = TodayText();
    const int nStartNo = GetOrderStartWaitNo();
    int nCurrent = nStartNo;
    if (strToday == GetOrderLastDate()) {
        nCurrent = nNumber < nStartNo ? nStartNo : nNumber;
    } else if (!bKeepDate) {
        {
            CTeskCriticalAutoRelease guard(m_csOrderFile);
            m_strLastDate = strToday;
        }
        WriteFileOrderLastDate();
    }
    SetGuarded(m_csCurrentWaitNo, m_nCurrentWaitNo, nCurrent);
    if (bWriteNumber != 0) {
        WriteFileOrderCurrentWaitNo();
    }
    return 1;
}
