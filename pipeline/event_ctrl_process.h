// The event worker: answers the agent's order events, hands out wait
// numbers, forwards printable events to the print worker, applies settings
// pushed by the service and turns shop events into main window messages.
#pragma once

#include "pipeline/base_ctrl_process.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CFileSyncWorker;
class CNubeqDllMngr;
class CPrinterSetting;
class CToastCtrlProcess;

// Messages posted to the main window (both parameters 0).
constexpr unsigned WM_NUBEQ_NEWSHOP = 3024;
constexpr unsigned WM_NUBEQ_UPDATESHOP = 3025;
constexpr unsigned WM_ZELKOR_END = 3026;
constexpr unsigned WM_ZELKOR_COMMAND = 0x0111; // WM_COMMAND
constexpr unsigned ID_TRAY_PRINTSETTING = 32777;

// Results of EventProcess.
enum EEventResult
{
    EVENT_RESULT_PRINT = 0,       // handled; forwarded to printing where the table says so
    EVENT_RESULT_NO_PRINT = 1,    // handled, nothing to print
    EVENT_RESULT_UNSUPPORTED = 50 // unknown event id
};

// The print target, agent library and settings store must outlive the
// worker (in the program they are the process-wide objects).
class CEventCtrlProcess : public CBaseCtrlProcess
{
public:
    // Called on the worker thread after each event with its result and
    // whether it went to the print queue (headless tools wait on it).
    using EventObserver = std::function<void(int nEventId, int nResult, bool bForwarded)>;

    // pToast may be null (no shop-information reload after settings).
    CEventCtrlProcess(CBaseCtrlProcess& printTarget, CToastCtrlProcess* pToast,
                      CNubeqDllMngr& agent, CPrinterSetting& setting);
    ~CEventCtrlProcess() override;

    int StartCtrlProcess() override;

    // 0 handled (print where the table says so), 1 handled without print,
    // 50 unsupported. strData may be replaced by the renumbered orders.
    int EventProcess(int nEventId, std::string& strData, int nCurrentWaitNo);

    // The answer document for the agent. 1 built, 0 strData not parseable.
    int MakeSendJsonDataFormat(std::string& strResult, std::string& strData, int nCurrentWaitNo,
                               int& nOrderCount, const std::string& strStatus, int& nOutsideApp);

    // True when some order of strData comes from an outside delivery app.
    static bool IsIncludeHookingOrder(const std::string& strData);
    // "BAEMIN_APP", "COUPANG_APP" or "YOGIYO_APP".
    static bool IsOutsideApp(const std::string& strSourceType);

    // Section / key / value entries into Config.ini of the program folder.
    static void UpdateSetting(const std::string& strData);

    // Set before the worker starts.
    void SetEventObserver(EventObserver fnObserver);

    // Accepts whose new wait number could not be written to Config.ini
    // (each logged and reported); the number in memory counts on.
    int WaitNoSaveFailures() const;

    // How the worker syncs Config.ini after number writes (default the
    // settings store's SyncConfigFile); false when the sync failed, logged
    // by the function. Set before the worker starts (tests hold the sync).
    using ConfigSync = std::function<bool()>;
    void SetConfigSync(ConfigSync fnSync);
    // Waits until every number written so far is synced, or its sync has
    // failed (logged), at most nTimeoutMs (negative: no limit). False on
    // time-out. For an exit that cannot wait for the destructor.
    bool DrainConfigSync(int nTimeoutMs);
    // Syncs of Config.ini that failed, and syncs run so far.
    int ConfigSyncFailures() const;
    uint64_t ConfigSyncRuns() const;

protected:
    void WorkerThreadMain() override;
    void HandleQueueData(int nEventType, const std::string& strData) override;

private:
    int AnswerOrderEvent(int nEventId, std::string& strData, int nCurrentWaitNo);
    // Puts a printable event into the print queue, waiting for room.
    bool PushPrintJob(int nEventType, const std::string& strData);
    // Writes the current wait number (unsynced); logs and reports a failure.
    bool SaveWaitNo();

    CBaseCtrlProcess& m_PrintTarget;
    CToastCtrlProcess* m_pToast;
    CNubeqDllMngr& m_Agent;
    CPrinterSetting& m_Setting;
    EventObserver m_fnObserver;
    ConfigSync m_fnConfigSync;
    // Worker thread only: the sync of an accept's number write is left to
    // m_pConfigSync; whether a write is waiting for it.
    bool m_bDeferNumberSync = false;
    bool m_bNumberWritten = false;
    // Syncs the numbers written by the worker in the background, once for
    // all writes since the last sync. Made when the worker starts; drained
    // at the stop.
    std::shared_ptr<CFileSyncWorker> m_pConfigSync;
    std::atomic<int> m_nWaitNoSaveFailures{0};
};
