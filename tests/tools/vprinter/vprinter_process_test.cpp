// The real zelkor-vprinter process: a receipt over a TCP socket and over a
// pseudo-terminal lands as text, bytes and picture; the stop signal writes a
// receipt in progress; the fault modes misbehave as asked.
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <QImage>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Utf8(const std::u8string& str)
{
    return std::string(str.begin(), str.end());
}

// A job as the printer command layer sends it: init, a big centred title,
// a plain line, an emphasized right-aligned line, feeds, cut, end of job.
std::string SampleJob()
{
    return "\x1B@" +
           std::string("\x1B!\x30\x1B"
                       "a\x01") +
           testsupport::Cp949FromUtf8(u8"주문서") + "\r\n" +
           std::string("\x1B!\x00\x1B"
                       "a\x00",
                       6) +
           testsupport::Cp949FromUtf8(u8"아메리카노 x2   8,000원") + "\r\n" +
           std::string("\x1B!\x08\x1B"
                       "a\x02") +
           "TOTAL 8,000\r\n\r\n\r\n\x1Bi\x1B@";
}

const std::u8string kSampleText = u8"C|{HW}주문서{/}|\n"
                                  u8"L|아메리카노 x2   8,000원|\n"
                                  u8"R|{B}TOTAL 8,000{/}|\n"
                                  u8"R||\n"
                                  u8"R||\n"
                                  u8"-- cut 1B 69\n";

// A fresh output folder per test under the build tree, left in place so a
// developer can look at the pictures.
std::string OutFolder()
{
    const std::string strPath = std::string(ZELKOR_VPRINTER_TEST_OUT) + "/" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(strPath);
    fs::create_directories(strPath);
    return strPath;
}

bool WaitForFile(const std::string& strPath, int nSeconds = 10)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(nSeconds);
    while (!fs::exists(strPath)) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class CVprinterProcess
{
public:
    explicit CVprinterProcess(const std::vector<std::string>& vecArgs)
    {
        int nPipe[2];
        if (pipe(nPipe) != 0) {
            return;
        }
        m_nPid = fork();
        if (m_nPid == 0) {
            dup2(nPipe[1], STDOUT_FILENO);
            close(nPipe[0]);
            close(nPipe[1]);
            std::vector<char*> vecArgv;
            vecArgv.push_back(const_cast<char*>(ZELKOR_VPRINTER_EXE));
            for (const std::string& strArg : vecArgs) {
                vecArgv.push_back(const_cast<char*>(strArg.c_str()));
            }
            vecArgv.push_back(nullptr);
            execv(ZELKOR_VPRINTER_EXE, vecArgv.data());
            _exit(127);
        }
        close(nPipe[1]);
        m_nOut = nPipe[0];
    }

    ~CVprinterProcess()
    {
        if (m_nPid > 0 && !m_bExited) {
            kill(m_nPid, SIGKILL);
            waitpid(m_nPid, nullptr, 0);
        }
        if (m_nOut >= 0) {
            close(m_nOut);
        }
    }

    // The first line of its stdout: the bound address or the slave's path.
    std::string FirstLine()
    {
        std::string strLine;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            pollfd fd = {m_nOut, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0) {
                continue;
            }
            char c;
            if (read(m_nOut, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return strLine;
            }
            strLine += c;
        }
        return "";
    }

    // Its exit status, or -1 when it did not exit in time.
    int WaitExit(int nSeconds = 10)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(nSeconds);
        while (Clock::now() < deadline) {
            int nStatus = 0;
            if (waitpid(m_nPid, &nStatus, WNOHANG) == m_nPid) {
                m_bExited = true;
                return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    int Stop()
    {
        kill(m_nPid, SIGTERM);
        return WaitExit();
    }

private:
    pid_t m_nPid = -1;
    int m_nOut = -1;
    bool m_bExited = false;
};

// A connected socket to "127.0.0.1:PORT", or -1 with errno set.
int Connect(const std::string& strAddress)
{
    const size_t nColon = strAddress.rfind(':');
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(std::stoi(strAddress.substr(nColon + 1))));
    inet_pton(AF_INET, strAddress.substr(0, nColon).c_str(), &addr.sin_addr);
    const int nFd = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(nFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        const int nErr = errno;
        close(nFd);
        errno = nErr;
        return -1;
    }
    return nFd;
}

bool SendAll(int nFd, const std::string& strData)
{
    size_t nSent = 0;
    while (nSent < strData.size()) {
        const ssize_t n = send(nFd, strData.data() + nSent, strData.size() - nSent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        nSent += static_cast<size_t>(n);
    }
    return true;
}

std::string ReadFile(const std::string& strPath)
{
    return testsupport::ReadWholeFile(strPath);
}

void ExpectSampleReceipt(const std::string& strOut, bool bPng)
{
    const std::string strJob = SampleJob();
    ASSERT_TRUE(WaitForFile(strOut + "/receipt-001.txt"));
    EXPECT_EQ(ReadFile(strOut + "/receipt-001.txt"), Utf8(kSampleText));
    // The receipt's bytes run up to its cut; the trailing ESC @ printed nothing.
    EXPECT_EQ(ReadFile(strOut + "/receipt-001.bin"), strJob.substr(0, strJob.size() - 2));
    if (bPng) {
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(strOut + "/receipt-001.png"), "PNG"));
        EXPECT_EQ(image.width(), 42 * 12 + 32);
        EXPECT_GT(image.height(), 5 * 30);
    }
}

