// Log lines of the settings dialog and the connection panel.
#include "ui/dialogs/logic/print_setting_log.h"

#include "foundation/simple_log.h"

#include <algorithm>
#include <cstdio>

namespace {

struct SClickText
{
    int nId;
    const char* pszText; // printf format: %d the printer, then the value where named
    int nArgs;           // 0 none, 1 value, 2 printer and value
};

const SClickText kSettingClicks[] = {
    {1034, "[USER_CLICK] Printer1 ", 0},
    {1048, "[USER_CLICK] Printer2 ", 0},
    {1053, "[USER_CLICK] 기본 환경", 0},
    {1054, "[USER_CLICK] 사장님 설정", 0},
    {1044, "[USER_CLICK] Printer%d 픽업주문서인쇄 매수 (-) : [%d] ", 2},
    {1045, "[USER_CLICK] Printer%d 픽업주문서 인쇄 매수 (+) : [%d] ", 2},
    {1046, "[USER_CLICK] Printer%d 배달주문서 인쇄 매수 (-) : [%d] ", 2},
    {1047, "[USER_CLICK] Printer%d 배달주문서 인쇄 매수 (+) : [%d] ", 2},
    {1049, "[USER_CLICK] 픽업영수증 인쇄 매수 (-) : [%d] ", 1},
    {1050, "[USER_CLICK] 픽업영수증 인쇄 매수 (+) : [%d] ", 1},
    {1051, "[USER_CLICK] 배달영수증 인쇄 매수 (-) : [%d] ", 1},
    {1052, "[USER_CLICK] 배달영수증 인쇄 매수 (+) : [%d] ", 1},
    {1059, "[USER_CLICK] 고객요청사항 : 작게", 0},
    {1055, "[USER_CLICK] 고객요청사항 : 기본", 0},
    {1056, "[USER_CLICK] 고객요청사항 : 크게", 0},
    {1060, "[USER_CLICK] 기사님요청사항 : 작게", 0},
    {1057, "[USER_CLICK] 기사님요청사항 : 기본", 0},
    {1058, "[USER_CLICK] 기사님요청사항 : 크게", 0},
    {1065, "[USER_CLICK] 메뉴명 : 작게", 0},
    {1066, "[USER_CLICK] 메뉴명 : 기본", 0},
    {1067, "[USER_CLICK] 메뉴명 : 크게", 0},
    {1063, "[USER_CLICK] 원산지 : 작게", 0},
    {1061, "[USER_CLICK] 원산지 : 기본", 0},
    {1062, "[USER_CLICK] 원산지 : 크게", 0},
    {1064, "[USER_CLICK] 옵션그룹명 : 출력", 0},
    {1068, "[USER_CLICK] 옵션그룹명 : 출력안함", 0},
    {1071, "[USER_CLICK] 원산지 : 출력", 0},
    {1072, "[USER_CLICK] 원산지 : 출력안함", 0},
    {1005, "[USER_CLICK] 프린트 테스트", 0},
    {-1005, "[USER_CLICK] 프린트 테스트 중... 스킵", 0},
    {1003, "[USER_CLICK] 프린터 설정 저장", 0},
    {-1003, "[USER_CLICK] 프린터 설정 저장실패", 0},
    {1043, "[USER_CLICK] 환경설정 닫기", 0},
    {-1043, "[USER_CLICK] 종료 중 변경 내용있어 저장 후 종료", 0},
    {-1044, "[USER_CLICK] 변경 내용있으나 저장하지 않고 종료", 0},
};

const SClickText kPanelClicks[] = {
    {1034, "[USER_CLICK] %s 주방주문서출력 사용", 0},
    {1043, "[USER_CLICK] %s 주방주문서출력 비사용", 0},
    {1035, "[USER_CLICK] %s 영수증출력 사용", 0},
    {1044, "[USER_CLICK] %s 영수증출력 비사용", 0},
    {1030, "[USER_CLICK] %s 입력 구분 [시리얼]", 0},
    {1032, "[USER_CLICK] %s 입력 구분 [USB]", 0},
    {1033, "[USER_CLICK] %s 입력 구분 [네트워크]", 0},
    {1036, "[CDlgPrintSettingSub::OnBnClickedButtonSerialChecking] %s 시리얼 포트 조회 Click", 0},
    {1042, "[CDlgPrintSettingSub::OnBnClickedButtonUsbChecking] %s USB 포트 조회 Click", 0},
};

// A COM or LPT port name, letter case ignored.
bool IsPortName(std::string strName)
{
    for (char& ch : strName) {
        ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    return strName.find("COM") != std::string::npos || strName.find("LPT") != std::string::npos;
}

} // namespace

void LogSettingClick(int nControlId, int nPrinter, int nValue)
{
    for (const SClickText& click : kSettingClicks) {
        if (click.nId != nControlId) {
            continue;
        }
        char szText[256];
        if (click.nArgs == 2) {
            std::snprintf(szText, sizeof(szText), click.pszText, nPrinter, nValue);
        } else if (click.nArgs == 1) {
            std::snprintf(szText, sizeof(szText), click.pszText, nValue);
        } else {
            std::snprintf(szText, sizeof(szText), "%s", click.pszText);
        }
        LOG_PRINT(nControlId == -1003 ? LOG_ERROR : LOG_INFO, "%s", szText);
        return;
    }
}

void LogPanelClick(const std::string& strPanel, int nControlId)
{
    for (const SClickText& click : kPanelClicks) {
        if (click.nId == nControlId) {
            char szText[256];
            std::snprintf(szText, sizeof(szText), click.pszText, strPanel.c_str());
            LOG_PRINT(LOG_INFO, "%s", szText);
            return;
        }
    }
}

std::vector<std::string> FilterSerialPortList(const std::string& strPanel,
                                              const std::vector<std::string>& vCandidates,
                                              const std::vector<std::string>& vSkip,
                                              const std::string& strSelect, int bSkipMode)
{
    const char* const pszTag = "CDlgPrintSettingSub::UpdateUISerialPortList";
    LOG_PRINT(LOG_INFO, "[%s] %s 시리얼 포트 조회 Select Port [%s]", pszTag, strPanel.c_str(),
              strSelect.c_str());
    std::vector<std::string> vList;
    for (const std::string& strName : vCandidates) {
        if (!IsPortName(strName)) {
            continue;
        }
        if (std::find(vSkip.begin(), vSkip.end(), strName) != vSkip.end()) {
            if (strName != strSelect || bSkipMode == 1) {
                LOG_PRINT(LOG_INFO, "[%s] %s 시리얼 포트 조회 Search Port [%s]... Skip 포트",
                          pszTag, strPanel.c_str(), strName.c_str());
                continue;
            }
            LOG_PRINT(LOG_INFO, "[%s] SkipSerialPort[%s] SelectSerialPort[%s] SkipPort = FALSE",
                      pszTag, strName.c_str(), strSelect.c_str());
        }
        if (std::find(vList.begin(), vList.end(), strName) != vList.end()) {
            LOG_PRINT(LOG_ERROR, "[%s] %s 이미 추가되어있는 포트이므로 추가하지 않음. [%s]", pszTag,
                      strPanel.c_str(), strName.c_str());
            continue;
        }
        vList.push_back(strName);
        LOG_PRINT(LOG_INFO, "[%s] %s 시리얼 포트 조회 Search Port [%s]", pszTag, strPanel.c_str(),
                  strName.c_str());
    }
    return vList;
}

void LogSkipPortAdded(int nCurrent, int nOther, const std::string& strPort, bool bAtLoad)
{
    if (bAtLoad) {
        LOG_PRINT(LOG_INFO,
                  "[%s] 프린터(%d), 검색 프린터(%d)에서 시리얼 포트(%s) 이미 사용 중... 스킵 포트 "
                  "목록 추가",
                  "CDlgPrintSetting::LoadPrinterInfo", nCurrent, nOther, strPort.c_str());
    } else {
        LOG_PRINT(LOG_INFO,
                  "[%s] 현재 활성된 프린터(%d), 검색 프린터(%d)에서 시리얼 포트(%s) 이미 사용 "
                  "중... 스킵 포트 목록 추가",
                  "CDlgPrintSetting::ShowCurrentPrinterInfo", nCurrent, nOther, strPort.c_str());
    }
}

void LogCountUse(const char* pszTag, int nPaymentUse, int nOrderSheetUse)
{
    LOG_PRINT(LOG_INFO, "[%s] PaymentUse : %d OrderSheetUse : %d", pszTag, nPaymentUse,
              nOrderSheetUse);
}

void LogSpoolerList(const std::string& strPanel, const std::string& strSelect,
                    const std::vector<std::string>& vNames)
{
    const char* const pszTag = "CDlgPrintSettingSub::UpdateUIUSBPrintList";
    LOG_PRINT(LOG_INFO, "[%s] %s USB 포트 조회 Select Name [%s]", pszTag, strPanel.c_str(),
              strSelect.c_str());
    for (const std::string& strName : vNames) {
        LOG_PRINT(LOG_INFO, "[%s] %s Printer [%s]... Add", pszTag, strPanel.c_str(),
                  strName.c_str());
    }
}

std::string SaveWriteFailedText()
{
    return "설정을 저장하지 못했습니다.\r\n저장 전의 설정으로 되돌렸습니다. 디스크 공간을 "
           "확인해주시기 바랍니다.";
}

std::string LineFeedText(int nLines)
{
    char szText[16];
    std::snprintf(szText, sizeof(szText), "%d칸", nLines);
    return szText;
}
