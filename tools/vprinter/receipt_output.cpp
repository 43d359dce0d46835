// Writes decoded receipts; each file appears complete (written under a
// temporary name, then renamed), so a reader that sees the name can read it.
#include "tools/vprinter/receipt_output.h"

#include "tools/vprinter/receipt_png.h"

#include <cstdio>
#include <utility>

namespace vprinter {
namespace {

std::string Numbered(const char* pszPrefix, int nNumber)
{
    char szName[64];
    std::snprintf(szName, sizeof(szName), "%s-%03d", pszPrefix, nNumber);
    return szName;
}

bool WriteFileAtomically(const std::string& strPath, std::string_view content)
{
    const std::string strTemp = strPath + ".part";
    std::FILE* pFile = std::fopen(strTemp.c_str(), "wb");
    if (pFile == nullptr) {
        return false;
    }
    const bool bOk = std::fwrite(content.data(), 1, content.size(), pFile) == content.size();
    if (std::fclose(pFile) != 0 || !bOk) {
        std::remove(strTemp.c_str());
        return false;
    }
    return std::rename(strTemp.c_str(), strPath.c_str()) == 0;
}

} // namespace

CReceiptOutput::CReceiptOutput(std::string strFolder, bool bPng, int nColumns)
    : m_strFolder(std::move(strFolder)), m_bPng(bPng), m_nColumns(nColumns)
{
}

CReceiptOutput::~CReceiptOutput()
{
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
    }
}

void CReceiptOutput::BeginConnection()
{
    ++m_nConnectionCount;
    if (!m_strFolder.empty()) {
        const std::string strPath =
            m_strFolder + "/" + Numbered("connection", m_nConnectionCount) + ".bin";
        m_pStream = std::fopen(strPath.c_str(), "wb");
        if (m_pStream == nullptr) {
            std::fprintf(stderr, "zelkor-vprinter: cannot write %s\n", strPath.c_str());
        }
    }
    std::fprintf(stderr, "zelkor-vprinter: connection %d\n", m_nConnectionCount);
}

void CReceiptOutput::AddBytes(std::string_view bytes)
{
    if (m_pStream != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), m_pStream);
        std::fflush(m_pStream);
    }
    m_decoder.Feed(bytes);
    WriteReceipts();
}

void CReceiptOutput::EndConnection()
{
    m_decoder.Finish();
    WriteReceipts();
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
    std::fprintf(stderr, "zelkor-vprinter: connection %d ended\n", m_nConnectionCount);
}

void CReceiptOutput::WriteReceipts()
{
    for (const SReceipt& receipt : m_decoder.TakeReceipts()) {
        WriteReceipt(receipt);
    }
}

void CReceiptOutput::WriteReceipt(const SReceipt& receipt)
{
    ++m_nReceiptCount;
    if (receipt.IsCut()) {
        ++m_nCutCount;
    }
    const std::string strText = ReceiptText(receipt);
    std::string strName = Numbered("receipt", m_nReceiptCount);
    if (!receipt.IsCut()) {
        strName += "-uncut";
    }
    if (m_strFolder.empty()) {
        std::fwrite(strText.data(), 1, strText.size(), stdout);
        std::fflush(stdout);
        return;
    }
    const std::string strBase = m_strFolder + "/" + strName;
    bool bOk = WriteFileAtomically(strBase + ".bin", receipt.m_strRaw);
    if (m_bPng) {
        std::string strError;
        const std::string strTemp = strBase + ".png.part";
        bOk = SaveReceiptPng(receipt, strTemp, m_nColumns, strError) &&
              std::rename(strTemp.c_str(), (strBase + ".png").c_str()) == 0 && bOk;
    }
    // The text goes last: once it exists, the other files of the receipt do.
    bOk = WriteFileAtomically(strBase + ".txt", strText) && bOk;
    std::fprintf(stderr, "zelkor-vprinter: %s %s (%zu lines, %s)\n", strName.c_str(),
                 bOk ? "written" : "NOT fully written", receipt.m_vecLines.size(),
                 receipt.IsCut() ? "cut" : "not cut");
}

} // namespace vprinter
