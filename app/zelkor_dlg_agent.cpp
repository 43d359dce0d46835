// CZelkorDlg, agent start: whether the shop must be registered first, the
// identity handed to the agent library, the run (plain or daily), the three
// workers, and the two messages by which the agent side asks for the shop
// registration to be redone.
#include "app/process_watchdog.h"
#include "app/shell_parts.h"
#include "app/shop_registration.h"
#include "app/watchdog_flag.h"
#include "app/zelkor_dlg.h"
#include "foundation/ini_file.h"
#include "foundation/message_box.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "foundation/tesk_thread.h"
#include "foundation/text_util.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/file_system.h"
#include "platform/local_clock.h"
#include "platform/program_folder.h"
#include "printing/printer_setting.h"
#include "res/string_table.h"

#include <cstdio>
#include <memory>
#include <new>
#include <thread>

namespace {

const char* const kAgentProcess = "NUBEQ.exe";

std::string PosValue(const char* pszKey, const std::string& strPath)
{
    return IniGetString("POS", pszKey, "", strPath.c_str());
}

} // namespace

std::string CZelkorDlg::ConfigPath() const
{
    return platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
}

int CZelkorDlg::IsFirstTimeStart(std::string& strType)
{
    const char* const pszName = "CZelkorDlg::IsFirstTimeStart";
    const std::string strPath = ConfigPath();
    if (!platform::FileExists(strPath)) {
        LOG_PRINT(LOG_TRACE, "[%s] File Not Exist [%s]", pszName, strPath.c_str());
        return 1;
    }
    CIniSnapshot config(strPath.c_str());
    std::string strBizNo = config.GetString("POS", "Nobizer", "");
    std::string strStoreId = config.GetString("POS", "StoreId", "");
    std::string strUserId = config.GetString("POS", "UserId", "");
    std::string strLoginType = config.GetString("POS", "TYPE", "");
    if (!strBizNo.empty() || !strStoreId.empty() || !strUserId.empty()) {
        LOG_PRINT(LOG_TRACE, "[%s] POS Info Already Set", pszName);
        return 0;
    }
    LOG_PRINT(LOG_TRACE, "[%s] POS Info Empty", pszName);
    strType = strLoginType;
    return 1;
}

int CZelkorDlg::RunNubeqProcess()
{
    CNubeqDllMngr& agent = NubeqDllMngr();
    const std::string strPath = ConfigPath();
    CIniSnapshot config(strPath.c_str());
    std::string strUserId = config.GetString("POS", "UserId", "");
    if (!strUserId.empty()) {
        agent.Call_SetData("userid", strUserId);
    }
    std::string strBizNo = config.GetString("POS", "Nobizer", "");
    std::string strStoreId = config.GetString("POS", "StoreId", "");
    std::string strLastDate = config.GetString("ORDER", "LastDate", "");
    if (!strBizNo.empty()) {
        agent.Call_SetData("registernumber", strBizNo);
    }
    if (!strStoreId.empty()) {
        agent.Call_SetData("posid", strStoreId);
    }
    agent.Call_SetData("orgno", "1");
    agent.Call_SetData("pos_type", "install");

    platform::LocalTime now = platform::GetLocalTime();
    char szToday[16];
    std::snprintf(szToday, sizeof(szToday), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    if (strLastDate == szToday) {
        return agent.Call_ProcessRun(MainWindowHandle());
    }
    // A daily run. A last date the store holds goes back into the file
    // (the watchdog deletes it there to force this run).
    if (!PrinterSetting().GetOrderLastDate().empty()) {
        PrinterSetting().WriteFileOrderLastDate();
    }
    return agent.Call_DailyRun(MainWindowHandle());
}

int CZelkorDlg::FenwaAgentStartProcess(int nCheckFirst)
{
    const char* const pszName = "CZelkorDlg::FenwaAgentStartProcess";
    std::string strType;
    if (nCheckFirst == 1 && IsFirstTimeStart(strType)) {
        // The registration hands the identity to the agent itself.
        int nResult = m_Parts.CreateShopRegistration(*this, "", "")->DoModal();
        if (nResult == REGISTER_RESULT_CANCEL) {
            LOG_PRINT(LOG_WARN, "[%s] RegisterPos Fail !!! [%d] Process Close !!!", pszName,
                      nResult);
            return -1;
        }
    } else {
        int nResult = RunNubeqProcess();
        if (nResult != 1) {
            LOG_PRINT(LOG_ERROR, "[%s] RunNubeqProcess Fail!!! Result [%d] ", pszName, nResult);
            return -2;
        }
    }
    int nResult = EventCtrlProcess().StartCtrlProcess();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Start EventCtrl Thread Fail!!! Result [%d] ", pszName, nResult);
        return -3;
    }
    nResult = PrintCtrlProcess().StartCtrlProcess();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Start PrintCtrl Thread Fail!!! Result [%d] ", pszName, nResult);
        return -3;
    }
    nResult = ToastCtrlProcess().StartCtrlProcess();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Start ToastCtrl Thread Fail!!! Result [%d] ", pszName, nResult);
        return -3;
    }
    return 0;
}

