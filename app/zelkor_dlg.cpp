// CZelkorDlg: window creation and destruction, the message intake from
// the agent, the private messages, the timer, power and session events.
#include "app/zelkor_dlg.h"

#include "app/crash_hooks.h"
#include "app/printer_check.h"
#include "app/shell_parts.h"
#include "app/watchdog_flag.h"
#include "app/window_host.h"
#include "foundation/message_box.h"
#include "foundation/module_util.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "foundation/tesk_thread.h"
#include "foundation/text_util.h"
#include "foundation/window_sink.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "platform/session_signals.h"
#include "res/string_table.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <unistd.h>

const char* const ZELKOR_WINDOW_TITLE = "젤코르";

namespace {

std::atomic<AgentWindowHandle> g_hMainWindow{0};

// How long the end of the session waits for the wait numbers' sync.
constexpr int kSessionEndSyncMs = 2000;

} // namespace

AgentWindowHandle CZelkorDlg::MainWindowHandle()
{
    return g_hMainWindow.load();
}

CZelkorDlg::CZelkorDlg(IWindowHost& host, CShellParts& parts) : m_Host(host), m_Parts(parts) {}

CZelkorDlg::~CZelkorDlg()
{
    m_pAlive.reset(); // calls still queued for this window find it gone
    SetProcessWatchDogThreadRun(0);
    m_Parts.DestroyTrayIcon();
    m_Parts.DestroySettingsDialog();
    if (m_pTeskThreadProcessWatchDog) {
        // Its sleep ends at once on the request.
        m_pTeskThreadProcessWatchDog->Stop();
        m_pTeskThreadProcessWatchDog.reset();
    }
    if (m_bSinkInstalled) {
        // The workers live on after the window (until the process exits):
        // from here on their messages find no window instead of a dead one.
        RemoveMainWindowSink();
    }
    g_hMainWindow.store(0);
    DestroyWindowEndpoint();
}

int CZelkorDlg::DoModal()
{
    if (!CreateWindowEndpoint()) {
        return IDD_RESULT_CANCEL;
    }
    OnInitDialog();
    if (!m_bEnded) {
        m_Host.RunLoop();
    }
    OnDestroy();
    DestroyWindowEndpoint();
    return m_nResult;
}

void CZelkorDlg::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    m_Host.EndLoop(nResult);
}

bool CZelkorDlg::CreateWindowEndpoint()
{
    const char* const pszName = "CZelkorDlg::Create";
    AgentWindowHandle hWnd = platform::AllocateWindowId();
    std::string strError;
    bool bOpen = m_Endpoint.Open(
        hWnd,
        [this](const platform::SWindowRequest& request) { return OnEndpointMessage(request); },
        [](int nLevel, const std::string& strText) { LOG_PRINT(nLevel, "%s", strText.c_str()); },
        strError);
    if (!bOpen) {
        LOG_PRINT(LOG_ERROR, "[%s] Window endpoint Fail... %s", pszName, strError.c_str());
        return false;
    }
    m_hWnd = hWnd;
    m_Host.SetWindowProc([this](unsigned nMsg, uintptr_t wParam, intptr_t lParam) {
        return WindowProc(nMsg, wParam, lParam);
    });
    m_Host.WatchReadable(m_Endpoint.PollFd(), [this] { m_Endpoint.Dispatch(); });
    if (platform::SessionSignalFd() >= 0) {
        m_Host.WatchReadable(platform::SessionSignalFd(), [this] { OnSessionSignal(); });
    }
    LOG_PRINT(LOG_TRACE, "[%s] Window [%lld] Endpoint [%s]", pszName, static_cast<long long>(hWnd),
              m_Endpoint.SocketPath().c_str());
    return true;
}

void CZelkorDlg::DestroyWindowEndpoint()
{
    if (m_Endpoint.IsOpen()) {
        m_Host.UnwatchReadable(m_Endpoint.PollFd());
        if (platform::SessionSignalFd() >= 0) {
            m_Host.UnwatchReadable(platform::SessionSignalFd());
        }
        m_Endpoint.Close(); // registration and socket file go with it
    }
    if (m_hWnd != 0) {
        m_Host.SetWindowProc(nullptr);
    }
    m_hWnd = 0;
}

