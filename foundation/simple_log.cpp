// Daily log file: {root}/20YYMMDD/ZELKOR_EXE_20YYMMDD.log.
#include "foundation/simple_log.h"

#include "platform/file_system.h"
#include "platform/local_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

// "[HH:MM:SS.mmm]": a fixed-width field at the start of every line.
constexpr size_t kStampLength = 14;

// Lines up to kThreadLine are built in the writing thread's own buffer;
// only longer ones allocate. The signal-safe line is built on the stack.
constexpr size_t kThreadLine = 4 * 1024;
constexpr size_t kStackLine = 1024;

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

void PutDigits(char* pOut, int nValue, int nDigits)
{
    for (int i = nDigits - 1; i >= 0; --i) {
        pOut[i] = static_cast<char>('0' + nValue % 10);
        nValue /= 10;
    }
}

// Writes "[HH:MM:SS.mmm]" over the first kStampLength bytes of pLine.
void FillStamp(char* pLine, const platform::LocalTime& now)
{
    pLine[0] = '[';
    PutDigits(pLine + 1, now.nHour, 2);
    pLine[3] = ':';
    PutDigits(pLine + 4, now.nMinute, 2);
    pLine[6] = ':';
    PutDigits(pLine + 7, now.nSecond, 2);
    pLine[9] = '.';
    PutDigits(pLine + 10, now.nMilli, 3);
    pLine[13] = ']';
}

// Unsigned digits of nValue in base 10 or 16, written backwards from pEnd;
// returns the first digit.
char* PutUnsigned(char* pEnd, unsigned long long nValue, unsigned nBase, bool bUpper)
{
    const char* pszDigits = bUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        *--pEnd = pszDigits[nValue % nBase];
        nValue /= nBase;
    } while (nValue != 0);
    return pEnd;
}

