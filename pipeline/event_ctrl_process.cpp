// The event worker: order answers, wait numbers, settings and shop events.
#include "pipeline/event_ctrl_process.h"

#include "agent/nubeq_dll_mngr.h"
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "foundation/window_sink.h"
#include "pipeline/file_sync_worker.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/program_folder.h"
#include "printing/print_base.h"
#include "printing/printer_setting.h"

#include <cstdio>
#include <json/value.h>
#include <thread>
#include <vector>

namespace {

const char* const kEventProcess = "CEventCtrlProcess::EventProcess";
const char* const kMakeSend = "CEventCtrlProcess::MakeSendJsonDataFormat";
const char* const kHooking = "CEventCtrlProcess::IsIncludeHookingOrder";
const char* const kThread = "CEventCtrlProcess::ThreadEventCtrlProcess";
const char* const kFailMessage = "장애접수를 진행해주시기 바랍니다.";

// While the print queue is full: how often it is looked at, and how often
// the wait is logged.
constexpr int kQueueFullPollMs = 10;
constexpr uint64_t kQueueFullWarnMs = 1000;

std::string ConfigPath()
{
    return platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
}

// A member as text: strings as they are, numbers and booleans converted,
// anything else (missing, null, objects, arrays) "".
std::string MemberText(const Json::Value& object, const char* pszKey)
{
    if (!object.isObject() || !object.isMember(pszKey)) {
        return "";
    }
    const Json::Value& value = object[pszKey];
    if (value.isString() || value.isNumeric() || value.isBool()) {
        return value.asString();
    }
    return "";
}

// The event's orders, parsed once: the elements of the root array (the
// member values of a root object); false when strData does not parse. The
// orders are read from these values, not from texts of them parsed again:
// a styled text parses back to an equal value, so the answers, the printed
// texts and the log lines are the same.
bool ParseOrders(const std::string& strData, std::vector<Json::Value>& vecOrders)
{
    CjsonCtrl json;
    if (!json.SetRecvDataLocal(strData, 0, 0)) {
        return false;
    }
    const Json::Value& root = json.Root();
    if (!root.isArray() && !root.isObject()) {
        // No orders; read as a list all the same for the log line of a
        // scalar document.
        json.JsonValue("", "", JSON_TYPE_LIST_TREE, JSON_VAL_STRING);
        return true;
    }
    Json::Value taken = json.TakeRoot();
    vecOrders.reserve(taken.size());
    for (Json::Value& element : taken) {
        vecOrders.push_back(std::move(element));
    }
    return true;
}

// The order's courts with "status" (and "waitNo" unless empty) set;
// elements that are not objects are skipped.
Json::Value MakeCourts(const Json::Value& order, const std::string& strStatus,
                       const std::string* pWaitNo, size_t nIndex, size_t nCount)
{
    Json::Value courts(Json::arrayValue);
    const Json::Value& received = order["courts"];
    if (!received.isArray()) {
        return courts;
    }
    for (const Json::Value& court : received) {
        if (!court.isObject()) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Court Fail, Index [%d:%d]", kMakeSend,
                      static_cast<int>(nIndex), static_cast<int>(nCount));
            continue;
        }
        Json::Value copy = court;
        copy["status"] = strStatus;
        if (pWaitNo != nullptr) {
            copy["waitNo"] = *pWaitNo;
        }
        courts.append(copy);
    }
    return courts;
}

bool IsDeliveryKind(int nKind)
{
    return nKind == PRINT_SERVICE_TYPE_DELIVERY || nKind == PRINT_SERVICE_TYPE_DELIVERY_RESERVED ||
           nKind == PRINT_SERVICE_TYPE_PICKUP_DELIVERY;
}

bool IsAcceptEvent(int nEventId)
{
    return nEventId == 36001 || nEventId == 36003;
}

// Events handled here only: never forwarded to printing.
bool IsLocalEvent(int nEventId)
{
    return nEventId == 36004 || nEventId == 36005 || (nEventId >= 36600 && nEventId <= 36605);
}

void PostToMainWindow(unsigned nMsg, uintptr_t wParam)
{
    PostMainWindowMessage(nMsg, wParam, 0);
}

} // namespace

CEventCtrlProcess::CEventCtrlProcess(CBaseCtrlProcess& printTarget, CToastCtrlProcess* pToast,
                                     CNubeqDllMngr& agent, CPrinterSetting& setting)
    : m_PrintTarget(printTarget), m_pToast(pToast), m_Agent(agent), m_Setting(setting)
{
}

