// The registration dialog offscreen against the stand-in agent library:
// the calls it journals, the boxes of each result, the keypad and its
// editing, the modes and their masking, and the password kept out of
// every file.
#include "agent/nubeq_dll_mngr.h"
#include "tests/support/agent_journal.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_gui/dialog_test_support.h"
#include "ui/common/cp949_input.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/dialogs/dlg_register_pos.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Dlg = CDlgRegisterPos;

class RegisterPosDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("Config.ini", "[POS]\r\nStoreId=OLD\r\n[ORDER]\r\nLastNo=33\r\n");
    }
    // A dialog over its own manager of the library installed in the folder.
    void Open(const char* pszLibrary, const char* pszResult = nullptr)
    {
        // The old library leaves the process first, or dlopen would hand
        // it out again for the same path.
        m_pDlg.reset();
        m_pAgent.reset();
        std::filesystem::remove(m_Folder.File("libNUBEQ_IF.so"));
        std::filesystem::copy_file(pszLibrary, m_Folder.File("libNUBEQ_IF.so"),
                                   std::filesystem::copy_options::overwrite_existing);
        if (pszResult != nullptr) {
            m_Folder.WriteFile("agent_stub.ini",
                               std::string("[RESULTS]\r\nRegisterShopEx=") + pszResult + "\r\n");
        }
        m_pAgent = std::make_unique<CNubeqDllMngr>();
        m_pDlg = std::make_unique<Dlg>("", "", 0x3C, MakeNubeqRegisterShopAgent(*m_pAgent));
        m_pDlg->show();
    }
    void TearDown() override
    {
        m_pDlg.reset();
        m_pAgent.reset();
    }
    void Type(const char* pszDigits)
    {
        for (const char* p = pszDigits; *p != '\0'; ++p) {
            const int nId = *p == '0' ? Dlg::IDC_KEY_0 : Dlg::IDC_KEY_1 + (*p - '1');
            QTest::mouseClick(m_pDlg->Button(nId), Qt::LeftButton);
        }
    }
    std::string Text(int nId)
    {
        std::string strText;
        m_pDlg->Edit(nId)->TextCp949(strText);
        return strText;
    }
    std::vector<std::string> Calls()
    {
        return testsupport::AgentJournalCalls(m_Folder.File("agent_journal.jsonl"));
    }
    // Every file under the folder, journal and log included, read whole.
    std::string AllFiles()
    {
        std::string strAll;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_Folder.Path())) {
            if (entry.is_regular_file() && entry.path().extension() != ".so") {
                strAll += testsupport::ReadWholeFile(entry.path().string());
            }
        }
        return strAll;
    }

    testsupport::CTempProgramFolder m_Folder;
    dialogtest::CBoxJournal m_Boxes{m_Folder.File("boxes.jsonl")};
    std::unique_ptr<CNubeqDllMngr> m_pAgent;
    std::unique_ptr<Dlg> m_pDlg;
};

// Keypad into the focused field (field 1000 when none is), backspace on
// whole characters, clear; a login with both fields in business number mode.
TEST_F(RegisterPosDialogTest, BusinessNumberLoginThroughTheKeypad)
{
    Open(ZELKOR_STUB_AGENT_LIB);
    m_pDlg->Button(Dlg::IDC_OK)->setFocus(); // a button cannot keep it
    Type("2208");
    EXPECT_EQ(Text(Dlg::IDC_EDIT_FIRST), "2208");
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_KEY_BACKSPACE), Qt::LeftButton);
    Type("162517");
    EXPECT_EQ(Text(Dlg::IDC_EDIT_FIRST), "220162517");
    m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->setFocus();
    m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->SetTextCp949(testsupport::Cp949FromUtf8(u8"가나"));
    m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->end(false);
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_KEY_BACKSPACE), Qt::LeftButton);
    EXPECT_EQ(Text(Dlg::IDC_EDIT_SECOND), testsupport::Cp949FromUtf8(u8"가"));
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_KEY_CLEAR), Qt::LeftButton);
    EXPECT_EQ(Text(Dlg::IDC_EDIT_SECOND), "");
    EXPECT_EQ(m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->echoMode(), QLineEdit::Normal);
    Type("77");

    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_OK), Qt::LeftButton);
    EXPECT_EQ(m_pDlg->result(), REGISTER_RESULT_BSNUM);
    EXPECT_TRUE(m_Boxes.Ids().empty());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetData registernumber=220162517",
                                                 "SetData posid=77", "SetData loginType=bsnum",
                                                 "SetData orgno=1", "SetData pos_type=install",
                                                 "SetData REQ_HANDLE=3C", "RegisterShopEx"}));
    const std::string strConfig = m_Folder.ReadFile("Config.ini");
    EXPECT_NE(strConfig.find("Nobizer=220162517\r\n"), std::string::npos) << strConfig;
    EXPECT_NE(strConfig.find("StoreId=77\r\n"), std::string::npos) << strConfig;
    EXPECT_NE(strConfig.find("TYPE=bsnum\r\n"), std::string::npos) << strConfig;
    EXPECT_NE(strConfig.find("LastNo=1\r\n"), std::string::npos) << strConfig;
}

