// Recording printer, receipt decoding, golden files and the document fixture.
#include "tests/printing/document_harness.h"

#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "printing/print_base.h"
#include "tests/printing/vanishing_port.h"
#include "tools/vprinter/receipt_decoder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <json/reader.h>
#include <sstream>
#include <vector>

namespace docharness {

namespace {

std::filesystem::path DataDir()
{
    return std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data";
}

std::vector<std::string> SplitLines(const std::string& strText)
{
    std::vector<std::string> vecLines;
    std::istringstream stream(strText);
    std::string strLine;
    while (std::getline(stream, strLine)) {
        vecLines.push_back(strLine);
    }
    return vecLines;
}

bool WriteGoldensRequested()
{
    const char* pszValue = std::getenv("ZELKOR_WRITE_GOLDENS");
    return pszValue != nullptr && std::string(pszValue) == "1";
}

} // namespace

std::string DataPath(const std::string& strRelative)
{
    return (DataDir() / strRelative).string();
}

std::string ReadDataFile(const std::string& strRelative)
{
    const std::string strPath = DataPath(strRelative);
    std::string strText = testsupport::ReadWholeFile(strPath);
    EXPECT_FALSE(strText.empty()) << "missing test data " << strPath;
    return strText;
}

CHarnessPrinter::CHarnessPrinter()
{
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    EXPECT_EQ(PrinterOpen(&info), 0);
}

std::unique_ptr<CBasePort> CHarnessPrinter::CreatePort(const PrintInfo& /*info*/, int& /*nError*/)
{
    auto pPort = std::make_unique<CRecordingPort>();
    m_pRecorder = pPort.get();
    return pPort;
}

void CHarnessPrinter::SetWriteResult(int nResult)
{
    if (m_pRecorder != nullptr) {
        m_pRecorder->m_nWriteResult = nResult;
    }
}

std::string CHarnessPrinter::Bytes() const
{
    std::string strBytes;
    if (m_pRecorder == nullptr) {
        return strBytes;
    }
    for (const std::string& strWrite : m_pRecorder->m_Writes) {
        strBytes += strWrite;
    }
    strBytes += m_pRecorder->Buffered();
    return strBytes;
}

int CFailingPort::SendData(const char* pData, int nSize, int bFlush)
{
    const int nIndex = static_cast<int>(m_Calls.size());
    m_Calls.emplace_back(pData, static_cast<size_t>(nSize > 0 ? nSize : 0));
    if ((m_nFailFrom >= 0 && nIndex >= m_nFailFrom) || nIndex == m_nFailOnly) {
        return 4;
    }
    return CRecordingPort::SendData(pData, nSize, bFlush);
}

CFailingPrinter::CFailingPrinter()
{
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    EXPECT_EQ(PrinterOpen(&info), 0);
}

void CFailingPrinter::FailAt(int nCall, bool bPersistent)
{
    if (bPersistent) {
        m_pFailing->m_nFailFrom = nCall;
    } else {
        m_pFailing->m_nFailOnly = nCall;
    }
}

std::string CFailingPrinter::DeviceBytes() const
{
    std::string strBytes;
    for (const std::string& strWrite : m_pFailing->m_Writes) {
        strBytes += strWrite;
    }
    return strBytes + m_pFailing->Buffered();
}

std::unique_ptr<CBasePort> CFailingPrinter::CreatePort(const PrintInfo& /*info*/, int& /*nError*/)
{
    auto pPort = std::make_unique<CFailingPort>();
    m_pFailing = pPort.get();
    return pPort;
}

std::string Msg(int nMode, int nJustify, const std::string& strText, int nLineFeed)
{
    std::string str = {0x1B, 0x21, static_cast<char>(nMode),
                       0x1B, 0x61, static_cast<char>(nJustify)};
    str += strText;
    for (int i = 0; i < nLineFeed; ++i) {
        str += "\r\n";
    }
    return str;
}

int CountOf(const std::string& strText, const std::string& strPart)
{
    int nCount = 0;
    for (size_t nPos = strText.find(strPart); nPos != std::string::npos;
         nPos = strText.find(strPart, nPos + strPart.size())) {
        ++nCount;
    }
    return nCount;
}

std::string Utf8(const std::u8string& str)
{
    return std::string(str.begin(), str.end());
}

std::string ChangedOrder(const std::string& strFixture, const std::function<void(Json::Value&)>& fn)
{
    Json::Value order;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(ReadDataFile("orders/" + strFixture + ".json"), order));
    fn(order);
    return CjsonCtrl::StyledText(order);
}

SPrintResult PrintDocument(CPrintBase& document, CPrintData& data, CPrinterSetting& setting,
                           int nPrintFlag, int nBottomLineFeed, int nWriteResult)
{
    SPrintResult result;
    CHarnessPrinter printer;
    printer.SetWriteResult(nWriteResult);
    result.nSetResult =
        document.SetPrintData(&printer, &data, &setting, nPrintFlag, nBottomLineFeed);
    if (result.nSetResult == 0) {
        result.nStartResult = document.StartPrintData();
    }
    printer.Printer_Send_End();
    result.strBytes = printer.Bytes();
    return result;
}

std::string PrintWith(const std::function<void(CHarnessPrinter&)>& fnPrint)
{
    CHarnessPrinter printer;
    fnPrint(printer);
    printer.Printer_Send_End();
    return printer.Bytes();
}

std::string VirtualPrinterPath()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "tools" / "vprinter" / "zelkor-vprinter").string();
}

