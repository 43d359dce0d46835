// The shop files' copy: read once while the files stay as they are, read
// again by the next order after any kind of change to Config.ini or to the
// origin notice.
#include "foundation/ini_file.h"
#include "printing/print_data.h"
#include "printing/printer_setting.h"
#include "printing/shop_files.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kConfig =
    "[STORE]\r\nName=Alpha\r\nCOA=from config\r\n[PRINT]\r\nUSE_NEWADDR=1\r\n";
const char* const kNotice = "notice one";
const char* const kOrder = "{\"no\" : \"20231208093308001\"}";

// Moves the file's modification time one second on, as a later write would
// leave it (<filesystem> brings the clock types; <chrono> itself holds a
// literal the CP949 build cannot take).
void Later(const std::string& strPath)
{
    std::filesystem::last_write_time(strPath, std::filesystem::last_write_time(strPath) +
                                                  std::chrono::seconds(1));
}

class ShopFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nOldPrintOrigin = PrinterSetting().GetPrintOrigin();
        PrinterSetting().SetPrintOrigin(1);
        m_Folder.WriteFile("Config.ini", kConfig);
        m_Folder.WriteFile("Store_Orgin.dat", kNotice);
    }
    void TearDown() override { PrinterSetting().SetPrintOrigin(m_nOldPrintOrigin); }

    // The data of the next order.
    CPrintData NextOrder()
    {
        CPrintData data;
        EXPECT_EQ(data.SetJsonData(std::string(kOrder)), CPrintData::E_RESULT_OK);
        return data;
    }

    testsupport::CTempProgramFolder m_Folder;
    int m_nOldPrintOrigin = 1;
};

TEST_F(ShopFilesTest, UnchangedFilesAreNotReadAgain)
{
    const CPrintData first = NextOrder();
    const auto pConfig = ShopFiles().GetConfig();
    const auto pNotice = ShopFiles().GetOriginNotice();
    const CPrintData second = NextOrder();
    EXPECT_EQ(ShopFiles().GetConfig().get(), pConfig.get());
    EXPECT_EQ(ShopFiles().GetOriginNotice().get(), pNotice.get());
    EXPECT_EQ(second.GetStoreName(), "Alpha");
    EXPECT_EQ(second.GetCOA(), kNotice);
}

// Each change, made after one order was printed, must show in the next one.
TEST_F(ShopFilesTest, NextOrderSeesEveryKindOfChange)
{
    struct SCase
    {
        const char* pszName;
        std::function<void(testsupport::CTempProgramFolder&)> fnChange;
        const char* pszStoreName;
        const char* pszCOA;
    };
    const auto configPath = [](testsupport::CTempProgramFolder& folder) {
        return folder.File("Config.ini");
    };
    const SCase kCases[] = {
        // The settings dialog and the agent's setting event write through
        // the INI layer: a new file renamed into place.
        {"INI write of [STORE]",
         [&](auto& folder) {
             IniWriteString("STORE", "Name", "Bravo", configPath(folder).c_str());
         },
         "Bravo", kNotice},
        // Another writer may rewrite the file in place: a new size ...
        {"Config.ini rewritten in place, other size",
         [](auto& folder) { folder.WriteFile("Config.ini", "[STORE]\r\nName=Charlie\r\n"); },
         "Charlie", kNotice},
        // ... or the same size, seen by its later modification time.
        {"Config.ini rewritten in place, same size",
         [](auto& folder) {
             std::string strText = kConfig;
             strText.replace(strText.find("Alpha"), 5, "Delta");
             folder.WriteFile("Config.ini", strText);
             Later(folder.File("Config.ini"));
         },
         "Delta", kNotice},
        {"Config.ini removed",
         [](auto& folder) { std::filesystem::remove(folder.File("Config.ini")); }, "", kNotice},
        {"notice rewritten in place, other size",
         [](auto& folder) { folder.WriteFile("Store_Orgin.dat", "notice number two"); }, "Alpha",
         "notice number two"},
        {"notice rewritten in place, same size",
         [](auto& folder) {
             folder.WriteFile("Store_Orgin.dat", "notice two");
             Later(folder.File("Store_Orgin.dat"));
         },
         "Alpha", "notice two"},
        // Without the file the notice comes from [STORE] COA.
        {"notice removed",
         [](auto& folder) { std::filesystem::remove(folder.File("Store_Orgin.dat")); }, "Alpha",
         "from config"},
    };
    for (const SCase& test : kCases) {
        SCOPED_TRACE(test.pszName);
        m_Folder.WriteFile("Config.ini", kConfig);
        m_Folder.WriteFile("Store_Orgin.dat", kNotice);
        const CPrintData before = NextOrder();
        ASSERT_EQ(before.GetStoreName(), "Alpha");
        ASSERT_EQ(before.GetCOA(), kNotice);

        test.fnChange(m_Folder);
        const CPrintData after = NextOrder();
        EXPECT_EQ(after.GetStoreName(), test.pszStoreName);
        EXPECT_EQ(after.GetCOA(), test.pszCOA);
    }
}

// The delivery receipt's address choice comes from the same copy.
TEST_F(ShopFilesTest, DeliveryAddressChoiceFollowsConfig)
{
    EXPECT_EQ(ShopFiles().GetConfig()->GetInt("PRINT", "USE_NEWADDR", 1), 1);
    IniWriteString("PRINT", "USE_NEWADDR", "0", m_Folder.File("Config.ini").c_str());
    EXPECT_EQ(ShopFiles().GetConfig()->GetInt("PRINT", "USE_NEWADDR", 1), 0);
}

// The print and toast workers read orders at the same time while the
// settings are written: every order sees one whole version of the file.
TEST_F(ShopFilesTest, OrdersOnTwoThreadsDuringWrites)
{
    const std::string strPath = m_Folder.File("Config.ini");
    std::vector<std::thread> vecReaders;
    std::vector<std::string> vecWrong[2];
    for (int t = 0; t < 2; ++t) {
        vecReaders.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                CPrintData data;
                data.SetJsonData(std::string(kOrder));
                const std::string strName = data.GetStoreName();
                if (strName != "Alpha" && strName != "Bravo") {
                    vecWrong[t].push_back(strName);
                }
            }
        });
    }
    for (int i = 0; i < 50; ++i) {
        IniWriteString("STORE", "Name", i % 2 == 0 ? "Bravo" : "Alpha", strPath.c_str());
    }
    for (std::thread& reader : vecReaders) {
        reader.join();
    }
    EXPECT_TRUE(vecWrong[0].empty() && vecWrong[1].empty());
    EXPECT_EQ(NextOrder().GetStoreName(), "Alpha"); // the last write
}

} // namespace
