// Process tests and start against real processes; the message box thread.
#include "foundation/message_box.h"
#include "foundation/process_util.h"
#include "platform/process_list.h"
#include "tests/support/program_folder.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

// Polls until fnDone is true or about nSeconds have passed.
template <typename TFn>
bool WaitFor(TFn fnDone, int nSeconds = 10)
{
    for (int i = 0; i < nSeconds * 100; ++i) {
        if (fnDone()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fnDone();
}

TEST(ProcessUtilTest, InvalidNamesAreLogged)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    EXPECT_EQ(IsProcessRunning(nullptr), -2);
    EXPECT_EQ(IsProcessRunning(""), -2);
    std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[INFO ] [IsProcessRunning] Input Param NULL"), std::string::npos);
    EXPECT_NE(strLog.find("[INFO ] [IsProcessRunning] Input Param Empty"), std::string::npos);
}

TEST(ProcessUtilTest, FindsAStartedProgramUnderItsWindowsName)
{
    // A link to sleep in the program folder under a name of this run only
    // (tests of other runs may start their own agents): the process's short
    // name is the link's name, its executable file is sleep.
    testsupport::CTempProgramFolder folder;
    std::string strName = "Nubeq" + std::to_string(::getpid());
    std::string strUpper = "NUBEQ" + std::to_string(::getpid());
    std::filesystem::create_symlink("/bin/sleep", folder.File(strName));
    EXPECT_EQ(IsProcessRunning((strName + ".exe").c_str()), 0);

    unsigned long nError = 0;
    ASSERT_TRUE(RunProcess((strName + ".exe").c_str(), "30", &nError, 0, 1000));
    struct SCase
    {
        std::string strName;
        int nExpected;
    } cases[] = {
        {strName + ".exe", 1},     {strUpper + ".EXE", 1},    {strUpper, 1},
        {"SLEEP.exe", 1},          {strName + "_LOG.exe", 0}, {strName.substr(0, 6), 0},
        {strName + ".exe.exe", 0},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(IsProcessRunning(c.strName.c_str()), c.nExpected) << c.strName;
    }

    // Ended (and reaped in the background): no longer found.
    std::vector<platform::SProcessEntry> vProcesses;
    ASSERT_TRUE(platform::ListProcesses(vProcesses));
    for (const platform::SProcessEntry& entry : vProcesses) {
        if (entry.strShortName == strName) {
            ::kill(entry.nPid, SIGTERM);
        }
    }
    EXPECT_TRUE(WaitFor([&] { return IsProcessRunning((strName + ".exe").c_str()) == 0; }));
}

TEST(ProcessUtilTest, RunProcessStartsInTheProgramFolderWithSplitArguments)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("dump", "#!/bin/sh\n"
                             "for a in \"$@\"; do printf '%s|' \"$a\"; done > args.tmp\n"
                             "pwd > cwd.txt\n"
                             "mv args.tmp args.txt\n");
    std::filesystem::permissions(folder.File("dump"), std::filesystem::perms::owner_all);
    unsigned long nError = 99;
    ASSERT_TRUE(RunProcess("dump.exe", "one \"two words\" th\\\"ree", &nError, 0, 1000));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(folder.File("args.txt")); }));
    EXPECT_EQ(folder.ReadFile("args.txt"), "one|two words|th\"ree|");
    EXPECT_EQ(folder.ReadFile("cwd.txt"),
              std::filesystem::canonical(folder.Path()).string() + "\n");
}

TEST(ProcessUtilTest, RunProcessFailureGivesTheError)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    folder.WriteFile("noexec", "data");
    struct SCase
    {
        const char* pszName;
        unsigned long nError;
    } cases[] = {{"missing.exe", ENOENT}, {"noexec", EACCES}};
    for (const SCase& c : cases) {
        unsigned long nError = 0;
        EXPECT_FALSE(RunProcess(c.pszName, "", &nError, 0, 1000)) << c.pszName;
        EXPECT_EQ(nError, c.nError) << c.pszName;
    }
    EXPECT_FALSE(RunProcess("missing.exe", "", nullptr, 0, 1000));
    EXPECT_NE(folder.ReadCurrentLog().find("[RunProcess] CreateProcess [\"" + folder.Path() +
                                           "/missing\" ] Fail... LastError [0x00000002]"),
              std::string::npos);
}

TEST(ProcessUtilTest, SplitCommandLine)
{
    struct SCase
    {
        const char* pszLine;
        std::vector<std::string> vExpected;
    } cases[] = {
        {"", {}},
        {"  a   b  ", {"a", "b"}},
        {"\"C:\\Program Files\\x\" -d", {"C:\\Program Files\\x", "-d"}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"\"\"", {""}},
        {"a\\b", {"a\\b"}},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.pszLine), c.vExpected) << c.pszLine;
    }
}

// Records the one box shown and tells the waiting test.
class CRecordingPresenter : public IMessageBoxPresenter
{
public:
    int Present(const SMessageBox& box) override
    {
        std::lock_guard<std::mutex> guard(lock);
        shown = box;
        bShown = true;
        changed.notify_all();
        return IDOK;
    }

    std::mutex lock;
    std::condition_variable changed;
    bool bShown = false;
    SMessageBox shown;
};

TEST(ProcessUtilTest, MessageBoxRunsOnItsOwnThread)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    EXPECT_EQ(ShowMessageBoxAsync(nullptr, nullptr), 6);

    auto pPresenter = std::make_shared<CRecordingPresenter>();
    SetMessageBoxPresenter(pPresenter);
    // 11 bytes and 200 two-byte characters: cut to 259 bytes, the last
    // whole character included, none split.
    std::string strLong;
    std::string strExpected = "연결 실패\r\n";
    for (int i = 0; i < 200; ++i) {
        strLong += "가";
        if (i < 124) {
            strExpected += "가";
        }
    }
    ASSERT_EQ(ShowMessageBoxAsync(nullptr, ("연결 실패\r\n" + strLong).c_str(), 110), 0);
    {
        std::unique_lock<std::mutex> guard(pPresenter->lock);
        ASSERT_TRUE(pPresenter->changed.wait_for(guard, std::chrono::seconds(10),
                                                 [&] { return pPresenter->bShown; }));
        EXPECT_EQ(pPresenter->shown.strCaption, "Zelkor");
        EXPECT_EQ(pPresenter->shown.strText, strExpected);
        EXPECT_EQ(pPresenter->shown.nStringId, 110);
        EXPECT_EQ(pPresenter->shown.nType, MB_OK | MB_ICONWARNING);
    }
    SetMessageBoxPresenter(nullptr);

    // Without a presenter the box is only logged.
    ASSERT_EQ(ShowMessageBoxAsync(nullptr, "A\r\nB"), 0);
    ASSERT_TRUE(WaitFor([&] {
        return folder.ReadCurrentLog().find(
                   "[INFO ] [ThreadShowMessageBoxFunction] MessageBox : A B\r\n") !=
               std::string::npos;
    }));
}

} // namespace
