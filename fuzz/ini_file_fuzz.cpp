// Fuzz target: the INI module on arbitrary Config.ini contents. Every key
// the program reads must read the same through a snapshot as through the
// single-key calls; one key is then written and must read back, with every
// other key unchanged; and the settings store must read back what it saved.
//
// Input: one byte choosing the key to write, one byte with the length of
// the value (bits 0-6) and whether the settings store saves and re-reads
// (bit 7; it replaces the file some forty times, so not on every input),
// the value's bytes, then the file contents.
#include "foundation/ini_file.h"
#include "fuzz/support/fuzz_folder.h"
#include "printing/printer_setting.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using fuzzsupport::Fail;

struct SKey
{
    std::string strSection;
    std::string strKey;
    size_t nBufferSize;
};

const std::vector<SKey>& ProgramKeys()
{
    static const std::vector<SKey> keys = [] {
        std::vector<SKey> v;
        v.push_back({"PRINTER", "LINE", 260});
        for (int nPrinter = 1; nPrinter <= MAX_PRINTER_COUNT; ++nPrinter) {
            for (const char* pszName :
                 {"Name", "Use", "Rcp", "SerialUse", "LanPrintUse", "UsbUse", "Port", "Portname",
                  "BaudRate", "LanPrintIP", "LanPrintPort", "UsbName", "LineFeed", "StatusCheck"}) {
                v.push_back({"PRINTER", "Printer" + std::to_string(nPrinter) + pszName, 260});
            }
        }
        for (const char* pszKey :
             {"PrintCnt", "DeliveryPrintCnt", "PickupPaymentPrintCnt", "DeliveryPaymentPrintCnt",
              "PrintOrigin", "PrintOptiongroup", "ReqCustomerSize", "ReqCustomerSizeNormal",
              "ReqDelivererSize", "ReqDelivererSizeNormal", "MenunameSize", "OriginSize"}) {
            v.push_back({"PRINTER", pszKey, 260});
        }
        for (const char* pszKey : {"StartNo", "LastNo", "LastDate"}) {
            v.push_back({"ORDER", pszKey, 260});
        }
        for (const char* pszKey : {"Addr", "Name", "BossNM", "BizNo", "Tel", "COA"}) {
            v.push_back({"STORE", pszKey, 2048});
        }
        v.push_back({"PRINT", "USE_NEWADDR", 260});
        v.push_back({"POS", "StoreId", 260});
        for (const char* pszKey : {"Host", "BotIconImage", "CaFile"}) {
            v.push_back({"WEBHOOK", pszKey, 1024});
        }
        return v;
    }();
    return keys;
}

// Every program key's value; with bCompare each also through the
// single-key calls, which must agree with the snapshot.
std::vector<std::string> ReadAll(const std::string& strPath, bool bCompare)
{
    const CIniSnapshot snapshot(strPath.c_str());
    std::vector<std::string> vecValues;
    for (const SKey& key : ProgramKeys()) {
        const char* pszSection = key.strSection.c_str();
        const char* pszKey = key.strKey.c_str();
        const std::string strValue = snapshot.GetString(pszSection, pszKey, "-", key.nBufferSize);
        if (strValue.size() >= key.nBufferSize) {
            Fail(key.strKey + " read longer than its buffer");
        }
        vecValues.push_back(strValue);
        if (!bCompare) {
            continue;
        }
        if (strValue != IniGetString(pszSection, pszKey, "-", strPath.c_str(), key.nBufferSize)) {
            Fail("snapshot and single read differ for " + key.strKey);
        }
        if (IniGetInt(pszSection, pszKey, -7, strPath.c_str()) !=
            snapshot.GetInt(pszSection, pszKey, -7)) {
            Fail("snapshot and single integer read differ for " + key.strKey);
        }
    }
    return vecValues;
}

// A value the file can hold as written: one line, no blanks at its ends.
std::string StorableValue(std::string strValue)
{
    std::string strOut;
    for (char ch : strValue) {
        if (ch != '\r' && ch != '\n' && ch != '\0') {
            strOut += ch;
        }
    }
    const char* const pszBlanks = " \t\r\v\f";
    const size_t nBegin = strOut.find_first_not_of(pszBlanks);
    if (nBegin == std::string::npos) {
        return "";
    }
    return strOut.substr(nBegin, strOut.find_last_not_of(pszBlanks) - nBegin + 1);
}

// What reading gives for a stored value: like the private-profile calls, a
// value enclosed in one pair of matching quotes (" or ') is read without them.
std::string ReadBackValue(const std::string& strStored)
{
    if (strStored.size() >= 2 && (strStored[0] == '"' || strStored[0] == '\'') &&
        strStored.back() == strStored[0]) {
        return strStored.substr(1, strStored.size() - 2);
    }
    return strStored;
}

