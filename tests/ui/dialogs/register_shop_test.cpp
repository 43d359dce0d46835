// The registration without its window: the agent's values in order, the
// result's message, what Config.ini gets (never the password), and keypad
// editing on whole characters.
#include "tests/support/program_folder.h"
#include "ui/dialogs/logic/register_shop.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class CFakeAgent : public IRegisterShopAgent
{
public:
    bool IsLoaded() override { return m_bLoaded; }
    bool HasRegisterShopEx() override { return m_bHasExport; }
    int SetData(const std::string& strKey, const std::string& strValue) override
    {
        m_vCalls.push_back("SetData " + strKey + "=" + strValue);
        return 1;
    }
    int RegisterShopEx() override
    {
        m_vCalls.push_back("RegisterShopEx");
        return m_nResult;
    }
    bool m_bLoaded = true;
    bool m_bHasExport = true;
    int m_nResult = 1;
    std::vector<std::string> m_vCalls;
};

TEST(RegisterShopTest, ValuesInOrderAndConfigByMode)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    folder.WriteFile("Config.ini",
                     "[POS]\r\nNobizer=111\r\nStoreId=S1\r\n[ORDER]\r\nLastNo=40\r\n");
    const std::string strIni = folder.File("Config.ini");

    CFakeAgent admin;
    EXPECT_EQ(RegisterShop(admin, LOGIN_TYPE_ADMIN, "chef", "s3cret!pw", 0x2A, strIni), 1);
    EXPECT_EQ(admin.m_vCalls,
              (std::vector<std::string>{"SetData userid=chef", "SetData userpw=s3cret!pw",
                                        "SetData loginType=admin", "SetData orgno=1",
                                        "SetData pos_type=install", "SetData REQ_HANDLE=2A",
                                        "RegisterShopEx"}));
    EXPECT_EQ(folder.ReadFile("Config.ini"), "[POS]\r\nNobizer=111\r\nStoreId=S1\r\nuserId=chef\r\n"
                                             "TYPE=admin\r\n[ORDER]\r\nLastNo=1\r\n");
    EXPECT_EQ(folder.ReadCurrentLog().find("s3cret!pw"), std::string::npos);

    CFakeAgent bsnum;
    EXPECT_EQ(RegisterShop(bsnum, LOGIN_TYPE_BSNUM, "2208162517", "ST9", 0x1F3, strIni), 1);
    EXPECT_EQ(bsnum.m_vCalls[0], "SetData registernumber=2208162517");
    EXPECT_EQ(bsnum.m_vCalls[1], "SetData posid=ST9");
    EXPECT_EQ(bsnum.m_vCalls[5], "SetData REQ_HANDLE=1F3");
    EXPECT_NE(folder.ReadFile("Config.ini").find("Nobizer=2208162517\r\nStoreId=ST9\r\n"),
              std::string::npos);
}

TEST(RegisterShopTest, FailuresWriteNothingAndPickTheirMessage)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    folder.WriteFile("Config.ini", "[ORDER]\r\nLastNo=40\r\n");
    struct Case
    {
        bool bHasExport;
        int nAgentResult;
        int nResult;
        int nMessage;
        size_t nCalls;
    };
    const Case cases[] = {
        {true, -1, -1, 105, 7},
        {true, -2, -2, 122, 7},
        {true, 0, 0, 123, 7},
        {true, -9, -9, 123, 7},
        // Checked before anything is handed over.
        {false, 1, REGISTER_SHOP_MISSING_EXPORT, 126, 0},
    };
    CFakeAgent unloaded;
    unloaded.m_bLoaded = false;
    EXPECT_EQ(RegisterShopMessageId(
                  RegisterShop(unloaded, LOGIN_TYPE_BSNUM, "1", "2", 1, folder.File("Config.ini"))),
              123);
    EXPECT_TRUE(unloaded.m_vCalls.empty());
    for (const Case& c : cases) {
        CFakeAgent agent;
        agent.m_bHasExport = c.bHasExport;
        agent.m_nResult = c.nAgentResult;
        const int nResult =
            RegisterShop(agent, LOGIN_TYPE_BSNUM, "1", "2", 1, folder.File("Config.ini"));
        EXPECT_EQ(nResult, c.nResult) << c.nAgentResult;
        EXPECT_EQ(RegisterShopMessageId(nResult), c.nMessage) << c.nAgentResult;
        EXPECT_EQ(agent.m_vCalls.size(), c.nCalls) << c.nAgentResult;
    }
    EXPECT_EQ(folder.ReadFile("Config.ini"), "[ORDER]\r\nLastNo=40\r\n");
}

TEST(RegisterShopFieldTest, KeypadEditsWholeCharacters)
{
    struct Case
    {
        const char* pszName;
        SFieldState before;
        int nOperation;
        const char* pszAppend;
        const char* pszText;
        int nCaret;
    };
    const Case cases[] = {
        {"backspace after Hangul", {"가나", 2, 2, 2}, FIELD_EDIT_DELETE, nullptr, "가", 1},
        {"backspace mid text", {"가a나", 2, 2, 2}, FIELD_EDIT_DELETE, nullptr, "가나", 1},
        {"backspace at start", {"가나", 0, 0, 0}, FIELD_EDIT_DELETE, nullptr, "가나", 0},
        {"delete a selection", {"12가나3", 0, 1, 4}, FIELD_EDIT_DELETE, nullptr, "13", 1},
        {"digit at the caret", {"가나", 1, 1, 1}, FIELD_EDIT_APPEND, "7", "가7나", 2},
        {"digit over a selection", {"1234", 4, 1, 3}, FIELD_EDIT_APPEND, "9", "194", 2},
        {"clear", {"가나", 2, 2, 2}, FIELD_EDIT_CLEAR, nullptr, "", 0},
    };
    for (const Case& c : cases) {
        SFieldState field = c.before;
        EXPECT_TRUE(EditField(field, c.nOperation, c.pszAppend)) << c.pszName;
        EXPECT_EQ(field.strText, c.pszText) << c.pszName;
        EXPECT_EQ(field.nCaret, c.nCaret) << c.pszName;
    }
    SFieldState field{"1", 1, 1, 1};
    EXPECT_FALSE(EditField(field, FIELD_EDIT_APPEND, nullptr));
    EXPECT_FALSE(EditField(field, 7, "1"));
    EXPECT_EQ(field.strText, "1");
}

} // namespace