// Expands the conversions the program's lines use straight into pOut: %s
// and %.*s (or %.Ns), %c, %d %i %u %x %X with the hh h l ll z j t lengths, an
// optional 0 flag and a width, and %%; the bytes are those vsnprintf gives.
// -1 for anything else (the caller formats with vsnprintf then) and for a
// message that needs nRoom bytes or more; else the message length.
long FastFormat(char* pOut, size_t nRoom, const char* pszFormat, va_list args)
{
    size_t nLen = 0;
    const char* p = pszFormat;
    auto put = [&](const char* pData, size_t nCount) {
        if (nCount >= nRoom - nLen) {
            return false;
        }
        std::memcpy(pOut + nLen, pData, nCount);
        nLen += nCount;
        return true;
    };
    for (;;) {
        const char* pPercent = std::strchr(p, '%');
        const size_t nLiteral =
            pPercent != nullptr ? static_cast<size_t>(pPercent - p) : std::strlen(p);
        if (!put(p, nLiteral)) {
            return -1;
        }
        if (pPercent == nullptr) {
            return static_cast<long>(nLen);
        }
        p = pPercent + 1;

        bool bZero = false;
        while (*p == '0') {
            bZero = true;
            ++p;
        }
        int nWidth = 0;
        bool bWidth = false;
        while (*p >= '0' && *p <= '9') {
            bWidth = true;
            nWidth = nWidth * 10 + (*p - '0');
            if (nWidth > 1000) {
                return -1;
            }
            ++p;
        }
        int nPrecision = -1;
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                nPrecision = va_arg(args, int);
                if (nPrecision < 0) {
                    nPrecision = -1; // a negative precision counts as none
                }
                ++p;
            } else {
                nPrecision = 0;
                while (*p >= '0' && *p <= '9') {
                    nPrecision = nPrecision * 10 + (*p - '0');
                    if (nPrecision > 100000) {
                        return -1;
                    }
                    ++p;
                }
            }
        }
        // Length: 'h' twice is char, once short; 'l' twice or 'j' is
        // long long (intmax_t), once or 'z' or 't' long (size_t, ptrdiff_t).
        int nShort = 0;
        int nLong = 0;
        for (;; ++p) {
            if (*p == 'h') {
                ++nShort;
            } else if (*p == 'l') {
                ++nLong;
            } else if (*p == 'z' || *p == 't') {
                nLong = std::max(nLong, 1);
            } else if (*p == 'j') {
                nLong = 2;
            } else {
                break;
            }
        }
        if (nShort > 2 || nLong > 2 || (nShort != 0 && nLong != 0)) {
            return -1;
        }
        const char chConversion = *p++;
        switch (chConversion) {
        case '%':
            if (bZero || bWidth || nPrecision >= 0 || nShort != 0 || nLong != 0 || !put("%", 1)) {
                return -1;
            }
            break;
        case 's': {
            if (bZero || bWidth || nShort != 0 || nLong != 0) {
                return -1;
            }
            const char* pszArg = va_arg(args, const char*);
            if (pszArg == nullptr) {
                return -1; // "(null)" and its precision rules: vsnprintf's
            }
            const size_t nArg = nPrecision >= 0 ? strnlen(pszArg, static_cast<size_t>(nPrecision))
                                                : std::strlen(pszArg);
            if (!put(pszArg, nArg)) {
                return -1;
            }
            break;
        }
        case 'c': {
            if (bZero || bWidth || nPrecision >= 0 || nShort != 0 || nLong != 0) {
                return -1;
            }
            const char ch = static_cast<char>(static_cast<unsigned char>(va_arg(args, int)));
            if (!put(&ch, 1)) {
                return -1;
            }
            break;
        }
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': {
            if (nPrecision >= 0) {
                return -1;
            }
            const bool bSigned = chConversion == 'd' || chConversion == 'i';
            unsigned long long nMagnitude = 0;
            bool bNegative = false;
            if (bSigned) {
                long long nValue = 0;
                if (nLong == 2) {
                    nValue = va_arg(args, long long);
                } else if (nLong == 1) {
                    nValue = va_arg(args, long);
                } else {
                    const int nArg = va_arg(args, int);
                    nValue = nShort == 2   ? static_cast<signed char>(nArg)
                             : nShort == 1 ? static_cast<short>(nArg)
                                           : nArg;
                }
                bNegative = nValue < 0;
                nMagnitude = bNegative ? 0ULL - static_cast<unsigned long long>(nValue)
                                       : static_cast<unsigned long long>(nValue);
            } else if (nLong == 2) {
                nMagnitude = va_arg(args, unsigned long long);
            } else if (nLong == 1) {
                nMagnitude = va_arg(args, unsigned long);
            } else {
                const unsigned nArg = va_arg(args, unsigned);
                nMagnitude = nShort == 2   ? static_cast<unsigned char>(nArg)
                             : nShort == 1 ? static_cast<unsigned short>(nArg)
                                           : nArg;
            }
            char szDigits[24];
            char* const pEnd = szDigits + sizeof(szDigits);
            const char* pFirst =
                PutUnsigned(pEnd, nMagnitude, chConversion == 'x' || chConversion == 'X' ? 16 : 10,
                            chConversion == 'X');
            const size_t nDigits = static_cast<size_t>(pEnd - pFirst);
            const size_t nBody = nDigits + (bNegative ? 1 : 0);
            const size_t nPad = static_cast<size_t>(nWidth) > nBody ? nWidth - nBody : 0;
            if (nPad + nBody >= nRoom - nLen) {
                return -1;
            }
            // Blanks go before the sign, zeros after it.
            if (!bZero) {
                std::memset(pOut + nLen, ' ', nPad);
                nLen += nPad;
            }
            if (bNegative) {
                pOut[nLen++] = '-';
            }
            if (bZero) {
                std::memset(pOut + nLen, '0', nPad);
                nLen += nPad;
            }
            std::memcpy(pOut + nLen, pFirst, nDigits);
            nLen += nDigits;
            break;
        }
        default:
            return -1;
        }
    }
}

// The process-wide log once SimpleLog() has made it.
std::atomic<CSimpleLog*> g_pProcessLog{nullptr};

} // namespace

CSimpleLog::CSimpleLog() : m_hFile(platform::kInvalidFile) {}

CSimpleLog::~CSimpleLog()
{
    Stop();
}

// The object itself is never destroyed: a thread that was let go may still
// log while the process exits. Its stop banner and close run at exit
// instead, after which every Print is dropped.
CSimpleLog& SimpleLog()
{
    static CSimpleLog* const s_pLog = [] {
        auto* pLog = new CSimpleLog;
        std::atexit([] { SimpleLog().Stop(); });
        g_pProcessLog.store(pLog);
        return pLog;
    }();
    return *s_pLog;
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
    try {
        WriteLine(nLevel, pszFormat, args);
    } catch (...) {
        // Out of memory (or a failing lock): leave a fixed line built on
        // the stack, so the failure is visible and the caller goes on.
        static const char szText[] = "[ERROR] [CSimpleLog::Print] try~catch error!!\r\n";
        char szLine[kStampLength + sizeof(szText) - 1];
        std::memcpy(szLine + kStampLength, szText, sizeof(szText) - 1);
        try {
            Emit(szLine, sizeof(szLine));
        } catch (...) {
        }
    }
    va_end(args);
}

