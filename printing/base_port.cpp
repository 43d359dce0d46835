// The common send-buffer rule of every printer port.
#include "printing/base_port.h"

#include "foundation/simple_log.h"

#include <cstring>

CBasePort::~CBasePort()
{
    ClearSendBuffer();
    m_nEndOfJob = 0;
}

void CBasePort::ClearSendBuffer()
{
    std::memset(m_szSendBuffer, 0, sizeof(m_szSendBuffer));
    m_nSendLength = 0;
}

int CBasePort::SendData(const char* pData, int nSize, int bFlush)
{
    const char* pszTag = SendDataTag();
    if (!CheckOpenForSend()) {
        return 3;
    }
    if (pData == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL!!!", pszTag);
        return 5;
    }
    if (nSize <= 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param Zero Size!!!", pszTag);
        return 7;
    }
    if (m_nSendFailed != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Refused... an earlier write of this job failed [%d] Size [%d]",
                  pszTag, m_nSendFailed, nSize);
        return m_nSendFailed;
    }
    // One call carries at most the buffer's capacity; the command layer
    // never passes more. Anything beyond is cut rather than overrun.
    if (nSize > MAX_BUFFERED) {
        nSize = MAX_BUFFERED;
    }
    if (m_nSendLength + nSize > MAX_BUFFERED) {
        LOG_PRINT(LOG_INFO,
                  "[%s] Buffer Full... SendCurrentMemoryPrintData Add Data [%.*s] Size [%d]",
                  pszTag, nSize, pData, nSize);
        int nLength = m_nSendLength;
        int nResult = SendCurrentMemoryPrintData();
        ClearSendBuffer();
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] SendCurrentMemoryPrintData Fail... Size [%d]", pszTag,
                      nLength);
            m_nSendFailed = nResult;
            return nResult;
        }
    }
    std::memcpy(m_szSendBuffer + m_nSendLength, pData, static_cast<size_t>(nSize));
    m_nSendLength += nSize;
    if (!bFlush) {
        return 0;
    }
    int nLength = m_nSendLength;
    int nResult = SendCurrentMemoryPrintData();
    ClearSendBuffer();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SendCurrentMemoryPrintData Fail... Size [%d]", pszTag, nLength);
        m_nSendFailed = nResult;
        return nResult;
    }
    return 0;
}

int CBasePort::QueryStatus(const char*, int, int, unsigned char& nAnswer)
{
    nAnswer = 0;
    return STATUS_NO_ANSWER;
}
