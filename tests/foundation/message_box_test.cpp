// The message box seam: the logged box, the journal presenter of tests and
// headless runs, and its choice by the environment.
#include "foundation/message_box.h"
#include "foundation/wait.h"
#include "tests/support/program_folder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> vLines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);) {
        vLines.push_back(strLine);
    }
    return vLines;
}

TEST(MessageBoxTest, LoggedBoxGoesToThePresenterWithTheCaption)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    const std::string strJournal = folder.File("boxes.jsonl");

    // No presenter: logged, answered 0 (not shown).
    SetMessageBoxPresenter(nullptr);
    EXPECT_EQ(ZelkorMessageBox("CTest::Box", 0, 112, "없음", MB_OK | MB_ICONWARNING), 0);

    SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(strJournal, {IDNO}));
    int nOwner = 0;
    EXPECT_EQ(ZelkorMessageBox("CTest::Ask", 2, 109, "Zelkor 프로그램을 종료하시겠습니까?",
                               MB_YESNO | MB_ICONINFORMATION | MB_TOPMOST, &nOwner),
              IDNO);
    // Scripted answers used up: the first button.
    EXPECT_EQ(ZelkorMessageBox("CTest::Ask", 2, 109, "다시", MB_YESNO), IDYES);
    EXPECT_EQ(ZelkorMessageBox("CTest::Box", 0, 110, "A\r\nB \"q\"", MB_OK | MB_ICONERROR), IDOK);
    SetMessageBoxPresenter(nullptr);

    std::vector<std::string> vLines = Lines(folder.ReadFile("boxes.jsonl"));
    ASSERT_EQ(vLines.size(), 3u);
    EXPECT_NE(vLines[0].find("\"id\":109,\"text\":\"Zelkor 프로그램을 종료하시겠습니까?\","
                             "\"caption\":\"Zelkor\",\"buttons\":\"YESNO\",\"icon\":"
                             "\"information\",\"topmost\":true,\"owner\":true,\"answer\":7}"),
              std::string::npos)
        << vLines[0];
    EXPECT_EQ(vLines[0].rfind("{\"pid\":" + std::to_string(getpid()) + ",\"ms\":", 0), 0u);
    EXPECT_NE(vLines[1].find("\"answer\":6}"), std::string::npos);
    EXPECT_NE(vLines[2].find("\"text\":\"A\\r\\nB \\\"q\\\"\""), std::string::npos) << vLines[2];
    EXPECT_NE(vLines[2].find("\"icon\":\"error\",\"topmost\":false,\"owner\":false,\"answer\":1"),
              std::string::npos);

    std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[ERROR] [CTest::Box] Messagebox : 없음\r\n"), std::string::npos);
    EXPECT_NE(strLog.find("[INFO ] [CTest::Ask] Messagebox : Zelkor 프로그램을 종료하시겠습니까?"),
              std::string::npos);
}

TEST(MessageBoxTest, EnvironmentChoosesTheJournalPresenter)
{
    testsupport::CTempProgramFolder folder;
    unsetenv("ZELKOR_MESSAGEBOX_JOURNAL");
    EXPECT_EQ(MessageBoxPresenterFromEnvironment(), nullptr);

    setenv("ZELKOR_MESSAGEBOX_JOURNAL", folder.File("boxes.jsonl").c_str(), 1);
    setenv("ZELKOR_MESSAGEBOX_ANSWERS", " 7, 2,x6", 1);
    std::shared_ptr<IMessageBoxPresenter> pPresenter = MessageBoxPresenterFromEnvironment();
    unsetenv("ZELKOR_MESSAGEBOX_JOURNAL");
    unsetenv("ZELKOR_MESSAGEBOX_ANSWERS");
    ASSERT_NE(pPresenter, nullptr);
    SMessageBox box;
    box.nType = MB_OKCANCEL;
    EXPECT_EQ(pPresenter->Present(box), 7);
    EXPECT_EQ(pPresenter->Present(box), 2);
    EXPECT_EQ(pPresenter->Present(box), 6);
    EXPECT_EQ(pPresenter->Present(box), IDOK);
    EXPECT_EQ(Lines(folder.ReadFile("boxes.jsonl")).size(), 4u);
}

int g_nPumps = 0;

void CountingPump(int nMaxWaitMs)
{
    ++g_nPumps;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(nMaxWaitMs, 5)));
}

// "ID@MS" keeps the box open before the answer, the thread's messages
// pumped meanwhile (a modal box lets the main window go on); a bad hold
// is no hold.
TEST(MessageBoxTest, HeldAnswerPumpsTheCallersMessages)
{
    testsupport::CTempProgramFolder folder;
    setenv("ZELKOR_MESSAGEBOX_JOURNAL", folder.File("boxes.jsonl").c_str(), 1);
    setenv("ZELKOR_MESSAGEBOX_ANSWERS", "7@60,6@,2@x,1", 1);
    std::shared_ptr<IMessageBoxPresenter> pPresenter = MessageBoxPresenterFromEnvironment();
    unsetenv("ZELKOR_MESSAGEBOX_JOURNAL");
    unsetenv("ZELKOR_MESSAGEBOX_ANSWERS");
    ASSERT_NE(pPresenter, nullptr);
    SetMessagePumpHook(&CountingPump);
    SMessageBox box;
    box.nType = MB_YESNO;
    g_nPumps = 0;
    EXPECT_EQ(pPresenter->Present(box), 7);
    EXPECT_GT(g_nPumps, 0);
    // The box was in the journal while it was held.
    EXPECT_EQ(Lines(folder.ReadFile("boxes.jsonl")).size(), 1u);
    g_nPumps = 0;
    EXPECT_EQ(pPresenter->Present(box), 6);
    EXPECT_EQ(pPresenter->Present(box), 2);
    EXPECT_EQ(pPresenter->Present(box), 1);
    EXPECT_EQ(pPresenter->Present(box), IDYES);
    EXPECT_EQ(g_nPumps, 0);
    SetMessagePumpHook(nullptr);
}

TEST(MessageBoxTest, LineBreaks)
{
    struct SCase
    {
        const char* pszText;
        const char* pszLines;
    } cases[] = {
        {"한 줄", "한 줄"},
        {"위\r\n아래", "위\n아래"},
        {"a\r\n\r\nb\r", "a\n\nb\n"},
        {"a\nb", "a\nb"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(MessageBoxLines(c.pszText), c.pszLines) << c.pszText;
    }
}

} // namespace
