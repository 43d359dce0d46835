// Daily log file: {root}/20YYMMDD/ZELKOR_EXE_20YYMMDD.log.
#include "foundation/simple_log.h"

#include "platform/file_system.h"
#include "platform/local_clock.h"

#include <cstdio>
#include <mutex>
#include <new>

namespace {

const char* LevelTag(int nLevel)
{
    switch (nLevel) {
    case LOG_ERROR:
        return "[ERROR] ";
    case LOG_WARN:
        return "[WARN ] ";
    case LOG_INFO:
        return "[INFO ] ";
    case LOG_DEBUG:
        return "[DEBUG] ";
    case LOG_TRACE:
        return "[TRACE] ";
    case LOG_DEVEL:
        return "[DEV  ] ";
    default:
        return "";
    }
}

int DateOf(const platform::LocalTime& now)
{
    return now.nYear * 10000 + now.nMonth * 100 + now.nDay;
}

// The six digits YYMMDD of a YYYYMMDD date.
std::string ShortDate(int nDate)
{
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%06d", nDate % 1000000);
    return szDate;
}

// Expands the caller's format into strOut (throws std::bad_alloc only).
void FormatInto(std::string& strOut, const char* pszFormat, va_list args)
{
    char szStack[512];
    va_list copy;
    va_copy(copy, args);
    int nLen = std::vsnprintf(szStack, sizeof(szStack), pszFormat, copy);
    va_end(copy);
    if (nLen < 0) {
        return;
    }
    if (static_cast<size_t>(nLen) < sizeof(szStack)) {
        strOut.append(szStack, static_cast<size_t>(nLen));
        return;
    }
    size_t nOld = strOut.size();
    strOut.resize(nOld + static_cast<size_t>(nLen) + 1);
    std::vsnprintf(&strOut[nOld], static_cast<size_t>(nLen) + 1, pszFormat, args);
    strOut.resize(nOld + static_cast<size_t>(nLen));
}

} // namespace

CSimpleLog::CSimpleLog() : m_hFile(platform::kInvalidFile) {}

CSimpleLog::~CSimpleLog()
{
    Stop();
}

CSimpleLog& SimpleLog()
{
    static CSimpleLog s_Log;
    return s_Log;
}

std::string CSimpleLog::BuildPath(int nDate) const
{
    if (!m_bDaily) {
        return m_strDirectory + "/" + m_strName + ".log";
    }
    std::string strDay = ShortDate(nDate);
    return m_strDirectory + "/20" + strDay + "/" + m_strName + strDay + ".log";
}

// Caller holds m_Lock exclusively.
bool CSimpleLog::Open(int nDate)
{
    if (m_strDirectory.empty() || m_strName.empty()) {
        return false;
    }
    if (m_bDaily) {
        // The dated folder may exist from an earlier run of the day.
        platform::MakeDirectory(m_strDirectory + "/20" + ShortDate(nDate));
    }
    int hFile = platform::OpenWriteFile(BuildPath(nDate), m_bAppend);
    if (hFile == platform::kInvalidFile) {
        return false;
    }
    m_nCurrentDate = nDate;
    m_hFile.store(hFile, std::memory_order_release);
    return true;
}

bool CSimpleLog::Start(const char* pszDirectory)
{
    {
        std::unique_lock lock(m_Lock);
        m_bAppend = true;
        m_bDaily = true;
        int hOld = m_hFile.exchange(platform::kInvalidFile);
        platform::CloseFile(hOld);
        m_strName = "ZELKOR_EXE_20";
        m_strDirectory = pszDirectory ? pszDirectory : "";
        if (!Open(DateOf(platform::GetLocalTime()))) {
            m_hFile.store(platform::kInvalidFile);
            return false;
        }
    }
    Print(LOG_TRACE, "========== CSimpleLog Start ===========");
    return true;
}