// The business number and store id given to the dialog are shown with the
// caret behind the first one and nothing selected: the first key touched
// adds to the number instead of replacing it.
TEST_F(RegisterPosDialogTest, GivenTextIsNotSelectedAndTheFirstKeyAppends)
{
    Dlg dlg("2208162517", "ST1", 0x2A);
    dlg.show();
    QApplication::processEvents();
    CFlatEdit* pFirst = dlg.Edit(Dlg::IDC_EDIT_FIRST);
    EXPECT_EQ(QApplication::focusWidget(), pFirst);
    EXPECT_FALSE(pFirst->hasSelectedText()) << pFirst->selectedText().toStdString();
    EXPECT_FALSE(dlg.Edit(Dlg::IDC_EDIT_SECOND)->hasSelectedText());
    EXPECT_EQ(pFirst->cursorPosition(), 10);
    QTest::mouseClick(dlg.Button(Dlg::IDC_KEY_1 + 2), Qt::LeftButton);
    std::string strText;
    ASSERT_TRUE(pFirst->TextCp949(strText));
    EXPECT_EQ(strText, "22081625173");
}

// The twelve keypad keys always show their grey look, pressed or not; the
// other buttons their picture as it is.
TEST_F(RegisterPosDialogTest, KeypadIsGrey)
{
    Open(ZELKOR_STUB_AGENT_LIB);
    const int aKeys[] = {Dlg::IDC_KEY_1, Dlg::IDC_KEY_1 + 8, Dlg::IDC_KEY_0, Dlg::IDC_KEY_CLEAR,
                         Dlg::IDC_KEY_BACKSPACE};
    for (int nId : aKeys) {
        CPictureButton* pKey = m_pDlg->Button(nId);
        EXPECT_TRUE(pKey->IsAlwaysGray()) << nId;
        pKey->setDown(true);
        EXPECT_EQ(pKey->CurrentLook(), CPictureButton::ELook::Gray) << nId;
        pKey->setDown(false);
        const QImage shown = pKey->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage grey =
            pKey->Look(CPictureButton::ELook::Gray).convertToFormat(QImage::Format_ARGB32);
        const QPoint middle(shown.width() / 2, shown.height() / 2);
        EXPECT_EQ(qRed(shown.pixel(middle)), qGreen(shown.pixel(middle))) << nId;
        EXPECT_EQ(shown.pixel(middle), grey.pixel(middle)) << nId;
    }
    for (int nId : {Dlg::IDC_OK, Dlg::IDC_CANCEL, Dlg::IDC_MODE_BSNUM, Dlg::IDC_UNINSTALL}) {
        EXPECT_FALSE(m_pDlg->Button(nId)->IsAlwaysGray()) << nId;
    }
}

// Store-manager mode: fields emptied, the password masked, the recovery
// buttons shown; the password reaches the library and no file.
TEST_F(RegisterPosDialogTest, StoreManagerPasswordIsMaskedAndNeverStored)
{
    Open(ZELKOR_STUB_AGENT_LIB);
    Type("123");
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_MODE_ADMIN), Qt::LeftButton);
    EXPECT_EQ(m_pDlg->LoginType(), LOGIN_TYPE_ADMIN);
    EXPECT_EQ(Text(Dlg::IDC_EDIT_FIRST), "");
    EXPECT_TRUE(m_pDlg->Button(Dlg::IDC_FIND_ID)->isVisible());
    EXPECT_EQ(m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->echoMode(), QLineEdit::Password);
    m_pDlg->Edit(Dlg::IDC_EDIT_FIRST)->setText(QStringLiteral("chef"));
    m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->setText(QStringLiteral("Pw-4417x"));
    QTest::keyClick(m_pDlg->Edit(Dlg::IDC_EDIT_SECOND), Qt::Key_Return);
    EXPECT_EQ(m_pDlg->result(), REGISTER_RESULT_ADMIN);
    const std::vector<std::string> vCalls = Calls();
    ASSERT_EQ(vCalls.size(), 7u);
    EXPECT_EQ(vCalls[0], "SetData userid=chef");
    EXPECT_EQ(vCalls[1], "SetData userpw=****");
    const std::string strConfig = m_Folder.ReadFile("Config.ini");
    EXPECT_NE(strConfig.find("userId=chef\r\nTYPE=admin\r\n"), std::string::npos) << strConfig;
    EXPECT_NE(strConfig.find("StoreId=OLD\r\n"), std::string::npos) << strConfig;
    EXPECT_EQ(strConfig.find("Nobizer"), std::string::npos) << strConfig;
    EXPECT_EQ(AllFiles().find("Pw-4417x"), std::string::npos);

    // Back to business number mode: emptied, not masked.
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_MODE_BSNUM), Qt::LeftButton);
    EXPECT_EQ(m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Text(Dlg::IDC_EDIT_SECOND), "");
    EXPECT_FALSE(m_pDlg->Button(Dlg::IDC_FIND_ID)->isVisible());
}