int CZelkorDlg::RunFenwaAgentStartProcess(int nCheckFirst)
{
    const char* const pszName = "CZelkorDlg::RunFenwaAgentStartProcess";
    int nResult = FenwaAgentStartProcess(nCheckFirst);
    if (nResult == -1 || nResult == -2) {
        if (nResult == -2 && ToastCtrlProcess().IsRunning()) {
            // A restart of the agent failed while the program ran: the
            // shop would stop printing with nothing but a log line, so the
            // failure goes to the webhook before the program ends.
            ToastCtrlProcess().ToastPush(
                0, "[%s] 미르벨 재실행 실패 (RunNubeqProcess Fail) : 프로그램 종료", pszName);
        }
        EndDialog(IDD_RESULT_CANCEL);
        return -1;
    }
    if (nResult == -3) {
        ZelkorMessageBox(pszName, LOG_ERROR, IDS_FUNCTION_FAILED,
                         LoadResString(IDS_FUNCTION_FAILED), MB_OK | MB_ICONERROR, this);
    } else if (nResult < -3 || nResult > 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Result [%d]", pszName, nResult);
    }
    LOG_PRINT(LOG_INFO, "[%s] FenwaAgentStartProcess Success !!!", pszName);
    return 0;
}

int CZelkorDlg::NUBEQRunningCheckAndStart(int nCheckFirst)
{
    const char* const pszName = "CZelkorDlg::NUBEQRunningCheckAndStart";
    {
        CTeskCriticalAutoRelease guard(m_csAgentStartGuard);
        if (m_nAgentStartGuard == 1) {
            LOG_PRINT(LOG_DEBUG, "[%s] Already NUBEQ Start Check", pszName);
            return 0;
        }
        m_nAgentStartGuard = 1;
    }
    int nResult = 0;
    if (IsProcessRunning(kAgentProcess) == 1) {
        LOG_PRINT(LOG_TRACE, "[%s] [%s] ProcessRunning", pszName, kAgentProcess);
    } else {
        nResult = RunFenwaAgentStartProcess(nCheckFirst);
        LOG_PRINT(LOG_TRACE, "[%s] RunFenwaAgentStartProcess Result [%d]", pszName, nResult);
    }
    CTeskCriticalAutoRelease guard(m_csAgentStartGuard);
    m_nAgentStartGuard = 0;
    return nResult;
}

CTeskThread* CZelkorDlg::NewWatchDogThread()
{
    return new (std::nothrow) CTeskThread(&ThreadProcessWatchDog);
}

int CZelkorDlg::StartNUBEQProcessWatchDogThread()
{
    const char* const pszName = "CZelkorDlg::StartNUBEQProcessWatchDogThread";
    m_pTeskThreadProcessWatchDog.reset(NewWatchDogThread());
    if (!m_pTeskThreadProcessWatchDog) {
        LOG_PRINT(LOG_ERROR, "[%s] TeskThreadProcessWatchDog NULL Pointer !!!", pszName);
        return 0;
    }
    auto* pInfo = new (std::nothrow) ProcessWatchDogInfo{};
    if (pInfo == nullptr) {
        m_pTeskThreadProcessWatchDog.reset();
        LOG_PRINT(LOG_ERROR, "[%s] ProcessWatchDogInfo NULL Pointer !!!", pszName);
        return 0;
    }
    std::snprintf(pInfo->szProcessName, sizeof(pInfo->szProcessName), "%s", kAgentProcess);
    pInfo->nCheckTimeMs = WatchDogCheckTimeMs();
    pInfo->hNotiWnd = MainWindowHandle();
    pInfo->nNotiMessage = WM_NUBEQ_RUN;
    // The record is the thread's once it runs; a thread that did not start
    // never takes it, and the program learns it has no watchdog.
    if (m_pTeskThreadProcessWatchDog->Start(pInfo) != 1) {
        delete pInfo;
        m_pTeskThreadProcessWatchDog.reset();
        return 0;
    }
    SetProcessWatchDogThreadRun(1);
    return 1;
}

void CZelkorDlg::WaitAgentEnd()
{
    for (int i = 0; i < 10; ++i) {
        if (IsProcessRunning(kAgentProcess) != 1) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (IsProcessRunning(kAgentProcess) == 1) {
        NubeqDllMngr().Call_ProcessEnd();
    }
}

intptr_t CZelkorDlg::Msg_NubeqNewShop()
{
    LOG_PRINT(LOG_INFO, "[%s] Call", "CZelkorDlg::Msg_NubeqNewShop");
    WaitAgentEnd();
    const std::string strPath = ConfigPath();
    IniDeleteKey("POS", "Nobizer", strPath.c_str());
    IniDeleteKey("POS", "StoreId", strPath.c_str());
    NUBEQRunningCheckAndStart(1);
    return 0;
}

intptr_t CZelkorDlg::Msg_NubeqUpdateShop()
{
    const char* const pszName = "CZelkorDlg::Msg_NubeqUpdateShop";
    LOG_PRINT(LOG_INFO, "[%s] Call", pszName);
    WaitAgentEnd();
    LOG_PRINT(LOG_INFO, "[%s] Start", pszName);
    const std::string strPath = ConfigPath();
    if (!platform::FileExists(strPath)) {
        LOG_PRINT(LOG_ERROR, "[%s] File Not Found!!! [%s]", pszName, strPath.c_str());
    }
    std::string strBizNo = PosValue("Nobizer", strPath);
    std::string strStoreId = PosValue("StoreId", strPath);
    std::unique_ptr<IShopRegistration> pRegistration =
        m_Parts.CreateShopRegistration(*this, strBizNo, strStoreId);
    if (!strBizNo.empty() && !strStoreId.empty() &&
        pRegistration->RunRegisterShop(strBizNo, strStoreId, 0) == 0) {
        NUBEQRunningCheckAndStart(0);
        return 0;
    }
    int nResult = pRegistration->DoModal();
    if (nResult == REGISTER_RESULT_CANCEL) {
        LOG_PRINT(LOG_WARN, "[%s] RegisterPos Fail !!! [%d] Process Close !!!", pszName, nResult);
        EndDialog(IDD_RESULT_CANCEL);
        return 0;
    }
    NUBEQRunningCheckAndStart(0);
    return 0;
}