void CZelkorDlg::InstallMainWindowSink()
{
    std::weak_ptr<int> pWeak = m_pAlive;
    IWindowHost* pHost = &m_Host;
    ::InstallMainWindowSink(
        [this, pWeak, pHost](unsigned nMsg, uintptr_t wParam, intptr_t lParam) {
            return pHost->PostToMainThread([this, pWeak, nMsg, wParam, lParam] {
                if (!pWeak.expired()) {
                    WindowProc(nMsg, wParam, lParam);
                }
            });
        },
        [this, pWeak, pHost](unsigned nMsg, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            intptr_t nResult = 0;
            bool bRan = false;
            bool bSent = pHost->SendToMainThread([&] {
                if (!pWeak.expired()) {
                    nResult = WindowProc(nMsg, wParam, lParam);
                    bRan = true;
                }
            });
            if ((!bSent || !bRan) && nMsg == WM_TRAY_SHOW_TOAST) {
                delete reinterpret_cast<ToastRequestInfo*>(lParam); // the window owned it
            }
            return nResult;
        });
    m_bSinkInstalled = true;
}

intptr_t CZelkorDlg::WindowProc(unsigned nMsg, uintptr_t wParam, intptr_t lParam)
{
    switch (nMsg) {
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_NUBEQ_RUN:
        return Msg_NubeqRun();
    case WM_TIMER:
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(static_cast<unsigned>(wParam));
    case WM_ZELKOR_END:
        return Msg_ZelkorEnd();
    case WM_NUBEQ_NEWSHOP:
        return Msg_NubeqNewShop();
    case WM_NUBEQ_UPDATESHOP:
        return Msg_NubeqUpdateShop();
    case WM_COMMAND:
        switch (wParam & 0xFFFF) {
        case ID_TRAY_PRINTSETTING:
            OnTrayMenuPrintSetting();
            break;
        case ID_TRAY_CLOSE:
            OnTrayMenuClose();
            break;
        default:
            break;
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            m_Parts.ShowAboutBox(*this);
        }
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession();
    case WM_TRAY_SHOW_TOAST:
        return Msg_TrayShowToastNotify(lParam);
    case WM_TASKBAR_CREATED:
        CreateTrayIcon();
        return 0;
    default:
        return 0;
    }
}

platform::SWindowReply CZelkorDlg::OnEndpointMessage(const platform::SWindowRequest& request)
{
    const platform::SWindowFrame& frame = request.frame;
    const platform::SWindowReply handled{platform::WINDOW_REPLY_HANDLED, 0};
    switch (frame.nMessage) {
    case WM_COPYDATA: {
        // The record and its text live in this process: a pointer of the
        // sender never is one here.
        COPYDATASTRUCT record;
        record.dwData = static_cast<uintptr_t>(frame.lParam);
        record.cbData = static_cast<uint32_t>(frame.strPayload.size());
        record.lpData =
            (frame.nFlags & platform::WINDOW_FRAME_NO_DATA) ? nullptr : frame.strPayload.data();
        bool bNoRecord = (frame.nFlags & platform::WINDOW_FRAME_NO_RECORD) != 0;
        return {platform::WINDOW_REPLY_HANDLED,
                WindowProc(WM_COPYDATA, frame.wParam,
                           bNoRecord ? 0 : reinterpret_cast<intptr_t>(&record))};
    }
    case WM_NUBEQ_RUN:
    case WM_CLOSE:
        return {handled.nStatus, WindowProc(frame.nMessage, 0, 0)};
    case WM_COMMAND:
        if ((frame.wParam & 0xFFFF) == ID_TRAY_CLOSE ||
            (frame.wParam & 0xFFFF) == ID_TRAY_PRINTSETTING) {
            return {handled.nStatus, WindowProc(WM_COMMAND, frame.wParam & 0xFFFF, 0)};
        }
        break;
    default:
        break;
    }
    LOG_PRINT(LOG_WARN,
              "[%s] Message [%u] wParam [%llu] lParam [%lld] from pid [%d] refused: not taken from "
              "another process",
              "CZelkorDlg::OnEndpointMessage", frame.nMessage,
              static_cast<unsigned long long>(frame.wParam), static_cast<long long>(frame.lParam),
              request.nPeerPid);
    return {platform::WINDOW_REPLY_REFUSED, 0};
}