CEventCtrlProcess::~CEventCtrlProcess()
{
    // The worker's handler uses this object; it must be gone first.
    StopWorker();
    // Every number handed out is on the disk (or its sync failure logged)
    // before the program ends.
    if (m_pConfigSync) {
        m_pConfigSync->Stop();
    }
}

int CEventCtrlProcess::StartCtrlProcess()
{
    if (!m_pConfigSync) {
        ConfigSync fnSync = m_fnConfigSync;
        if (!fnSync) {
            CPrinterSetting* pSetting = &m_Setting;
            fnSync = [pSetting] { return pSetting->SyncConfigFile() == 1; };
        }
        m_pConfigSync = std::make_shared<CFileSyncWorker>(std::move(fnSync));
    }
    return StartWorkerThread("CEventCtrlProcess::StartCtrlProcess");
}

void CEventCtrlProcess::SetConfigSync(ConfigSync fnSync)
{
    m_fnConfigSync = std::move(fnSync);
}

bool CEventCtrlProcess::DrainConfigSync(int nTimeoutMs)
{
    return !m_pConfigSync || m_pConfigSync->Drain(nTimeoutMs);
}

int CEventCtrlProcess::ConfigSyncFailures() const
{
    return m_pConfigSync ? m_pConfigSync->Failures() : 0;
}

uint64_t CEventCtrlProcess::ConfigSyncRuns() const
{
    return m_pConfigSync ? m_pConfigSync->SyncRuns() : 0;
}

void CEventCtrlProcess::SetEventObserver(EventObserver fnObserver)
{
    m_fnObserver = std::move(fnObserver);
}

void CEventCtrlProcess::WorkerThreadMain()
{
    // A program started on a new day starts at the start number.
    m_Setting.SetOrderCurrentWaitNo(m_Setting.GetOrderCurrentWaitNo(), 0);
    if (RunWorkerLoop(kThread, EWorkerQueue::Data)) {
        LOG_PRINT(LOG_INFO, "[%s] Set Exit Event", kThread);
    }
}

void CEventCtrlProcess::HandleQueueData(int nEventType, const std::string& strData)
{
    if (IsAcceptEvent(nEventType)) {
        // A program running over midnight: the day roll-over comes before the
        // event takes its numbers, so the first order of a new day gets the
        // start number rather than one from the previous day's sequence.
        m_Setting.RollOverOrderDay();
    }
    // An accept's new numbers are in Config.ini before the agent hears of
    // them (see AnswerOrderEvent); syncing that write to the disk (two
    // fsyncs) is handed to the sync thread once the orders are in the print
    // queue, so neither printing nor the next event waits for the disk. A
    // sync under way when more numbers are written is followed by one more
    // for all of them.
    std::shared_ptr<CFileSyncWorker> pSync = m_pConfigSync;
    std::string strEventData = strData;
    m_bDeferNumberSync = true;
    m_bNumberWritten = false;
    int nResult = EventProcess(nEventType, strEventData, m_Setting.GetOrderCurrentWaitNo());
    m_bDeferNumberSync = false;
    bool bForwarded = false;
    if (nResult == EVENT_RESULT_PRINT) {
        LOG_PRINT(LOG_INFO, "[%s] Event Type [%d] Success", kThread, nEventType);
        if (!IsLocalEvent(nEventType)) {
            LOG_PRINT(LOG_INFO, "[%s] Push Print Queue EventType [%d]", kThread, nEventType);
            bForwarded = PushPrintJob(nEventType, strEventData);
        }
    }
    if (m_bNumberWritten) {
        if (pSync) {
            pSync->RequestSync();
        } else {
            m_Setting.SyncConfigFile();
        }
    }
    if (m_fnObserver) {
        m_fnObserver(nEventType, nResult, bForwarded);
    }
}

