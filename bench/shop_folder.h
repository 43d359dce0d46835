// The shop's program folder of a benchmark, made from the test fixtures.
#pragma once

#include "printing/printer_setting.h"

#include <filesystem>
#include <string>

namespace bench {

// A fixture file of tests/data (strName relative to it); "" when missing.
std::string ReadFixture(const std::string& strName);

// A temporary program folder holding Config.ini and the origin notice from
// the fixtures, ZELKOR_HOME pointing at it and the origin notice printed;
// with bLog the log is started in it. All of it is undone with the object.
class CShopFolder
{
public:
    explicit CShopFolder(bool bLog = true);
    ~CShopFolder();
    CShopFolder(const CShopFolder&) = delete;
    CShopFolder& operator=(const CShopFolder&) = delete;

    // The printer settings read from the folder's Config.ini (printer 1).
    CPrinterSetting& Setting() { return m_Setting; }

private:
    std::filesystem::path m_Path;
    CPrinterSetting m_Setting;
    int m_nOldPrintOrigin = 1;
};

} // namespace bench