int CZelkorDlg::OnInitDialog()
{
    const char* const pszName = "CZelkorDlg::OnInitDialog";
    g_hMainWindow.store(m_hWnd);
    InstallMainWindowSink();
    m_strVersion = GetFileVersion("Zelkor.exe");

    if (!m_Parts.CreateSettingsDialog(*this)) {
        LOG_PRINT(LOG_ERROR, "[%s] New(Alloc) PrintSetting Dlg Fail!!!", pszName);
        ZelkorMessageBox(pszName, LOG_ERROR, IDS_SETTING_DLG_FAILED,
                         LoadResString(IDS_SETTING_DLG_FAILED), MB_OK | MB_ICONWARNING, this);
        EndDialog(IDD_RESULT_CANCEL);
        return 0;
    }

    if (IsIncludeInValidPrinterToMemory() == 1) {
        // Start-up goes on while the box is open.
        ShowMessageBoxAsync(this, LoadResString(IDS_PRINT_NOT_POSSIBLE).c_str(),
                            IDS_PRINT_NOT_POSSIBLE);
    } else {
        LOG_PRINT(LOG_DEBUG, "[%s] Init Printer Check Success", pszName);
    }

    CreateTrayIcon();

    if (RunFenwaAgentStartProcess(1) == 0) {
        if (!StartNUBEQProcessWatchDogThread()) {
            LOG_PRINT(LOG_ERROR, "[%s] Start Failed NUBEQ WatchDog Thread", pszName);
        }
    }

    // The title makes the window findable for a second start.
    std::string strError;
    if (m_Endpoint.IsOpen() &&
        !m_Endpoint.Register(ZELKOR_WINDOW_CLASS, ZELKOR_WINDOW_TITLE, strError)) {
        LOG_PRINT(LOG_ERROR, "[%s] Window registration Fail... %s", pszName, strError.c_str());
    }
    return 1;
}

int CZelkorDlg::OnCopyData(const COPYDATASTRUCT* pCopyDataStruct)
{
    const char* const pszName = "CZelkorDlg::OnCopyData";
    if (pCopyDataStruct == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] CopyDataStruct NULL", pszName);
        return 1;
    }
    const int nType = static_cast<int>(pCopyDataStruct->dwData);
    std::string strData;
    if (pCopyDataStruct->lpData == nullptr) {
        LOG_PRINT(LOG_WARN, "[%s] CopyDataStruct lpData NULL, Type [%d] !!!", pszName, nType);
    } else {
        // Up to the first NUL, and never past the block the agent sent.
        const char* pszText = static_cast<const char*>(pCopyDataStruct->lpData);
        strData.assign(pszText, strnlen(pszText, pCopyDataStruct->cbData));
    }
    if (EventCtrlProcess().PushQueueCtrlData(nType, strData) == 1) {
        LOG_PRINT(LOG_INFO, "[%s] EventCtrlProcess Push Data Success Type [%d] Data [%s]", pszName,
                  nType, strData.c_str());
        return 1;
    }
    // The queue has logged the refusal. The agent learns that the event
    // was not taken, so it can send it again, and the shop's failure
    // report says an event was dropped.
    ToastCtrlProcess().ToastPush(0, "[%s] EventCtrlProcess Push Data Fail Type [%d]", pszName,
                                 nType);
    return 0;
}

intptr_t CZelkorDlg::Msg_NubeqRun()
{
    LOG_PRINT(LOG_TRACE, "[%s] Call", "CZelkorDlg::Msg_NubeqRun");
    m_Host.KillTimer(TIMER_NUBEQ_RUN);
    m_Host.SetTimer(TIMER_NUBEQ_RUN, 100);
    return 0;
}

void CZelkorDlg::OnTimer(unsigned nIdEvent)
{
    if (nIdEvent != TIMER_NUBEQ_RUN) {
        return;
    }
    LOG_PRINT(LOG_TRACE, "[%s] TIMER_NUBEQ_RUN", "CZelkorDlg::OnTimer");
    m_Host.KillTimer(TIMER_NUBEQ_RUN);
    NUBEQRunningCheckAndStart(1);
    SetProcessWatchDogThreadRun(1);
}

intptr_t CZelkorDlg::OnPowerBroadcast(unsigned nPowerEvent)
{
    const char* const pszName = "CZelkorDlg::OnPowerBroadcast";
    LOG_PRINT(LOG_TRACE, "[%s] Call EventID [%d]", pszName, static_cast<int>(nPowerEvent));
    if (nPowerEvent == PBT_APMSUSPEND) {
        m_Host.KillTimer(TIMER_NUBEQ_RUN);
        SetProcessWatchDogThreadRun(0);
        LOG_PRINT(LOG_TRACE, "[%s] KillTimer TIMER_NUBEQ_RUN", pszName);
    } else if (nPowerEvent == PBT_APMRESUMEAUTOMATIC) {
        m_Host.SetTimer(TIMER_NUBEQ_RUN, 10000);
        LOG_PRINT(LOG_TRACE, "[%s] SetTimer TIMER_NUBEQ_RUN 10 second", pszName);
    }
    return 1;
}

intptr_t CZelkorDlg::Msg_ZelkorEnd()
{
    LOG_PRINT(LOG_INFO, "[%s] Call", "CZelkorDlg::Msg_ZelkorEnd");
    EndDialog(IDD_RESULT_OK);
    return 0;
}

