// CZelkorApp::InitInstance in its steps.
#include "app/zelkor_app.h"

#include "agent/nubeq_dll_mngr.h"
#include "app/crash_hooks.h"
#include "app/start_banner.h"
#include "app/window_messages.h"
#include "app/zelkor_dlg.h"
#include "foundation/message_box.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "platform/program_folder.h"
#include "platform/session_signals.h"
#include "platform/window_endpoint_client.h"
#include "res/string_table.h"

#include <cstdio>

namespace {

// The lock of the first copy is never released explicitly: it goes when
// the process has ended, after the workers' stop at exit, so a new copy
// cannot start beside one that is still shutting down.
platform::CInstanceLock& InstanceLock()
{
    static platform::CInstanceLock* const s_pLock =
        new platform::CInstanceLock(platform::kZelkorInstanceLockName);
    return *s_pLock;
}

} // namespace

CZelkorApp::CZelkorApp()
{
    InstallCrashHandler("Zelkor");
}

CZelkorApp::~CZelkorApp() = default;

CZelkorApp::EInstance CZelkorApp::TakeInstance()
{
    std::string strError;
    platform::EInstanceLockResult eLock = InstanceLock().Acquire(&strError);
    if (eLock == platform::EInstanceLockResult::Failed) {
        std::fprintf(stderr, "Zelkor: cannot start: %s\n", strError.c_str());
        return EInstance::CannotStart;
    }
    if (eLock == platform::EInstanceLockResult::HeldByOther) {
        // A second start: the first copy (or its agent) is told; no message
        // for the user.
        if (IsProcessRunning("NUBEQ.exe") == 1) {
            NubeqDllMngr().Call_RequestJob("WIDGET_INIT", "");
        } else if (AgentWindowHandle hWnd =
                       platform::FindRegisteredWindow(ZELKOR_WINDOW_CLASS, ZELKOR_WINDOW_TITLE)) {
            platform::SWindowFrame frame;
            frame.nMessage = WM_NUBEQ_RUN;
            platform::SWindowReply reply;
            platform::SendWindowMessage(hWnd, frame, reply, 10000, strError);
        }
        return EInstance::HandedOver;
    }
    if (!platform::InstallSessionEndSignals(strError)) {
        std::fprintf(stderr, "Zelkor: %s\n", strError.c_str());
    }
    return EInstance::First;
}

int CZelkorApp::RunInstance(IWindowHost& host, CShellParts& parts)
{
    RegisterStringTable();
    if (!NubeqDllMngr().IsLoaded()) {
        // Nothing else is set up yet: no log, no window.
        ZelkorMessageBox("CZelkorApp::InitInstance", LOG_ERROR, IDS_AGENT_LIBRARY_FAILED,
                         LoadResString(IDS_AGENT_LIBRARY_FAILED), MB_OK | MB_ICONWARNING);
        return ZELKOR_EXIT_OK;
    }

    const std::string strFolder = platform::GetProgramFolder();
    const std::string strLog = platform::JoinPath(strFolder, "Log");
    const std::string strLogRoot = platform::JoinPath(strLog, "NubeqLog");
    platform::MakeDirectory(strLog);
    platform::MakeDirectory(strLogRoot);
    SimpleLog().Start(strLogRoot.c_str()); // without it the program runs unlogged
    WriteStartBanner(strFolder);

    CZelkorDlg dlg(host, parts);
    dlg.DoModal();
    return ZELKOR_EXIT_OK;
}
