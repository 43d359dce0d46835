// The settings block shared with other processes.
#include "foundation/shared_memory.h"

#include "foundation/simple_log.h"
#include "platform/program_folder.h"
#include "platform/program_names.h"
#include "platform/shared_memory_block.h"

#include <cerrno>

CSharedMngr::~CSharedMngr()
{
    Close();
}

int CSharedMngr::Create(const char* pszBaseName, const char* pszSuffix, size_t nSize)
{
    std::string strName = platform::LocalFileName(pszBaseName != nullptr ? pszBaseName : "") + "_" +
                          (pszSuffix != nullptr ? pszSuffix : "");
    if (m_hMap != platform::kInvalidSharedBlock) {
        if (m_strName == strName && m_nSize == nSize) {
            return 1;
        }
        Close();
    }
    int nError = 0;
    int hMap = platform::CreateSharedBlock(strName, nSize, &nError);
    if (hMap == platform::kInvalidSharedBlock) {
        LOG_PRINT(LOG_ERROR, "[%s] CreateFileMapping [%s] Fail... [0x%08x]", "CSharedMngr::Create",
                  strName.c_str(), static_cast<unsigned>(nError));
        return 0;
    }
    m_hMap = hMap;
    m_strName = strName;
    m_nSize = nSize;
    return 1;
}

bool CSharedMngr::Write(const std::string& strData)
{
    if (m_hMap == platform::kInvalidSharedBlock) {
        LOG_PRINT(LOG_ERROR, "[%s] No Mapping", "CSharedMngr::Write");
        return false;
    }
    platform::ESharedStep eStep = platform::ESharedStep::None;
    int nError = platform::WriteSharedBlock(m_strName, strData, &eStep);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Write [%s] Size [%zu] Fail... Step [%d] [0x%08x]",
                  "CSharedMngr::Write", m_strName.c_str(), strData.size(), static_cast<int>(eStep),
                  static_cast<unsigned>(nError));
        return false;
    }
    return true;
}

void CSharedMngr::Close()
{
    platform::CloseSharedBlock(m_hMap, m_strName);
    m_hMap = platform::kInvalidSharedBlock;
    m_strName.clear();
    m_nSize = 0;
}

bool CSharedMemory::SetSharedMemory(const char* pszSuffix, const std::string& strData)
{
    const char* pszMethod = "CSharedMemory::SetSharedMemory";
    std::string strPath = platform::GetExecutablePath();
    if (strPath.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] GetFileName [%s] Fail... [0x%08x]", pszMethod, "/proc/self/exe",
                  static_cast<unsigned>(errno));
        return false;
    }
    std::string strName =
        strPath.substr(strPath.rfind('/') + 1) + "_" + (pszSuffix != nullptr ? pszSuffix : "");
    platform::ESharedStep eStep = platform::ESharedStep::None;
    int nError = platform::WriteSharedBlock(strName, strData, &eStep);
    if (nError == 0) {
        return true;
    }
    const char* pszStep =
        eStep == platform::ESharedStep::Open ? "OpenFileMapping" : "MapViewOfFile";
    if (eStep == platform::ESharedStep::Size) {
        // The block is never written past its end.
        LOG_PRINT(LOG_ERROR, "[%s] Data Size [%zu] Over Mapping [%s]", pszMethod, strData.size(),
                  strName.c_str());
        return false;
    }
    LOG_PRINT(LOG_ERROR, "[%s] %s [%s] Fail... [0x%08x]", pszMethod, pszStep, strName.c_str(),
              static_cast<unsigned>(nError));
    return false;
}
