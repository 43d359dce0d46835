// The agent watchdog thread.
#include "app/process_watchdog.h"

#include "app/watchdog_flag.h"
#include "app/window_messages.h"
#include "foundation/ini_file.h"
#include "foundation/message_box.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "foundation/tesk_thread.h"
#include "foundation/window_sink.h"
#include "platform/program_folder.h"
#include "platform/thread_id.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kDefaultCheckTimeMs = 120000;
// The loss count at which the watchdog gives up; the third loss sets it
// to one below, so the fourth reaches it.
constexpr int kGiveUpCount = 99;
constexpr int kDailyRunLoss = 3;
// What a post to a window that is gone reports (the Windows error of an
// invalid window handle).
constexpr unsigned kErrorInvalidWindow = 1400;

const char* const kGiveUpText =
    "미르벨 실행에 문제가 발생했습니다.\r\n프로그램 종료 후 고객센터(1599-0000)로 연락주세요.";

} // namespace

uint32_t WatchDogCheckTimeMs()
{
    const char* pszValue = std::getenv("ZELKOR_WATCHDOG_CHECK_MS");
    if (pszValue == nullptr || *pszValue == '\0') {
        return kDefaultCheckTimeMs;
    }
    char* pszEnd = nullptr;
    unsigned long nValue = std::strtoul(pszValue, &pszEnd, 10);
    if (*pszEnd != '\0' || nValue == 0 || nValue > kDefaultCheckTimeMs) {
        LOG_PRINT(LOG_WARN, "[%s] ZELKOR_WATCHDOG_CHECK_MS [%s] ignored: 1 to %u ms",
                  "WatchDogCheckTimeMs", pszValue, kDefaultCheckTimeMs);
        return kDefaultCheckTimeMs;
    }
    return static_cast<uint32_t>(nValue);
}

int32_t ThreadProcessWatchDog(void* pParam)
{
    const char* const pszName = "CZelkorDlg::ThreadProcessWatchDog";
    std::unique_ptr<ProcessWatchDogInfo> pInfo(static_cast<ProcessWatchDogInfo*>(pParam));
    if (!pInfo) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL!!!", pszName);
        return 0;
    }
    const ProcessWatchDogInfo info = *pInfo;
    pInfo.reset();
    // The name may fill its field without a terminator.
    const std::string strProcess(info.szProcessName,
                                 strnlen(info.szProcessName, sizeof(info.szProcessName)));
    if (strProcess.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] Check ProcessName Empty", pszName);
        return 0;
    }
    if (info.hNotiWnd == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] NotiMessageHandle NULL", pszName);
        return 0;
    }
    if (info.nCheckTimeMs == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] CheckTime Zero", pszName);
        return 0;
    }
    WatchDogProcessTestFn pfnTest =
        info.pfnProcessTest != nullptr ? info.pfnProcessTest : &IsProcessRunning;
    LOG_PRINT(LOG_DEBUG, "[%s] Start WatchDog ThreadID [%d] Process [%s] CheckTime [%d]", pszName,
              static_cast<int>(platform::GetCurrentThreadId()), strProcess.c_str(),
              static_cast<int>(info.nCheckTimeMs / 1000));

    int nPrevValue = -1;
    int nErrorCount = 0;
    int nLossCount = 0;
    for (;;) {
        // The stop of the main window's destructor ends the sleep at once.
        if (CTeskThread::WaitForStopRequest(info.nCheckTimeMs)) {
            return 0;
        }
        if (GetProcessWatchDogThreadRun() != 1) {
            LOG_PRINT(LOG_DEBUG,
                      "[%s] GetProcessWatchDogThreadRun FALSE... Not Check WatchDogThread",
                      pszName);
            continue;
        }
        int nValue = pfnTest(strProcess.c_str());
        if (nValue == -1 && ++nErrorCount >= 2) {
            nValue = 0; // the second test error in a row counts as a loss
            nErrorCount = 0;
        }
        if (nValue != nPrevValue) {
            LOG_PRINT(LOG_DEBUG,
                      "[%s] Process RunningValue Change [%d]... (0 : 프로세스 미실행 상태, 1 : "
                      "프로세스 실행중, -1,-2 : 체크 에러)",
                      pszName, nValue);
        }
        if (nValue != 0) {
            if (nValue != -1 && nValue != -2) {
                nErrorCount = 0;
            }
            nPrevValue = nValue;
            continue;
        }
        LOG_PRINT(LOG_DEBUG, "[%s] Not Running Process [%s]", pszName, strProcess.c_str());
        ++nLossCount;
        LOG_PRINT(LOG_DEBUG, "[%s] NUBEQ.exe execute count : %d (100 is defined exit code).",
                  pszName, nLossCount);
        if (nLossCount >= kGiveUpCount) {
            break;
        }
        if (nLossCount >= kDailyRunLoss) {
            LOG_PRINT(LOG_DEBUG, "[%s] Try to run NUBEQ.exe with dailyrun.", pszName);
            // The next start finds no last date and makes a daily run.
            IniDeleteKey("ORDER", "LastDate",
                         platform::JoinPath(platform::GetProgramFolder(), "Config.ini").c_str());
            nLossCount = kGiveUpCount;
        }
        if (PostMainWindowMessage(info.nNotiMessage, 0, 0)) {
            LOG_PRINT(LOG_DEBUG, "[%s] Message [%d] Send Success", pszName,
                      static_cast<int>(info.nNotiMessage));
        } else {
            LOG_PRINT(LOG_ERROR, "[%s] Message [%d] Send Fail... [0x%08x]", pszName,
                      static_cast<int>(info.nNotiMessage), kErrorInvalidWindow);
        }
        nPrevValue = 0;
        nErrorCount = 0;
    }

    LOG_PRINT(LOG_DEBUG, "[%s] Some problem occured with execute NUBEQ.exe.", pszName);
    // Blocks this thread (not the main window) until the user confirms.
    SMessageBox box;
    box.strText = kGiveUpText;
    box.strCaption = MESSAGEBOX_CAPTION;
    box.nType = MB_OK;
    PresentMessageBox(box);
    LOG_PRINT(LOG_INFO, "[%s] 미르벨 종료메세지 창 확인.", pszName);
    PostMainWindowMessage(WM_ZELKOR_END, 0, 0);
    return 0;
}