bool CEventCtrlProcess::PushPrintJob(int nEventType, const std::string& strData)
{
    // The agent has been told the orders are accepted: they are never
    // dropped. While the print queue is full (a printer that holds every
    // job for its passes) this worker waits for room; its own queue then
    // fills behind it and new events are refused at the door, where the
    // agent can try again. Only the exit request ends the wait.
    const uint64_t nStart = GetTickCount64Safe();
    uint64_t nNextWarn = nStart + kQueueFullWarnMs;
    for (;;) {
        while (m_PrintTarget.DataQueueCount() >= m_PrintTarget.DataQueueCapacity()) {
            if (IsExitRequested()) {
                LOG_PRINT(LOG_ERROR,
                          "[%s] Exit Requested While The Print Queue Is Full... EventType [%d] "
                          "Not Printed",
                          kThread, nEventType);
                return false;
            }
            const uint64_t nNow = GetTickCount64Safe();
            if (nNow >= nNextWarn) {
                LOG_PRINT(LOG_WARN,
                          "[%s] Print Queue Full [%d], Waiting For Room... EventType [%d] "
                          "Waited [%d] ms",
                          kThread, m_PrintTarget.DataQueueCount(), nEventType,
                          static_cast<int>(nNow - nStart));
                nNextWarn += kQueueFullWarnMs;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kQueueFullPollMs));
        }
        if (m_PrintTarget.PushQueueCtrlData(nEventType, strData) == 1) {
            return true;
        }
        if (m_PrintTarget.DataQueueCount() < m_PrintTarget.DataQueueCapacity()) {
            return false; // refused for another reason than a full queue (logged)
        }
    }
}

bool CEventCtrlProcess::SaveWaitNo()
{
    if (m_Setting.WriteFileOrderCurrentWaitNo(0) == 1) {
        m_bNumberWritten = true;
        return true;
    }
    // The numbers keep counting in memory; a restart before a write that
    // succeeds would hand them out again, so someone must hear of it.
    const int nWaitNo = m_Setting.GetOrderCurrentWaitNo();
    ++m_nWaitNoSaveFailures;
    LOG_PRINT(LOG_ERROR, "[%s] WaitNo [%d] Not Saved In Config.ini (cannot save the wait number)",
              kEventProcess, nWaitNo);
    char szReport[256];
    std::snprintf(szReport, sizeof(szReport),
                  "[%s] 대기번호 저장 실패 (cannot save the wait number) WaitNo [%d]",
                  kEventProcess, nWaitNo);
    PushToastQueueCtrlData(0, szReport);
    return false;
}

int CEventCtrlProcess::WaitNoSaveFailures() const
{
    return m_nWaitNoSaveFailures.load();
}

int CEventCtrlProcess::EventProcess(int nEventId, std::string& strData, int nCurrentWaitNo)
{
    LOG_PRINT(LOG_INFO, "[%s] EventInfo [%d], CurrentWaitNo [%d]", kEventProcess, nEventId,
              nCurrentWaitNo);
    switch (nEventId) {
    case 36001:
    case 36002:
    case 36003:
        return AnswerOrderEvent(nEventId, strData, nCurrentWaitNo);
    case 36004:
        LOG_PRINT(LOG_INFO, "[%s] Change menu condition.", kEventProcess);
        return EVENT_RESULT_PRINT;
    case 36005:
        LOG_PRINT(LOG_INFO, "[%s] Reset menu condition.", kEventProcess);
        return EVENT_RESULT_PRINT;
    case 36006:
    case 36101:
        if (IsIncludeHookingOrder(strData)) {
            LOG_PRINT(LOG_DEBUG, "[%s] IncludeHookingOrder Not Print... EventType [%d]",
                      kEventProcess, nEventId);
            return EVENT_RESULT_NO_PRINT;
        }
        return EVENT_RESULT_PRINT;
    case 36102:
    case 36103:
    case 36104:
    case 36105:
        return EVENT_RESULT_PRINT;
    case 36600:
        LOG_PRINT(LOG_INFO, "[%s] Zelkor Shop Lock Event... ReStart Register Shop !!!",
                  kEventProcess);
        PostToMainWindow(WM_NUBEQ_NEWSHOP, 0);
        return EVENT_RESULT_PRINT;
    case 36601:
        LOG_PRINT(LOG_INFO, "[%s] Zelkor Shop Update Event... Update Register Shop !!!",
                  kEventProcess);
        PostToMainWindow(WM_NUBEQ_UPDATESHOP, 0);
        return EVENT_RESULT_PRINT;
    case 36602:
        LOG_PRINT(LOG_INFO, "[%s] Zelkor End Event...", kEventProcess);
        PostToMainWindow(WM_ZELKOR_END, 0);
        return EVENT_RESULT_PRINT;
    case 36603:
        LOG_PRINT(LOG_INFO, "[%s] Show Setting Event.", kEventProcess);
        if (!HasMainWindowSink()) {
            LOG_PRINT(LOG_ERROR, "[%s] Cannot show setting menu.", kEventProcess);
        } else {
            PostToMainWindow(WM_ZELKOR_COMMAND, ID_TRAY_PRINTSETTING);
        }
        return EVENT_RESULT_PRINT;
    case 36604:
        UpdateSetting(strData);
        if (m_pToast != nullptr) {
            m_pToast->LoadShopInfo();
        }
        return EVENT_RESULT_PRINT;
    case 36605: {
        LOG_PRINT(LOG_INFO, "[%s] Zelkor Logout Event...", kEventProcess);
        const std::string strConfig = ConfigPath();
        for (const char* pszSection : {"STORE", "ORDER", "POS"}) {
            IniDeleteSection(pszSection, strConfig.c_str());
        }
        PostToMainWindow(WM_NUBEQ_NEWSHOP, 0);
        return EVENT_RESULT_PRINT;
    }
    default:
        LOG_PRINT(LOG_ERROR, "[%s] EventID [%d] Not Support", kEventProcess, nEventId);
        return EVENT_RESULT_UNSUPPORTED;
    }
}