void CSimpleLog::Stop()
{
    if (m_hFile.load(std::memory_order_acquire) == platform::kInvalidFile) {
        return;
    }
    Print(LOG_TRACE, "========== CSimpleLog STOP ===========");
    std::unique_lock lock(m_Lock);
    int hOld = m_hFile.exchange(platform::kInvalidFile);
    platform::CloseFile(hOld);
}

std::string CSimpleLog::GetCurrentFilePath() const
{
    std::shared_lock lock(m_Lock);
    if (m_hFile.load() == platform::kInvalidFile) {
        return {};
    }
    return BuildPath(m_nCurrentDate);
}

void CSimpleLog::Print(int nLevel, const char* pszFormat, ...)
{
    if (nLevel == LOG_DEVEL) {
        return;
    }
    if (m_hFile.load(std::memory_order_acquire) == platform::kInvalidFile) {
        return;
    }
    va_list args;
    va_start(args, pszFormat);
    WriteLine(nLevel, pszFormat, args);
    va_end(args);
}

void CSimpleLog::WriteLine(int nLevel, const char* pszFormat, va_list args)
{
    platform::LocalTime now = platform::GetLocalTime();
    int nDate = DateOf(now);

    std::string strLine;
    try {
        strLine.reserve(160);
        char szStamp[32];
        int nStamp = std::snprintf(szStamp, sizeof(szStamp), "[%02d:%02d:%02d.%03d]", now.nHour,
                                   now.nMinute, now.nSecond, now.nMilli);
        strLine.append(szStamp, static_cast<size_t>(nStamp));
        strLine.append(LevelTag(nLevel));
        if (pszFormat != nullptr) {
            FormatInto(strLine, pszFormat, args);
        }
        strLine.append("\r\n");
    } catch (...) {
        char szStamp[96];
        int nStamp =
            std::snprintf(szStamp, sizeof(szStamp),
                          "[%02d:%02d:%02d.%03d][ERROR] [CSimpleLog::Print] try~catch error!!\r\n",
                          now.nHour, now.nMinute, now.nSecond, now.nMilli);
        strLine.clear();
        try {
            strLine.assign(szStamp, static_cast<size_t>(nStamp));
        } catch (...) {
            std::shared_lock lock(m_Lock);
            int hFile = m_hFile.load(std::memory_order_acquire);
            if (hFile != platform::kInvalidFile) {
                platform::WriteFile(hFile, szStamp, static_cast<size_t>(nStamp));
            }
            return;
        }
    }

    {
        std::shared_lock lock(m_Lock);
        int hFile = m_hFile.load(std::memory_order_acquire);
        if (hFile == platform::kInvalidFile) {
            return;
        }
        if (!m_bDaily || nDate == m_nCurrentDate) {
            platform::WriteFile(hFile, strLine.data(), strLine.size());
            return;
        }
        if (nDate < m_nCurrentDate) {
            // A line stamped before midnight whose writer lost the race to a
            // writer of the new day: it belongs in the file of its own day.
            int hOld = platform::OpenWriteFile(BuildPath(nDate), true);
            if (hOld != platform::kInvalidFile) {
                platform::WriteFile(hOld, strLine.data(), strLine.size());
                platform::CloseFile(hOld);
            }
            return;
        }
    }

    // A new day: close the old file and open the new one, exclusively.
    std::unique_lock lock(m_Lock);
    if (m_hFile.load() == platform::kInvalidFile) {
        return;
    }
    if (nDate > m_nCurrentDate) {
        int hOld = m_hFile.exchange(platform::kInvalidFile);
        platform::CloseFile(hOld);
        if (!Open(nDate)) {
            return; // logging stops for the rest of the run
        }
    }
    if (nDate == m_nCurrentDate) {
        platform::WriteFile(m_hFile.load(), strLine.data(), strLine.size());
    } else {
        int hOld = platform::OpenWriteFile(BuildPath(nDate), true);
        if (hOld != platform::kInvalidFile) {
            platform::WriteFile(hOld, strLine.data(), strLine.size());
            platform::CloseFile(hOld);
        }
    }
}