// The first field in which two records differ ("" when none does).
std::string RecordDifference(const PrintInfo& a, const PrintInfo& b)
{
    auto text = [](const char* psz) { return std::string("[") + psz + "]"; };
    auto differs = [](const char* pszSaved, const char* pszRead) {
        return std::strcmp(pszSaved, pszRead) != 0;
    };
    const std::pair<bool, std::string> fields[] = {
        {a.Use != b.Use, "Use"},
        {a.Rcp != b.Rcp, "Rcp"},
        {a.PortType != b.PortType, "PortType"},
        {differs(a.Name, b.Name), "Name " + text(a.Name) + " " + text(b.Name)},
        {a.Port != b.Port, "Port"},
        {a.BaudRate != b.BaudRate, "BaudRate"},
        {differs(a.Portname, b.Portname), "Portname " + text(a.Portname) + " " + text(b.Portname)},
        {differs(a.LanPrintIP, b.LanPrintIP),
         "LanPrintIP " + text(a.LanPrintIP) + " " + text(b.LanPrintIP)},
        {a.LanPrintPort != b.LanPrintPort, "LanPrintPort"},
        {differs(a.UsbName, b.UsbName), "UsbName " + text(a.UsbName) + " " + text(b.UsbName)},
        {a.LineFeed != b.LineFeed, "LineFeed"},
        {a.StatusCheck != b.StatusCheck, "StatusCheck"},
    };
    for (const auto& [bDiffers, strField] : fields) {
        if (bDiffers) {
            return strField;
        }
    }
    return "";
}

std::vector<int> Numbers(CPrinterSetting& s)
{
    return {s.GetPrintLineType(),
            s.GetPrintCnt(),
            s.GetDeliveryPrintCnt(),
            s.GetPickupPaymentPrintCnt(),
            s.GetDeliveryPaymentPrintCnt(),
            s.GetPrintOrigin(),
            s.GetPrintOptiongroup(),
            s.GetReqCustomerSize(),
            s.GetReqDelivererSize(),
            s.GetMenunameSize(),
            s.GetOriginSize(),
            s.GetOrderStartWaitNo()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 2) {
        return -1;
    }
    const std::vector<SKey>& keys = ProgramKeys();
    const SKey& written = keys[pData[0] % keys.size()];
    const size_t nValueSize = std::min<size_t>(pData[1] & 0x7F, nSize - 2);
    const std::string strValue =
        StorableValue(std::string(reinterpret_cast<const char*>(pData) + 2, nValueSize));
    const std::string strPath = fuzzsupport::FolderFile("Config.ini");
    fuzzsupport::WriteWholeFile(
        strPath,
        std::string(reinterpret_cast<const char*>(pData) + 2 + nValueSize, nSize - 2 - nValueSize));

    const std::vector<std::string> vecBefore = ReadAll(strPath, true);
    if (!IniWriteString(written.strSection.c_str(), written.strKey.c_str(), strValue.c_str(),
                        strPath.c_str())) {
        Fail("cannot write " + written.strKey);
    }
    const std::vector<std::string> vecAfter = ReadAll(strPath, false);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (&keys[i] == &written) {
            if (vecAfter[i] != ReadBackValue(strValue)) {
                Fail("written " + written.strKey + " [" + strValue + "] reads back as [" +
                     vecAfter[i] + "]");
            }
        } else if (vecAfter[i] != vecBefore[i]) {
            Fail("writing " + written.strKey + " changed " + keys[i].strKey + " from [" +
                 vecBefore[i] + "] to [" + vecAfter[i] + "]");
        }
    }

    if ((pData[1] & 0x80) == 0) {
        return 0;
    }
    // The settings store saves what it read and reads the same again.
    CPrinterSetting loaded;
    loaded.SetConfigFilePath(strPath.c_str());
    loaded.ReadFilePrintInfo(1);
    if (loaded.WriteFilePrintInfo() != 1) {
        Fail("the settings store could not save");
    }
    CPrinterSetting reread;
    reread.SetConfigFilePath(strPath.c_str());
    reread.ReadFilePrintInfo(1);
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        PrintInfo a;
        PrintInfo b;
        loaded.GetPrintInfoForIndex(i, &a);
        reread.GetPrintInfoForIndex(i, &b);
        const std::string strDifference = RecordDifference(a, b);
        if (!strDifference.empty()) {
            Fail("printer record " + std::to_string(i + 1) +
                 " reads back changed: " + strDifference);
        }
    }
    if (Numbers(loaded) != Numbers(reread)) {
        Fail("a [PRINTER] or [ORDER] number reads back changed");
    }
    return 0;
}
