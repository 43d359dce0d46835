// CNubeqDllMngr: loading the agent's interface library and the Call_ wrappers.
#include "agent/nubeq_dll_mngr.h"

#include "foundation/module_util.h"
#include "foundation/simple_log.h"
#include "platform/program_folder.h"
#include "platform/program_names.h"

#include <cstdlib>
#include <cstring>

namespace {

const char* const kLibraryName = "NUBEQ_IF.dll";

// Export name and the entry it fills, in the order they are resolved.
struct SExportSlot
{
    const char* pszName;
    void** ppEntry;
};

} // namespace

CNubeqDllMngr::CNubeqDllMngr()
{
    InitFunction();
}

CNubeqDllMngr::~CNubeqDllMngr()
{
    Release();
}

void CNubeqDllMngr::InitFunction()
{
    std::lock_guard lock(m_Lock);
    InitFunctionLocked();
}

void CNubeqDllMngr::InitFunctionLocked()
{
    const char* const pszName = "CNubeqDllMngr::InitFunction";
    if (m_bLoaded || m_bReleased) {
        return;
    }
    const std::string strFile = platform::LocalFileName(kLibraryName);
    if (!m_Library.OpenLoaded(strFile) &&
        !m_Library.Open(platform::JoinPath(GetModulePath(), strFile)) && !m_Library.Open(strFile)) {
        LOG_PRINT(LOG_ERROR, "[%s] %s Load Fail !!! WinError [%d]", pszName, kLibraryName,
                  m_Library.LastError());
        LOG_PRINT(LOG_ERROR, "[%s] %s", pszName, m_Library.LastErrorText().c_str());
        return;
    }
    const SExportSlot slots[] = {
        {"ProcessRun", reinterpret_cast<void**>(&m_Entries.pProcessRun)},
        {"DailyRun", reinterpret_cast<void**>(&m_Entries.pDailyRun)},
        {"ProcessEnd", reinterpret_cast<void**>(&m_Entries.pProcessEnd)},
        {"SendData", reinterpret_cast<void**>(&m_Entries.pSendData)},
        {"SetData", reinterpret_cast<void**>(&m_Entries.pSetData)},
        {"RequestJob", reinterpret_cast<void**>(&m_Entries.pRequestJob)},
        {"RegisterShopEx", reinterpret_cast<void**>(&m_Entries.pRegisterShopEx)},
        {"GetInfo", reinterpret_cast<void**>(&m_Entries.pGetInfo)},
        {"IsRegisterShop", reinterpret_cast<void**>(&m_Entries.pIsRegisterShop)},
        {"RegisterShop", reinterpret_cast<void**>(&m_Entries.pRegisterShop)},
        {"GetData", reinterpret_cast<void**>(&m_Entries.pGetData)},
    };
    for (const SExportSlot& slot : slots) {
        *slot.ppEntry = m_Library.Symbol(slot.pszName);
        if (*slot.ppEntry == nullptr) {
            LOG_PRINT(LOG_ERROR, "[%s] %s Function Point NULL", pszName, slot.pszName);
        }
    }
    m_bLoaded = true;
}

bool CNubeqDllMngr::IsLoaded()
{
    std::lock_guard lock(m_Lock);
    return m_bLoaded;
}

void CNubeqDllMngr::Release()
{
    std::lock_guard lock(m_Lock);
    m_Entries = SEntries{};
    m_Library.Close();
    m_bLoaded = false;
    m_bReleased = true;
}

template <typename T>
T CNubeqDllMngr::Entry(T SEntries::*pMember)
{
    std::lock_guard lock(m_Lock);
    if (m_Entries.*pMember == nullptr) {
        InitFunctionLocked();
    }
    return m_Entries.*pMember;
}

bool CNubeqDllMngr::HasExport(const char* pszName)
{
    std::lock_guard lock(m_Lock);
    if (!m_bLoaded || pszName == nullptr) {
        return false;
    }
    return m_Library.Symbol(pszName) != nullptr;
}

int CNubeqDllMngr::Call_ProcessRun(AgentWindowHandle hWnd)
{
    LOG_PRINT(LOG_INFO, "[%s]", "CNubeqDllMngr::Call_ProcessRun");
    PFN_NUBEQ_PROCESS_RUN pfn = Entry(&SEntries::pProcessRun);
    return pfn != nullptr ? pfn(hWnd) : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_DailyRun(AgentWindowHandle hWnd)
{
    LOG_PRINT(LOG_INFO, "[%s]", "CNubeqDllMngr::Call_DailyRun");
    PFN_NUBEQ_DAILY_RUN pfn = Entry(&SEntries::pDailyRun);
    return pfn != nullptr ? pfn(hWnd) : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_ProcessEnd()
{
    LOG_PRINT(LOG_INFO, "[%s]", "CNubeqDllMngr::Call_ProcessEnd");
    PFN_NUBEQ_PROCESS_END pfn = Entry(&SEntries::pProcessEnd);
    return pfn != nullptr ? pfn() : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_SendData(const std::string& strCommand, const std::string& strData)
{
    PFN_NUBEQ_SEND_DATA pfn = Entry(&SEntries::pSendData);
    return pfn != nullptr ? pfn(strCommand.c_str(), strData.c_str()) : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_SetData(const std::string& strKey, const std::string& strValue)
{
    PFN_NUBEQ_SET_DATA pfn = Entry(&SEntries::pSetData);
    return pfn != nullptr ? pfn(strKey.c_str(), strValue.c_str()) : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_RequestJob(const std::string& strKey, const std::string& strType)
{
    LOG_PRINT(LOG_INFO, "[%s] key : %s strType : %s", "CNubeqDllMngr::Call_RequestJob",
              strKey.c_str(), strType.c_str());
    PFN_NUBEQ_REQUEST_JOB pfn = Entry(&SEntries::pRequestJob);
    return pfn != nullptr ? pfn(strKey.c_str(), strType.c_str()) : NUBEQ_CALL_MISSING;
}

int CNubeqDllMngr::Call_RegisterShopEx()
{
    PFN_NUBEQ_REGISTER_SHOP_EX pfn = Entry(&SEntries::pRegisterShopEx);
    return pfn != nullptr ? pfn() : NUBEQ_CALL_MISSING;
}

CNubeqDllMngr& NubeqDllMngr()
{
    static CNubeqDllMngr* const s_pMngr = [] {
        auto* pMngr = new CNubeqDllMngr;
        std::atexit([] { NubeqDllMngr().Release(); });
        return pMngr;
    }();
    return *s_pMngr;
}