// Each failed result keeps the dialog open with its box; an empty field
// gives 127 without a call; a library without the export gives 126.
TEST_F(RegisterPosDialogTest, ResultsAndTheirBoxes)
{
    struct Case
    {
        const char* pszLibrary;
        const char* pszResult;
        int nBox;
    };
    const Case cases[] = {
        {ZELKOR_STUB_AGENT_LIB, "-1", 105},
        {ZELKOR_STUB_AGENT_LIB, "-2", 122},
        {ZELKOR_STUB_AGENT_LIB, "0", 123},
        {ZELKOR_STUB_AGENT_LIB_WITHOUT_REGISTER_SHOP_EX, "1", 126},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nBox);
        std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
        std::filesystem::remove(m_Folder.File("boxes.jsonl"));
        Open(c.pszLibrary, c.pszResult);
        m_pDlg->Edit(Dlg::IDC_EDIT_FIRST)->setText(QStringLiteral("1"));
        m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->setText(QStringLiteral("2"));
        m_pDlg->LoginZelkor();
        EXPECT_EQ(m_Boxes.Ids(), std::vector<int>{c.nBox});
        EXPECT_TRUE(m_pDlg->isVisible());
        EXPECT_EQ(Calls().size(), c.nBox == 126 ? 0u : 7u);
        EXPECT_EQ(m_Folder.ReadFile("Config.ini"),
                  "[POS]\r\nStoreId=OLD\r\n[ORDER]\r\nLastNo=33\r\n");
    }
    // Silent renewal: nothing shown, -1.
    std::filesystem::remove(m_Folder.File("boxes.jsonl"));
    Open(ZELKOR_STUB_AGENT_LIB, "-2");
    EXPECT_EQ(m_pDlg->RunRegisterShop("1", "2", 0), -1);
    EXPECT_TRUE(m_Boxes.Ids().empty());

    std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
    m_pDlg->Edit(Dlg::IDC_EDIT_FIRST)->setText(QStringLiteral("1"));
    m_pDlg->Edit(Dlg::IDC_EDIT_SECOND)->clear();
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_OK), Qt::LeftButton);
    EXPECT_EQ(m_Boxes.Ids(), std::vector<int>{127});
    EXPECT_TRUE(Calls().empty());
}

// A fake whose registration presses Enter again (a second touch while
// the first login runs): one registration only.
class CReentrantAgent : public IRegisterShopAgent
{
public:
    bool IsLoaded() override { return true; }
    bool HasRegisterShopEx() override { return true; }
    int SetData(const std::string&, const std::string&) override { return 1; }
    int RegisterShopEx() override
    {
        ++m_nCalls;
        if (m_pDlg != nullptr) {
            m_bRunningSeen = m_pDlg->IsLoginRunning();
            m_pDlg->LoginZelkor();
        }
        return -2;
    }
    Dlg* m_pDlg = nullptr;
    int m_nCalls = 0;
    bool m_bRunningSeen = false;
};

TEST_F(RegisterPosDialogTest, SecondLoginWhileOneRunsIsRefused)
{
    auto pAgent = std::make_unique<CReentrantAgent>();
    CReentrantAgent* pFake = pAgent.get();
    Dlg dlg("123", "45", 1, std::move(pAgent));
    pFake->m_pDlg = &dlg;
    std::string strFirst;
    dlg.Edit(Dlg::IDC_EDIT_FIRST)->TextCp949(strFirst);
    EXPECT_EQ(strFirst, "123");
    dlg.LoginZelkor();
    EXPECT_EQ(pFake->m_nCalls, 1);
    EXPECT_TRUE(pFake->m_bRunningSeen);
    EXPECT_FALSE(dlg.IsLoginRunning());
    EXPECT_EQ(m_Boxes.Ids(), std::vector<int>{122});
    EXPECT_NE(m_Folder.ReadCurrentLog().find("m_bProcessLogin : 1 return."), std::string::npos);
}

// No uninstaller in the folder: 107 after the question, and the dialog
// ends with 2.
TEST_F(RegisterPosDialogTest, UninstallWithoutUninstaller)
{
    Open(ZELKOR_STUB_AGENT_LIB);
    QTest::mouseClick(m_pDlg->Button(Dlg::IDC_UNINSTALL), Qt::LeftButton);
    EXPECT_EQ(m_Boxes.Ids(), (std::vector<int>{106, 107}));
    EXPECT_EQ(m_pDlg->result(), REGISTER_RESULT_CANCEL);
}

} // namespace