int CEventCtrlProcess::AnswerOrderEvent(int nEventId, std::string& strData, int nCurrentWaitNo)
{
    const bool bAccept = IsAcceptEvent(nEventId);
    const std::string strStatus = bAccept ? "ACCEPTED" : "COMPLETED";
    std::string strCommand =
        nEventId == 36001 ? "ACCEPTED" : (nEventId == 36003 ? "ACCEPTED_AUTO" : "COMPLETED");
    int nOrderCount = 0;
    int nOutsideApp = 0;
    std::string strResult;
    if (MakeSendJsonDataFormat(strResult, strData, nCurrentWaitNo, nOrderCount, strStatus,
                               nOutsideApp) != 1) {
        strCommand = "FAILED";
        Json::Value failure(Json::arrayValue);
        Json::Value message(Json::objectValue);
        message["message"] = kFailMessage;
        failure.append(message);
        strResult = CjsonCtrl::StyledText(failure);
    }
    // The numbers of an accept are in Config.ini (renamed into place) before
    // the answer goes out: a process killed at any moment after the agent
    // has them never hands them out again. A refused answer takes them back.
    const bool bTakesNumbers = bAccept && strCommand != "FAILED" && nOrderCount > 0;
    const int nWaitNoBefore = m_Setting.GetOrderCurrentWaitNo();
    if (bTakesNumbers) {
        m_Setting.SetOrderCurrentWaitNo(nWaitNoBefore + nOrderCount, 0, 0);
        SaveWaitNo();
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Call_SendData [%d], EventType [%d] Command [%s] Data [%s]",
              kEventProcess, 0, nEventId, strCommand.c_str(), strResult.c_str());
    int nSend = m_Agent.Call_SendData(strCommand, strResult);
    if (nSend != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] Call_SendData Fail [%d], EventType [%d]", kEventProcess, nSend,
                  nEventId);
        if (bTakesNumbers) {
            m_Setting.SetOrderCurrentWaitNo(nWaitNoBefore, 0, 0);
            SaveWaitNo();
        }
    }
    if (m_bNumberWritten && !m_bDeferNumberSync) {
        m_Setting.SyncConfigFile();
    }
    if (nSend != 1 || strCommand == "FAILED") {
        return EVENT_RESULT_NO_PRINT;
    }
    if (nOutsideApp == 1) {
        LOG_PRINT(LOG_DEBUG, "[%s] IncludeHookingOrder Not Print... EventType [%d]", kEventProcess,
                  nEventId);
        return EVENT_RESULT_NO_PRINT;
    }
    return EVENT_RESULT_PRINT;
}

