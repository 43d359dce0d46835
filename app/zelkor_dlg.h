// The program's main window: never shown, the endpoint through which the
// agent delivers its events, the owner of the tray icon and the settings
// dialog, and the place where the program's own control messages, power
// events and the end of the session are handled. Its modal run is the
// program's main loop; when it ends, the program ends.
//
// Everything here runs on the main thread. Other threads reach the window
// through the main-window sink (foundation/window_sink.h), other
// processes through its endpoint (platform/window_endpoint.h), of which
// only copy-data, 6024, WM_CLOSE and the tray commands are taken.
#pragma once

#include "agent/nubeq_dll_mngr.h"
#include "app/window_messages.h"
#include "foundation/tesk_critical_section.h"
#include "platform/window_endpoint.h"

#include <cstdint>
#include <memory>
#include <string>

class CShellParts;
class CTeskThread;
class IWindowHost;

// The class and the title a second start looks for (FindWindow). The
// title is CP949 text, defined in the CP949 core so that Qt units may
// include this header.
constexpr const char* ZELKOR_WINDOW_CLASS = "Zelkor";
extern const char* const ZELKOR_WINDOW_TITLE;

class CZelkorDlg
{
public:
    CZelkorDlg(IWindowHost& host, CShellParts& parts);
    // Pauses the watchdog, removes the tray icon, destroys the settings
    // dialog, stops the watchdog thread and removes the main-window sink.
    virtual ~CZelkorDlg();
    CZelkorDlg(const CZelkorDlg&) = delete;
    CZelkorDlg& operator=(const CZelkorDlg&) = delete;

    // Creates the window (its endpoint), initialises it, runs the loop
    // until EndDialog, destroys the window. The dialog's result
    // (IDD_RESULT_OK or IDD_RESULT_CANCEL).
    int DoModal();
    // Ends the modal run with nResult (also while the window initialises).
    void EndDialog(int nResult);

    // The window procedure: every message of the window, from whichever
    // source, runs through here on the main thread.
    intptr_t WindowProc(unsigned nMsg, uintptr_t wParam, intptr_t lParam);

    // The handle other processes know the window by (its endpoint id);
    // 0 before DoModal and after the window is destroyed.
    AgentWindowHandle GetSafeHwnd() const { return m_hWnd; }
    // The process-wide main window handle, set while initialising.
    static AgentWindowHandle MainWindowHandle();

    const std::string& VersionText() const { return m_strVersion; }
    bool IsEnded() const { return m_bEnded; }
    IWindowHost& Host() { return m_Host; }

    // The one way the tray icon is made: at start and whenever the tray
    // host appears ("TaskbarCreated"). Removes the icon there is, reads the
    // version text if it is still empty, adds the icon with the tooltip
    // "Zelkor(VER.%s)".
    void CreateTrayIcon();

    // Handlers, public for the shell pieces and the tests.
    int OnInitDialog();
    int OnCopyData(const COPYDATASTRUCT* pCopyDataStruct);
    intptr_t Msg_NubeqRun();
    void OnTimer(unsigned nIdEvent);
    intptr_t OnPowerBroadcast(unsigned nPowerEvent);
    intptr_t Msg_ZelkorEnd();
    intptr_t Msg_NubeqNewShop();
    intptr_t Msg_NubeqUpdateShop();
    // 10025 from the print worker: lParam is the toast request record,
    // which is freed here on every path.
    intptr_t Msg_TrayShowToastNotify(intptr_t lParam);
    void OnTrayMenuPrintSetting();
    void OnTrayMenuClose();
    int OnQueryEndSession();
    void OnClose();
    void OnDestroy();

    // Agent start (the window thread's part of agent supervision).
    int IsFirstTimeStart(std::string& strType);
    int RunNubeqProcess();
    int FenwaAgentStartProcess(int nCheckFirst);
    int RunFenwaAgentStartProcess(int nCheckFirst);
    int NUBEQRunningCheckAndStart(int nCheckFirst);
    int StartNUBEQProcessWatchDogThread();

protected:
    // The watchdog's thread object, created suspended (tests hand in one
    // that cannot start).
    virtual CTeskThread* NewWatchDogThread();

private:
    // A frame from another process: the messages taken from outside go to
    // WindowProc, everything else is refused.
    platform::SWindowReply OnEndpointMessage(const platform::SWindowRequest& request);
    bool CreateWindowEndpoint();
    void DestroyWindowEndpoint();
    void InstallMainWindowSink();
    void OnSessionSignal();
    // Waits up to 5 s for the agent to end by itself, then asks it to.
    void WaitAgentEnd();
    std::string ConfigPath() const;

    IWindowHost& m_Host;
    CShellParts& m_Parts;
    platform::CWindowEndpoint m_Endpoint;
    AgentWindowHandle m_hWnd = 0;
    std::string m_strVersion;
    bool m_bEnded = false;
    int m_nResult = IDD_RESULT_CANCEL;
    bool m_bSinkInstalled = false;
    // Alive while the window object is: what a queued call checks (on the
    // main thread) before it touches the window.
    std::shared_ptr<int> m_pAlive = std::make_shared<int>(0);
    // 1 while an agent start check runs (it can sit in a modal box or
    // dialog, during which timer ticks would start a second one).
    int m_nAgentStartGuard = 0;
    CTeskCriticalSection m_csAgentStartGuard;
    std::unique_ptr<CTeskThread> m_pTeskThreadProcessWatchDog;
};