TEST(VprinterProcess, ReceiptOverTcpIsWrittenAsTextBytesAndPicture)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--out", strOut, "--png", "--count", "1"});
    const std::string strAddress = printer.FirstLine();
    ASSERT_EQ(strAddress.rfind("127.0.0.1:", 0), 0u) << strAddress;
    const int nFd = Connect(strAddress);
    ASSERT_GE(nFd, 0) << std::strerror(errno);
    // In two pieces split inside an escape sequence, as a network may deliver it.
    const std::string strJob = SampleJob();
    ASSERT_TRUE(SendAll(nFd, strJob.substr(0, 13)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(SendAll(nFd, strJob.substr(13)));
    close(nFd);
    EXPECT_EQ(printer.WaitExit(), 0); // --count 1
    ExpectSampleReceipt(strOut, true);
    EXPECT_EQ(ReadFile(strOut + "/connection-001.bin"), strJob);
    EXPECT_FALSE(fs::exists(strOut + "/receipt-002-uncut.txt"));
}

TEST(VprinterProcess, ReceiptOverAPseudoTerminal)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer({"--pty", "--out", strOut, "--png", "--count", "1"});
    const std::string strSlave = printer.FirstLine();
    ASSERT_EQ(strSlave.rfind("/dev/pts/", 0), 0u) << strSlave;
    const int nFd = open(strSlave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(nFd, 0) << std::strerror(errno);
    const std::string strJob = SampleJob();
    ASSERT_EQ(write(nFd, strJob.data(), strJob.size()), static_cast<ssize_t>(strJob.size()));
    tcdrain(nFd);
    close(nFd); // the last close ends the job
    EXPECT_EQ(printer.WaitExit(), 0);
    ExpectSampleReceipt(strOut, true);
}

TEST(VprinterProcess, StopSignalWritesTheReceiptInProgress)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--out", strOut});
    const int nFd = Connect(printer.FirstLine());
    ASSERT_GE(nFd, 0);
    const std::string strHalf = "\x1B@half a rec";
    ASSERT_TRUE(SendAll(nFd, strHalf));
    ASSERT_TRUE(WaitForFile(strOut + "/connection-001.bin"));
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (fs::file_size(strOut + "/connection-001.bin") < strHalf.size() &&
           Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(printer.Stop(), 0);
    close(nFd);
    EXPECT_EQ(ReadFile(strOut + "/receipt-001-uncut.txt"),
              "L|half a rec|(no LF)\n-- no cut (data ended)\n");
}

TEST(VprinterProcess, CloseAfterDropsTheSenderMidJob)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer(
        {"--tcp", "127.0.0.1:0", "--out", strOut, "--fault", "close-after=10", "--count", "1"});
    const int nFd = Connect(printer.FirstLine());
    ASSERT_GE(nFd, 0);
    // The sender keeps writing; the printer's close shows as a failed send.
    bool bFailed = false;
    const std::string strChunk(1000, 'x');
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (!bFailed && Clock::now() < deadline) {
        bFailed = !SendAll(nFd, strChunk);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(bFailed);
    EXPECT_TRUE(errno == EPIPE || errno == ECONNRESET) << std::strerror(errno);
    close(nFd);
    EXPECT_EQ(printer.WaitExit(), 0);
    EXPECT_EQ(ReadFile(strOut + "/connection-001.bin"), std::string(10, 'x'));
}

TEST(VprinterProcess, FirstLimitsTheFaultsToTheFirstConnections)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--out", strOut, "--fault", "close-after=10",
                              "--fault", "first=1", "--count", "2"});
    const std::string strJob = std::string(100, 'y');
    const std::string strAddress = printer.FirstLine();
    for (int i = 0; i < 2; ++i) {
        const int nFd = Connect(strAddress);
        ASSERT_GE(nFd, 0);
        SendAll(nFd, strJob);
        if (i == 0) {
            // The dropped first connection: wait for the printer's side to end.
            char c = 0;
            const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
            while (recv(nFd, &c, 1, MSG_DONTWAIT) != 0 && errno != ECONNRESET &&
                   Clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        close(nFd);
    }
    EXPECT_EQ(printer.WaitExit(), 0);
    EXPECT_EQ(ReadFile(strOut + "/connection-001.bin"), std::string(10, 'y'));
    EXPECT_EQ(ReadFile(strOut + "/connection-002.bin"), strJob);
}

TEST(VprinterProcess, RefuseMakesConnectsFail)
{
    CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--fault", "refuse"});
    const std::string strAddress = printer.FirstLine();
    ASSERT_FALSE(strAddress.empty());
    EXPECT_LT(Connect(strAddress), 0);
    EXPECT_EQ(errno, ECONNREFUSED);
    EXPECT_EQ(printer.Stop(), 0);
}

TEST(VprinterProcess, RefuseOnAPseudoTerminalFailsOpens)
{
    CVprinterProcess printer({"--pty", "--fault", "refuse"});
    const std::string strSlave = printer.FirstLine();
    ASSERT_FALSE(strSlave.empty());
    const int nFd = open(strSlave.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_LT(nFd, 0);
    if (nFd >= 0) {
        close(nFd);
    }
    EXPECT_EQ(printer.Stop(), 0);
}

TEST(VprinterProcess, StatusByteAnswersData)
{
    CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--fault", "status=12"});
    const int nFd = Connect(printer.FirstLine());
    ASSERT_GE(nFd, 0);
    ASSERT_TRUE(SendAll(nFd, "\x1B@"));
    pollfd fd = {nFd, POLLIN, 0};
    ASSERT_EQ(poll(&fd, 1, 10000), 1);
    unsigned char c = 0;
    EXPECT_EQ(recv(nFd, &c, 1, 0), 1);
    EXPECT_EQ(c, 0x12);
    close(nFd);
    EXPECT_EQ(printer.Stop(), 0);
}

TEST(VprinterProcess, NoReadAndStallLeaveTheSenderBlocked)
{
    // A printer that reads nothing, or stops reading in the middle of a
    // job: it keeps the bytes it took, and the sender's buffers fill up.
    struct Case
    {
        const char* pszFault;
        size_t nRead;
    };
    const Case cases[] = {{"no-read", 0}, {"stall-after=1000", 1000}};
    for (const Case& c : cases) {
        const std::string strOut = OutFolder();
        CVprinterProcess printer({"--tcp", "127.0.0.1:0", "--out", strOut, "--fault", c.pszFault});
        const int nFd = Connect(printer.FirstLine());
        ASSERT_GE(nFd, 0);
        fcntl(nFd, F_SETFL, O_NONBLOCK);
        const std::string strChunk(65536, 'x');
        size_t nTotal = 0;
        int nError = 0;
        for (int nIdle = 0; nTotal < (64u << 20) && nIdle < 50;) {
            const ssize_t n = send(nFd, strChunk.data(), strChunk.size(), MSG_NOSIGNAL);
            if (n < 0) {
                nError = errno;
                ++nIdle; // give the reader its chance to take its part
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            nTotal += static_cast<size_t>(n);
        }
        EXPECT_EQ(nError, EAGAIN) << c.pszFault << ": the socket buffers filled up";
        EXPECT_LT(nTotal, 64u << 20) << c.pszFault;
        close(nFd);
        EXPECT_EQ(printer.Stop(), 0) << c.pszFault;
        EXPECT_EQ(ReadFile(strOut + "/connection-001.bin").size(), c.nRead) << c.pszFault;
    }
}

TEST(VprinterProcess, BaudPacesTheReading)
{
    const std::string strOut = OutFolder();
    CVprinterProcess printer(
        {"--tcp", "127.0.0.1:0", "--out", strOut, "--fault", "baud=9600", "--count", "1"});
    const int nFd = Connect(printer.FirstLine());
    ASSERT_GE(nFd, 0);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(SendAll(nFd, std::string(960, 'x') + "\r\n\x1Bi"));
    close(nFd);
    EXPECT_EQ(printer.WaitExit(30), 0);
    // About one second at 960 bytes a second; only a loose lower bound here.
    EXPECT_GT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(fs::exists(strOut + "/receipt-001.txt"));
}

TEST(VprinterProcess, HelpListsEveryOption)
{
    const std::string strOut = OutFolder();
    const std::string strHelp = strOut + "/help.txt";
    const std::string strCommand = std::string(ZELKOR_VPRINTER_EXE) + " --help > " + strHelp;
    ASSERT_EQ(std::system(strCommand.c_str()), 0);
    const std::string strText = ReadFile(strHelp);
    for (const char* pszOption :
         {"--tcp", "--pty", "--out", "--png", "--fault", "--count", "refuse", "no-read",
          "close-after=N", "stall-after=N", "status=HEX", "chatter=HEX", "baud=N", "slow=N",
          "first=N", "no-status", "paper-near-end", "paper-end", "paper-end-after=N"}) {
        EXPECT_NE(strText.find(pszOption), std::string::npos) << pszOption;
    }
}

} // namespace
