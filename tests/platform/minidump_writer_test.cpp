// The minidump of a live test process, read back field by field: the
// streams a debugger needs, the crashing thread's registers and stack, the
// other threads, and the modules with the build ids of their files.
#include "platform/minidump_writer.h"
#include "platform/signal_safe.h"
#include "tests/support/text_lines.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <ucontext.h>
#include <unistd.h>

namespace {

struct SLocation
{
    uint32_t nSize = 0;
    uint32_t nRva = 0;
};

// Just enough of a minidump reader for the checks below.
class CDumpReader
{
public:
    explicit CDumpReader(std::string strBytes) : m_strBytes(std::move(strBytes)) {}

    template <typename T>
    T At(uint64_t nOffset) const
    {
        T value{};
        if (nOffset + sizeof(T) <= m_strBytes.size()) {
            std::memcpy(&value, m_strBytes.data() + nOffset, sizeof(T));
        }
        return value;
    }
    SLocation LocationAt(uint64_t nOffset) const
    {
        return {At<uint32_t>(nOffset), At<uint32_t>(nOffset + 4)};
    }
    std::map<uint32_t, SLocation> Streams() const
    {
        std::map<uint32_t, SLocation> streams;
        const uint32_t nCount = At<uint32_t>(8);
        const uint32_t nDirectory = At<uint32_t>(12);
        for (uint32_t i = 0; i < nCount; ++i) {
            streams[At<uint32_t>(nDirectory + 12 * i)] = LocationAt(nDirectory + 12 * i + 4);
        }
        return streams;
    }
    // A string record: UTF-16, ASCII expected here.
    std::string StringAt(uint32_t nRva) const
    {
        std::string strText;
        const uint32_t nBytes = At<uint32_t>(nRva);
        for (uint32_t i = 0; i < nBytes; i += 2) {
            strText += static_cast<char>(At<uint16_t>(nRva + 4 + i));
        }
        return strText;
    }
    std::string Bytes(const SLocation& location) const
    {
        return m_strBytes.substr(location.nRva, location.nSize);
    }
    size_t Size() const { return m_strBytes.size(); }

private:
    std::string m_strBytes;
};

std::string ReadFile(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "Build ID: 1234abcd..." of readelf, as bytes.
std::string BuildIdOfFile(const std::string& strPath)
{
    std::string strOut = testsupport::CommandOutput("readelf -n '" + strPath + "' 2>/dev/null");
    size_t nAt = strOut.find("Build ID: ");
    std::string strId;
    for (size_t i = nAt + 10; nAt != std::string::npos && i + 1 < strOut.size() &&
                              std::isxdigit(static_cast<unsigned char>(strOut[i])) != 0;
         i += 2) {
        strId += static_cast<char>(std::stoi(strOut.substr(i, 2), nullptr, 16));
    }
    return strId;
}

constexpr uint32_t kThreadList = 3;
constexpr uint32_t kModuleList = 4;
constexpr uint32_t kMemoryList = 5;
constexpr uint32_t kException = 6;
constexpr uint32_t kSystemInfo = 7;
constexpr uint32_t kMiscInfo = 15;
constexpr uint32_t kLinuxProcStatus = 0x47670003;
constexpr uint32_t kLinuxMaps = 0x47670009;

TEST(MinidumpWriter, DumpOfThisProcessHasWhatADebuggerNeeds)
{
    // Another thread, listed without registers.
    std::atomic<bool> bStop{false};
    std::atomic<uint32_t> nOtherThread{0};
    std::thread other([&] {
        nOtherThread = platform::SafeGetThreadId();
        while (!bStop) {
            usleep(1000);
        }
    });
    while (nOtherThread == 0) {
        usleep(1000);
    }

    // A marker in this frame, which the dumped stack must hold.
    volatile uint64_t nMarker = 0x5a17c0de5a17c0deULL;
    ucontext_t context;
    ASSERT_EQ(getcontext(&context), 0);
    platform::SCrashSignal crash;
    crash.nSignal = SIGSEGV;
    crash.nCode = SEGV_MAPERR;
    crash.nAddress = 0x10;
    crash.nThreadId = platform::SafeGetThreadId();
    crash.pContext = &context;
    char szPath[] = "/tmp/zelkor-minidump-XXXXXX";
    int hFile = mkstemp(szPath);
    ASSERT_GE(hFile, 0);
    EXPECT_TRUE(platform::WriteMinidump(hFile, crash));
    close(hFile);
    bStop = true;
    other.join();
    CDumpReader dump(ReadFile(szPath));
    unlink(szPath);
    (void)nMarker;

    ASSERT_GT(dump.Size(), 32u);
    EXPECT_EQ(dump.At<uint32_t>(0), 0x504d444du); // "MDMP"
    EXPECT_EQ(dump.At<uint32_t>(4) & 0xffff, 0xa793u);
    std::map<uint32_t, SLocation> streams = dump.Streams();
    for (uint32_t nType : {kThreadList, kModuleList, kMemoryList, kException, kSystemInfo,
                           kMiscInfo, kLinuxProcStatus, kLinuxMaps}) {
        EXPECT_EQ(streams.count(nType), 1u) << std::hex << nType;
    }

    // System: x86-64 Linux; the process id.
    const uint32_t nSystem = streams[kSystemInfo].nRva;
    EXPECT_EQ(dump.At<uint16_t>(nSystem), 9u);
    EXPECT_EQ(dump.At<uint32_t>(nSystem + 20), 0x8201u);
    EXPECT_EQ(dump.StringAt(dump.At<uint32_t>(nSystem + 24)).rfind("Linux ", 0), 0u);
    EXPECT_EQ(dump.At<uint32_t>(streams[kMiscInfo].nRva + 8), static_cast<uint32_t>(getpid()));

    // The exception: thread, signal, code, address and the registers.
    const uint32_t nException = streams[kException].nRva;
    EXPECT_EQ(dump.At<uint32_t>(nException), crash.nThreadId);
    EXPECT_EQ(dump.At<uint32_t>(nException + 8), static_cast<uint32_t>(SIGSEGV));
    EXPECT_EQ(dump.At<uint32_t>(nException + 12), static_cast<uint32_t>(SEGV_MAPERR));
    EXPECT_EQ(dump.At<uint64_t>(nException + 24), 0x10u);
    SLocation registers = dump.LocationAt(nException + 160);
    ASSERT_EQ(registers.nSize, 1232u);
    const auto nRsp = static_cast<uint64_t>(context.uc_mcontext.gregs[REG_RSP]);
    EXPECT_EQ(dump.At<uint64_t>(registers.nRva + 0x98), nRsp);
    EXPECT_EQ(dump.At<uint64_t>(registers.nRva + 0xf8),
              static_cast<uint64_t>(context.uc_mcontext.gregs[REG_RIP]));
    EXPECT_EQ(dump.At<uint64_t>(registers.nRva + 0xa0),
              static_cast<uint64_t>(context.uc_mcontext.gregs[REG_RBP]));

    // Threads: this one with its stack and registers, the other without.
    const uint32_t nThreads = streams[kThreadList].nRva;
    const uint32_t nThreadCount = dump.At<uint32_t>(nThreads);
    bool bSawCrashed = false;
    bool bSawOther = false;
    for (uint32_t i = 0; i < nThreadCount; ++i) {
        const uint32_t nThread = nThreads + 4 + 48 * i;
        const uint32_t nId = dump.At<uint32_t>(nThread);
        if (nId == crash.nThreadId) {
            bSawCrashed = true;
            EXPECT_EQ(dump.LocationAt(nThread + 40).nRva, registers.nRva);
            const uint64_t nStart = dump.At<uint64_t>(nThread + 24);
            SLocation stack = dump.LocationAt(nThread + 32);
            EXPECT_LE(nStart, nRsp - 128);
            EXPECT_GT(nStart + stack.nSize, nRsp);
            EXPECT_LE(stack.nSize, platform::kDumpStackBytes);
            const uint64_t nMarkerValue = 0x5a17c0de5a17c0deULL;
            EXPECT_NE(dump.Bytes(stack).find(std::string(
                          reinterpret_cast<const char*>(&nMarkerValue), sizeof(nMarkerValue))),
                      std::string::npos);
            // The memory list holds the same stack.
            const uint32_t nMemory = streams[kMemoryList].nRva;
            ASSERT_EQ(dump.At<uint32_t>(nMemory), 1u);
            EXPECT_EQ(dump.At<uint64_t>(nMemory + 4), nStart);
            EXPECT_EQ(dump.LocationAt(nMemory + 12).nRva, stack.nRva);
        } else if (nId == nOtherThread) {
            bSawOther = true;
            EXPECT_EQ(dump.LocationAt(nThread + 32).nSize, 0u);
        }
    }
    EXPECT_TRUE(bSawCrashed);
    EXPECT_TRUE(bSawOther);

    // Modules: ELF images only, this executable with the build id of its file.
    char szExe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", szExe, sizeof(szExe) - 1), 0);
    const uint32_t nModules = streams[kModuleList].nRva;
    const uint32_t nModuleCount = dump.At<uint32_t>(nModules);
    EXPECT_GT(nModuleCount, 2u);
    bool bSawExe = false;
    for (uint32_t i = 0; i < nModuleCount; ++i) {
        const uint32_t nModule = nModules + 4 + 108 * i;
        const std::string strName = dump.StringAt(dump.At<uint32_t>(nModule + 20));
        char szMagic[4] = {};
        std::ifstream(strName, std::ios::binary).read(szMagic, sizeof(szMagic));
        EXPECT_EQ(std::string(szMagic, sizeof(szMagic)), "\x7f"
                                                         "ELF")
            << strName;
        if (strName != szExe) {
            continue;
        }
        bSawExe = true;
        SLocation cv = dump.LocationAt(nModule + 76);
        ASSERT_GT(cv.nSize, 4u);
        EXPECT_EQ(dump.At<uint32_t>(cv.nRva), 0x4270454cu); // "BpEL"
        std::string strBuildId = BuildIdOfFile(szExe);
        ASSERT_FALSE(strBuildId.empty());
        EXPECT_EQ(dump.Bytes(cv).substr(4), strBuildId);
        EXPECT_GT(dump.At<uint32_t>(nModule + 8), 0u);
    }
    EXPECT_TRUE(bSawExe);

    EXPECT_NE(dump.Bytes(streams[kLinuxMaps]).find(szExe), std::string::npos);
    EXPECT_NE(dump.Bytes(streams[kLinuxProcStatus]).find("Pid:"), std::string::npos);
}

} // namespace