void CSimpleLog::WriteLine(int nLevel, const char* pszFormat, va_list args)
{
    const char* pszTag = LevelTag(nLevel);
    const size_t nHead = kStampLength + std::strlen(pszTag);

    // The message is expanded behind a gap for stamp and tag; the stamp is
    // filled in when the line is written, so that it is read under the
    // same lock that decides the file of the day. Each thread formats into
    // its own buffer, large enough for a whole order's line; only longer
    // lines allocate. (A plain array: it is still there for the lines
    // written while the process exits.)
    thread_local char t_szLine[kThreadLine];
    std::string strLong;
    char* pLine = t_szLine;
    const size_t nRoom = sizeof(t_szLine) - nHead - 2;
    long nLen = 0;
    if (pszFormat != nullptr) {
        va_list copy;
        va_copy(copy, args);
        nLen = FastFormat(pLine + nHead, nRoom, pszFormat, copy);
        va_end(copy);
        if (nLen < 0) {
            va_copy(copy, args);
            nLen = std::vsnprintf(pLine + nHead, nRoom, pszFormat, copy);
            va_end(copy);
        }
        if (nLen < 0) {
            nLen = 0; // an invalid format: the line keeps stamp and tag
        }
    }
    size_t nMessage = static_cast<size_t>(nLen);
    if (nMessage >= nRoom) {
        strLong.resize(nHead + nMessage + 3);
        pLine = strLong.data();
        std::vsnprintf(pLine + nHead, nMessage + 1, pszFormat, args);
    }
    std::memcpy(pLine + kStampLength, pszTag, nHead - kStampLength);
    std::memcpy(pLine + nHead + nMessage, "\r\n", 2);
    Emit(pLine, nHead + nMessage + 2);
}

void CSimpleLog::Emit(char* pLine, size_t nLength)
{
    {
        std::shared_lock lock(m_Lock);
        int hFile = m_hFile.load(std::memory_order_acquire);
        if (hFile == platform::kInvalidFile) {
            return;
        }
        // Reading the clock under the lock keeps every line in the file of
        // the day in its stamp: a roll-over waits for the writers that
        // still stamp the old day, and every later writer reads a later time.
        platform::LocalTime now = platform::GetLocalTime();
        if (!m_bDaily || DateOf(now) == m_nCurrentDate) {
            FillStamp(pLine, now);
            platform::WriteFile(hFile, pLine, nLength);
            return;
        }
    }

    // Another day: close the file and open that day's, exclusively.
    std::unique_lock lock(m_Lock);
    if (m_hFile.load() == platform::kInvalidFile) {
        return;
    }
    platform::LocalTime now = platform::GetLocalTime();
    int nDate = DateOf(now);
    if (nDate != m_nCurrentDate) {
        int hOld = m_hFile.exchange(platform::kInvalidFile);
        platform::CloseFile(hOld);
        if (!Open(nDate)) {
            return; // logging stops for the rest of the run
        }
    }
    FillStamp(pLine, now);
    platform::WriteFile(m_hFile.load(), pLine, nLength);
}

void CSimpleLog::WriteLineSignalSafe(int nLevel, const char* pszMessage,
                                     const platform::LocalTime& now)
{
    int hFile = m_hFile.load(std::memory_order_acquire);
    if (hFile == platform::kInvalidFile || nLevel == LOG_DEVEL) {
        return;
    }
    char szLine[kStackLine];
    const char* pszTag = LevelTag(nLevel);
    size_t nLength = kStampLength;
    FillStamp(szLine, now);
    for (const char* pszPart : {pszTag, pszMessage}) {
        for (; pszPart != nullptr && *pszPart != '\0' && nLength < sizeof(szLine) - 2; ++pszPart) {
            szLine[nLength++] = *pszPart;
        }
    }
    szLine[nLength++] = '\r';
    szLine[nLength++] = '\n';
    platform::WriteFile(hFile, szLine, nLength);
}

void WriteLogLineSignalSafe(int nLevel, const char* pszMessage, const platform::LocalTime& now)
{
    CSimpleLog* pLog = g_pProcessLog.load();
    if (pLog != nullptr) {
        pLog->WriteLineSignalSafe(nLevel, pszMessage, now);
    }
}