void PrintToVirtualPrinter(const std::string& strOutDir,
                           const std::function<void(CPrinterCommunicate&)>& fnPrint)
{
    std::filesystem::create_directories(strOutDir);
    const std::string strCommand = "timeout 30 '" + VirtualPrinterPath() +
                                   "' --tcp 127.0.0.1:0 --out '" + strOutDir + "' --count 1";
    FILE* pPipe = popen(strCommand.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    char szLine[128] = {};
    ASSERT_NE(fgets(szLine, sizeof(szLine), pPipe), nullptr);
    const std::string strAddress(szLine);
    const size_t nColon = strAddress.rfind(':');
    ASSERT_NE(nColon, std::string::npos) << strAddress;

    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    SetPrintInfoText(info.LanPrintIP, strAddress.substr(0, nColon));
    info.LanPrintPort = std::stoi(strAddress.substr(nColon + 1));
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    fnPrint(printer);
    EXPECT_EQ(printer.Printer_Send_End(), 0);
    printer.PrinterClose();
    EXPECT_EQ(pclose(pPipe), 0);
}

std::string DecodeText(const std::string& strBytes)
{
    return vprinter::StreamText(strBytes);
}

std::string LineDiff(const std::string& strExpected, const std::string& strActual)
{
    const std::vector<std::string> a = SplitLines(strExpected);
    const std::vector<std::string> b = SplitLines(strActual);
    // Longest common subsequence table; receipts are a few hundred lines.
    std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;) {
        for (size_t j = b.size(); j-- > 0;) {
            lcs[i][j] =
                a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        }
    }
    std::string strDiff;
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            strDiff += "  " + a[i] + "\n";
            ++i;
            ++j;
        } else if (j < b.size() && (i == a.size() || lcs[i][j + 1] >= lcs[i + 1][j])) {
            strDiff += "+ " + b[j] + "\n";
            ++j;
        } else {
            strDiff += "- " + a[i] + "\n";
            ++i;
        }
    }
    return strDiff;
}

void ExpectGolden(const std::string& strName, const std::string& strText)
{
    const std::filesystem::path path = DataDir() / "golden" / (strName + ".txt");
    if (WriteGoldensRequested()) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << strText;
        file.close();
        ASSERT_TRUE(file.good()) << "cannot write " << path;
        GTEST_SKIP() << "golden file written: " << path.string() << " (review it by eye)";
    }
    const std::string strExpected = testsupport::ReadWholeFile(path.string());
    ASSERT_FALSE(strExpected.empty())
        << "missing golden file " << path.string()
        << " (scripts/regen-goldens writes it); the document printed:\n"
        << strText;
    EXPECT_TRUE(strExpected == strText)
        << "printed document differs from " << path.string() << " (- golden, + printed):\n"
        << LineDiff(strExpected, strText);
}

void CDocumentTest::SetUp()
{
    ASSERT_TRUE(m_Folder.StartLog());
    m_nOldPrintOrigin = PrinterSetting().GetPrintOrigin();
    PrinterSetting().SetPrintOrigin(1);
    m_Folder.WriteFile("Config.ini", ReadDataFile("store/Config.ini"));
    m_Folder.WriteFile("Store_Orgin.dat", ReadDataFile("store/Store_Orgin.dat"));
    m_Setting.SetConfigFilePath(m_Folder.File("Config.ini").c_str());
    m_Setting.ReadFilePrintInfo(1);
}

void CDocumentTest::TearDown()
{
    PrinterSetting().SetPrintOrigin(m_nOldPrintOrigin);
}

void CDocumentTest::SetPrinterKey(const char* pszKey, const std::string& strValue)
{
    const std::string strPath = m_Folder.File("Config.ini");
    ASSERT_TRUE(IniWriteString("PRINTER", pszKey, strValue.c_str(), strPath.c_str()));
    m_Setting.ReadFilePrintInfo(1);
}

std::string CDocumentTest::PrintedText(CPrintBase& document, int nPrintFlag)
{
    const SPrintResult result = PrintDocument(document, m_Data, m_Setting, nPrintFlag);
    EXPECT_EQ(result.nSetResult, 0);
    EXPECT_EQ(result.nStartResult, 0);
    return DecodeText(result.strBytes);
}

std::string CDocumentTest::PrintUntilLost(CPrintBase& document, size_t nLimit,
                                          const std::string& strWhole, const std::string& strLog)
{
    CVanishingPrinter printer(nLimit);
    EXPECT_EQ(printer.OpenResult(), 0);
    EXPECT_EQ(document.SetPrintData(&printer, &m_Data, &m_Setting, 0, 4), 0);
    EXPECT_EQ(document.StartPrintData(), 1);
    EXPECT_NE(Log().find(strLog), std::string::npos) << strLog;
    EXPECT_LE(printer.Taken().size(), nLimit);
    EXPECT_EQ(printer.Taken(), strWhole.substr(0, printer.Taken().size()));
    return printer.Taken();
}

bool CDocumentTest::LoadOrder(const std::string& strName)
{
    const std::string strJson = ReadDataFile("orders/" + strName + ".json");
    const int nResult = m_Data.SetJsonData(strJson);
    EXPECT_EQ(nResult, 0) << "order fixture " << strName << " does not parse";
    return nResult == 0;
}

int CDocumentTest::LoadOrderText(const std::string& strJson)
{
    return m_Data.SetJsonData(strJson);
}

} // namespace docharness