int CEventCtrlProcess::MakeSendJsonDataFormat(std::string& strResult, std::string& strData,
                                              int nCurrentWaitNo, int& nOrderCount,
                                              const std::string& strStatus, int& nOutsideApp)
{
    std::vector<Json::Value> vecOrders;
    if (!ParseOrders(strData, vecOrders)) {
        LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Fail, RecvData [%s]", kMakeSend,
                  strData.c_str());
        return 0;
    }
    const bool bCompleted = strStatus == "COMPLETED";
    const size_t nCount = vecOrders.size();
    Json::Value results(Json::arrayValue);
    // What is printed after an accept: every order read, renumbered or as
    // received (an order with its own number, a delivery order), in order.
    Json::Value printed(Json::arrayValue);
    bool bRenumbered = false;
    bool bUnchanged = false;
    for (size_t i = 0; i < nCount; ++i) {
        Json::Value& order = vecOrders[i];
        if (!order.isObject()) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Fail, Index [%d:%d], RecvData [%s]",
                      kMakeSend, static_cast<int>(i), static_cast<int>(nCount),
                      CjsonCtrl::StyledText(order).c_str());
            continue;
        }
        Json::Value result(Json::objectValue);
        const bool bHasCourts = order.isMember("courts");
        if (bCompleted) {
            if (bHasCourts) {
                result["courts"] = MakeCourts(order, strStatus, nullptr, i, nCount);
            }
            result["orderNo"] = MemberText(order, "no");
            result["status"] = strStatus;
            result["billNo"] = "-";
        } else {
            const std::string strWaitNo = std::to_string(nCurrentWaitNo + nOrderCount);
            const std::string strOwnWaitNo = MemberText(order, "waitNo");
            const int nKind = CPrintBase::GetEnumServiceType(MemberText(order, "serviceType"),
                                                             MemberText(order, "subServiceType"),
                                                             MemberText(order, "reserveFlag"));
            const bool bDelivery = IsDeliveryKind(nKind);
            if (bHasCourts) {
                result["courts"] =
                    MakeCourts(order, strStatus, bDelivery ? nullptr : &strWaitNo, i, nCount);
            }
            result["orderNo"] = MemberText(order, "no");
            result["status"] = strStatus;
            result["waitNo"] = strWaitNo;
            ++nOrderCount;
            if (IsOutsideApp(MemberText(order, "sourceType"))) {
                nOutsideApp = 1;
            }
            if (!bDelivery && (strOwnWaitNo.empty() || strOwnWaitNo == "null")) {
                order["waitNo"] = strWaitNo;
                bRenumbered = true;
            } else {
                bUnchanged = true;
            }
            printed.append(std::move(order));
        }
        results.append(result);
        if (bCompleted && IsOutsideApp(MemberText(order, "sourceType"))) {
            nOutsideApp = 1;
        }
    }
    if (!bCompleted) {
        if (bRenumbered) {
            strData = CjsonCtrl::StyledText(printed);
        } else if (!bUnchanged) {
            LOG_PRINT(LOG_WARN, "[%s] Update WaitNo Fail...", kMakeSend);
        }
    }
    strResult = CjsonCtrl::StyledText(results);
    return 1;
}

bool CEventCtrlProcess::IsOutsideApp(const std::string& strSourceType)
{
    return strSourceType == "BAEMIN_APP" || strSourceType == "COUPANG_APP" ||
           strSourceType == "YOGIYO_APP";
}

bool CEventCtrlProcess::IsIncludeHookingOrder(const std::string& strData)
{
    std::vector<Json::Value> vecOrders;
    if (!ParseOrders(strData, vecOrders)) {
        LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Fail, RecvData [%s]", kHooking,
                  strData.c_str());
        return false;
    }
    const size_t nCount = vecOrders.size();
    for (size_t i = 0; i < nCount; ++i) {
        const Json::Value& order = vecOrders[i];
        if (!order.isObject()) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Fail, Index [%d:%d], RecvData [%s]",
                      kHooking, static_cast<int>(i), static_cast<int>(nCount),
                      CjsonCtrl::StyledText(order).c_str());
            continue;
        }
        if (IsOutsideApp(MemberText(order, "sourceType"))) {
            return true;
        }
    }
    return false;
}

void CEventCtrlProcess::UpdateSetting(const std::string& strData)
{
    CjsonCtrl json;
    if (!json.SetRecvDataLocal(strData, 1, 0)) {
        return;
    }
    json.JsonValue("", "", JSON_TYPE_LIST_TREE, JSON_VAL_STRING);
    std::vector<std::string> vecEntries;
    json.GetArray(vecEntries);
    const std::string strConfig = ConfigPath();
    for (const std::string& strEntry : vecEntries) {
        CjsonCtrl entry;
        if (!entry.SetRecvDataLocal(strEntry, 1, 0) || !entry.Root().isObject()) {
            continue;
        }
        const std::string strSection = MemberText(entry.Root(), "section");
        const std::string strKey = MemberText(entry.Root(), "key");
        const std::string strValue = MemberText(entry.Root(), "value");
        if (strKey.empty() || strKey == "NULL") {
            IniDeleteSection(strSection.c_str(), strConfig.c_str());
        } else if (strValue.empty() || strValue == "NULL") {
            IniDeleteKey(strSection.c_str(), strKey.c_str(), strConfig.c_str());
        } else {
            IniWriteString(strSection.c_str(), strKey.c_str(), strValue.c_str(), strConfig.c_str());
        }
    }
}