void CZelkorDlg::CreateTrayIcon()
{
    try {
        m_Parts.DestroyTrayIcon();
    } catch (...) {
        // A failing removal never keeps the new icon away.
    }
    if (m_strVersion.empty()) {
        m_strVersion = GetFileVersion("Zelkor.exe");
    }
    m_Parts.CreateTrayIcon(*this, "Zelkor(VER." + m_strVersion + ")");
}

intptr_t CZelkorDlg::Msg_TrayShowToastNotify(intptr_t lParam)
{
    const char* const pszName = "CZelkorDlg::Msg_TrayShowToastNotify";
    // The sender gave the record up with the message: it is freed here
    // whatever becomes of the toast.
    std::unique_ptr<ToastRequestInfo> pInfo(reinterpret_cast<ToastRequestInfo*>(lParam));
    if (!m_Parts.HasTrayIcon()) {
        LOG_PRINT(LOG_ERROR, "[%s] m_pTray NULL", pszName);
        return -1;
    }
    if (!pInfo) {
        LOG_PRINT(LOG_ERROR, "[%s] lParam NULL", pszName);
        return -1;
    }
    m_Parts.ShowToastNotify(*this, *pInfo);
    return 0;
}

void CZelkorDlg::OnTrayMenuPrintSetting()
{
    LOG_PRINT(LOG_INFO, "[%s] Start Dlg", "CZelkorDlg::OnTrayMenuPrintSetting");
    m_Parts.ShowSettingsDialog(*this);
}

void CZelkorDlg::OnTrayMenuClose()
{
    const char* const pszName = "CZelkorDlg::OnTrayMenuClose";
    SetProcessWatchDogThreadRun(0);
    LOG_PRINT(LOG_INFO, "[%s] Process Close Start", pszName);
    int nAnswer = ZelkorMessageBox(pszName, LOG_INFO, IDS_EXIT_QUESTION,
                                   FormatStringText(IDS_EXIT_QUESTION, "Zelkor"),
                                   MB_YESNO | MB_ICONINFORMATION | MB_TOPMOST, this);
    LOG_PRINT(LOG_INFO, "[%s] Process Close Check Value [%d] (YES(6) = Close)", pszName, nAnswer);
    if (nAnswer == IDYES) {
        LOG_PRINT(LOG_INFO, "[%s] Process Close End", pszName);
        EndDialog(IDD_RESULT_OK);
    } else {
        SetProcessWatchDogThreadRun(1);
        LOG_PRINT(LOG_INFO, "[%s] Process Close Cancel", pszName);
    }
}

int CZelkorDlg::OnQueryEndSession()
{
    const char* const pszName = "CZelkorDlg::OnQueryEndSession";
    SetProcessWatchDogThreadRun(0);
    LOG_PRINT(LOG_INFO, "[%s] Exiting Process.", pszName);
    SetCrashHandlerDumpOnly();
    LOG_PRINT(LOG_INFO, "[%s] SelfDump customized function disabled. (Only create dumpfile)",
              pszName);
    // Nothing is torn down and the agent keeps running; only the files by
    // which other processes would look for this window go, so nobody
    // waits on a window that is gone.
    m_Endpoint.Close();
    // The exit runs no destructors, so the wait numbers handed out so far
    // are synced to the disk here; a sync that hangs must not hold the end
    // of the session for long.
    if (!EventCtrlProcess().DrainConfigSync(kSessionEndSyncMs)) {
        LOG_PRINT(LOG_ERROR, "[%s] Config.ini Sync Not Finished In [%d] ms", pszName,
                  kSessionEndSyncMs);
    }
    m_Host.ExitProcessNow(1);
    return 1;
}

void CZelkorDlg::OnSessionSignal()
{
    int nSignal = platform::TakeSessionSignal();
    if (nSignal == 0) {
        return;
    }
    LOG_PRINT(LOG_INFO, "[%s] Signal [%d]: the session ends", "CZelkorDlg::OnSessionSignal",
              nSignal);
    OnQueryEndSession();
}

void CZelkorDlg::OnClose()
{
    LOG_PRINT(LOG_INFO, "[%s] Catched WM_CLOSE message.", "CZelkorDlg::OnClose");
    EndDialog(IDD_RESULT_CANCEL);
}

void CZelkorDlg::OnDestroy()
{
    const char* const pszName = "CZelkorDlg::OnDestroy";
    if (NubeqDllMngr().Call_ProcessEnd() == 1) {
        LOG_PRINT(LOG_INFO, "[%s] Destroy Process.", pszName);
        SetCrashHandlerDumpOnly();
        LOG_PRINT(LOG_INFO, "[%s] SelfDump customized function disabled. (Only create dumpfile)",
                  pszName);
    }
}
