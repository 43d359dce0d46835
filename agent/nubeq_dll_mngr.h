// The agent's interface library (NUBEQ_IF.dll, here libNUBEQ_IF.so): loaded
// once, every export resolved by name, each call through a Call_ wrapper.
#pragma once

#include "platform/shared_library.h"

#include <cstdint>
#include <mutex>
#include <string>

// The window handle handed to the agent: the main window endpoint's id.
using AgentWindowHandle = intptr_t;

// The exports' signatures: CP949 C strings in, a signed 32-bit result out.
extern "C" {
typedef int32_t (*PFN_NUBEQ_PROCESS_RUN)(AgentWindowHandle hWnd);
typedef int32_t (*PFN_NUBEQ_DAILY_RUN)(AgentWindowHandle hWnd);
typedef int32_t (*PFN_NUBEQ_PROCESS_END)();
typedef int32_t (*PFN_NUBEQ_SEND_DATA)(const char* pszCommand, const char* pszData);
typedef int32_t (*PFN_NUBEQ_SET_DATA)(const char* pszKey, const char* pszValue);
typedef int32_t (*PFN_NUBEQ_REQUEST_JOB)(const char* pszKey, const char* pszType);
typedef int32_t (*PFN_NUBEQ_REGISTER_SHOP_EX)();
typedef int32_t (*PFN_NUBEQ_GET_INFO)(const char* pszKey, char* pszBuffer, int32_t nSize);
typedef int32_t (*PFN_NUBEQ_IS_REGISTER_SHOP)();
typedef int32_t (*PFN_NUBEQ_REGISTER_SHOP)();
typedef int32_t (*PFN_NUBEQ_GET_DATA)(const char* pszKey, char* pszBuffer, int32_t nSize);
}

// Result of a Call_ wrapper whose export is missing (the call is skipped).
constexpr int NUBEQ_CALL_MISSING = -1;

// Calls come from the event worker (SendData), the print worker and the
// main thread (RequestJob) and the main thread (the rest). Loading and the
// table of entries are guarded; the exports themselves run unguarded, so a
// slow SendData never holds up a RequestJob.
class CNubeqDllMngr
{
public:
    // Loads the library at once (InitFunction).
    CNubeqDllMngr();
    // Releases the library.
    ~CNubeqDllMngr();
    CNubeqDllMngr(const CNubeqDllMngr&) = delete;
    CNubeqDllMngr& operator=(const CNubeqDllMngr&) = delete;

    // Takes the library if it is already in the process, else loads it
    // from the program folder, else by name through the search path. Once
    // loaded, resolves every export (a missing one is logged) and marks the
    // object loaded; later calls do nothing. A failed load leaves the
    // object unloaded, so the next call tries again.
    void InitFunction();
    bool IsLoaded();
    // Drops every entry and the library; wrappers give -1 from then on.
    void Release();

    // Each wrapper: when its entry is missing, InitFunction once more; when
    // still missing, NUBEQ_CALL_MISSING (-1). Otherwise the export's result.
    int Call_ProcessRun(AgentWindowHandle hWnd);
    int Call_DailyRun(AgentWindowHandle hWnd);
    int Call_ProcessEnd();
    int Call_SendData(const std::string& strCommand, const std::string& strData);
    int Call_SetData(const std::string& strKey, const std::string& strValue);
    int Call_RequestJob(const std::string& strKey, const std::string& strType);
    int Call_RegisterShopEx();

    // True when the export was resolved ("SendData", "GetInfo", ...).
    bool HasExport(const char* pszName);

private:
    struct SEntries
    {
        PFN_NUBEQ_PROCESS_RUN pProcessRun = nullptr;
        PFN_NUBEQ_DAILY_RUN pDailyRun = nullptr;
        PFN_NUBEQ_PROCESS_END pProcessEnd = nullptr;
        PFN_NUBEQ_SEND_DATA pSendData = nullptr;
        PFN_NUBEQ_SET_DATA pSetData = nullptr;
        PFN_NUBEQ_REQUEST_JOB pRequestJob = nullptr;
        PFN_NUBEQ_REGISTER_SHOP_EX pRegisterShopEx = nullptr;
        PFN_NUBEQ_GET_INFO pGetInfo = nullptr;
        PFN_NUBEQ_IS_REGISTER_SHOP pIsRegisterShop = nullptr;
        PFN_NUBEQ_REGISTER_SHOP pRegisterShop = nullptr;
        PFN_NUBEQ_GET_DATA pGetData = nullptr;
    };

    // The entry read under the lock; with a missing entry InitFunction runs
    // once more first.
    template <typename T>
    T Entry(T SEntries::*pMember);
    void InitFunctionLocked();

    std::recursive_mutex m_Lock;
    platform::CSharedLibrary m_Library;
    SEntries m_Entries;
    bool m_bLoaded = false;
    bool m_bReleased = false;
};

// The one manager of the process: created (and the library loaded) on first
// use, released at process exit. The object itself is never destroyed, so a
// call made during exit gets -1 rather than touching a dead object.
CNubeqDllMngr& NubeqDllMngr();
