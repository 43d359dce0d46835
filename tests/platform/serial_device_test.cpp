// Serial device: the COM/LPT device map, exclusive open, settings saved
// and restored, bounded writes, events, cancel.
#include "platform/serial_device.h"
#include "tests/support/program_folder.h"
#include "tests/support/pty_pair.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::CSerialDevice;

TEST(SerialDeviceMapTest, NamesResolveThroughTheMap)
{
    testsupport::CTempProgramFolder folder; // no dosdevices overrides
    struct Case
    {
        const char* pszName;
        const char* pszPath;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"com32", "/dev/ttyS31"},
        {"COM33", "/dev/ttyUSB0"},
        {"COM64", "/dev/ttyUSB31"},
        {"COM65", "/dev/ttyACM0"},
        {"COM96", "/dev/ttyACM31"},
        {"COM97", ""},
        {"COM0", ""},
        {"//./COM5", "/dev/ttyS4"},
        {"\\\\.\\COM5", "/dev/ttyS4"},
        {"LPT1", "/dev/lp0"},
        {"lpt2", "/dev/lp1"},
        {"/dev/ttyXYZ", "/dev/ttyXYZ"},
        {"COMX", "COMX"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::ResolveSerialDevicePath(c.pszName), c.pszPath) << c.pszName;
    }
}

TEST(SerialDeviceMapTest, ProgramFolderSymlinkOverridesOneName)
{
    testsupport::CTempProgramFolder folder;
    testsupport::CPtyPair pty;
    pty.LinkAs(folder.Path(), "com3");
    EXPECT_EQ(platform::ResolveSerialDevicePath("//./COM3"), folder.File("dosdevices/com3"));
    EXPECT_EQ(platform::ResolveSerialDevicePath("COM4"), "/dev/ttyS3");
}

// The list shows what exists: a dosdevices link to a pty whatever its
// number, not a link to nothing, not a ttyS without a UART behind it.
TEST(SerialDeviceMapTest, ListHasExistingDevicesOnly)
{
    testsupport::CTempProgramFolder folder;
    testsupport::CPtyPair pty;
    pty.LinkAs(folder.Path(), "com7");
    pty.LinkAs(folder.Path(), "com120");
    std::filesystem::create_symlink(folder.File("nothing"), folder.File("dosdevices/com9"));
    const std::vector<std::string> vNames = platform::ListSerialPortNames();
    auto has = [&](const char* pszName) {
        return std::find(vNames.begin(), vNames.end(), pszName) != vNames.end();
    };
    EXPECT_TRUE(has("COM7"));
    EXPECT_TRUE(has("COM120"));
    EXPECT_FALSE(has("COM9"));
    EXPECT_LT(std::find(vNames.begin(), vNames.end(), "COM7"),
              std::find(vNames.begin(), vNames.end(), "COM120"));
    for (int i = 0; i < 32; ++i) {
        const std::string strType = "/sys/class/tty/ttyS" + std::to_string(i) + "/type";
        std::ifstream type(strType);
        int nType = -1;
        if (type >> nType && nType == 0) {
            EXPECT_FALSE(has(("COM" + std::to_string(i + 1)).c_str())) << strType;
        }
    }
    for (int nRate : {9600, 19200, 38400, 57600, 115200}) {
        EXPECT_TRUE(platform::IsSupportedBaudRate(nRate)) << nRate;
    }
    for (int nRate : {0, 14400, 128000, 256000}) {
        EXPECT_FALSE(platform::IsSupportedBaudRate(nRate)) << nRate;
    }
}

class SerialDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { m_Pty.LinkAs(m_Folder.Path(), "com3"); }
    testsupport::CTempProgramFolder m_Folder;
    testsupport::CPtyPair m_Pty;
};

TEST_F(SerialDeviceTest, OpenErrorsTellMissingFromBusy)
{
    std::filesystem::create_symlink(m_Folder.File("gone"), m_Folder.File("dosdevices/com9"));
    CSerialDevice missing;
    EXPECT_EQ(missing.Open("COM9"), platform::SERIAL_ERROR_NO_SUCH_DEVICE);
    EXPECT_FALSE(missing.IsOpen());

    CSerialDevice first;
    ASSERT_EQ(first.Open("COM3"), 0);
    CSerialDevice second;
    EXPECT_EQ(second.Open("COM3"), platform::SERIAL_ERROR_BUSY);
    first.Close();
    EXPECT_EQ(second.Open("COM3"), 0);
}

TEST_F(SerialDeviceTest, LineSettingsAreRestoredOnClose)
{
    termios before;
    ASSERT_EQ(tcgetattr(m_Pty.MasterFd(), &before), 0);
    {
        CSerialDevice device;
        ASSERT_EQ(device.Open("COM3"), 0);
        ASSERT_EQ(device.SaveSettings(), 0);
        ASSERT_EQ(device.SetLine8N1(1200), 0);
        EXPECT_EQ(device.SetLine8N1(12345), EINVAL);
        termios during;
        ASSERT_EQ(tcgetattr(m_Pty.MasterFd(), &during), 0);
        EXPECT_EQ(cfgetospeed(&during), B1200);
        EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(during.c_cflag & (PARENB | CSTOPB), 0u);
        EXPECT_EQ(device.Close(), 0);
    }
    termios after;
    ASSERT_EQ(tcgetattr(m_Pty.MasterFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
}

TEST_F(SerialDeviceTest, WritesReadsAndEvents)
{
    CSerialDevice device;
    ASSERT_EQ(device.Open("COM3"), 0);
    ASSERT_EQ(device.SetLine8N1(9600), 0);
    size_t nWritten = 0;
    bool bPending = true;
    ASSERT_EQ(device.Write("\x1B\x40"
                           "AB",
                           4, 1000, nWritten, bPending),
              0);
    EXPECT_EQ(nWritten, 4u);
    EXPECT_FALSE(bPending);
    EXPECT_EQ(device.WaitTransmitted(1000), 0);
    unsigned nEvents = 0;
    ASSERT_EQ(device.WaitEvent(1000, nEvents), 0);
    EXPECT_TRUE(nEvents & platform::SERIAL_EVENT_TXEMPTY);
    EXPECT_EQ(m_Pty.Read(4, 2000), "\x1B\x40"
                                   "AB");

    m_Pty.Write("\x10\x04");
    nEvents = 0;
    for (int i = 0; i < 20 && !(nEvents & platform::SERIAL_EVENT_RXCHAR); ++i) {
        ASSERT_EQ(device.WaitEvent(100, nEvents), 0);
    }
    EXPECT_TRUE(nEvents & platform::SERIAL_EVENT_RXCHAR);
    char buffer[16] = {};
    size_t nRead = 0;
    EXPECT_EQ(device.Read(buffer, sizeof(buffer), nRead), 0);
    EXPECT_EQ(std::string(buffer, nRead), "\x10\x04");
    EXPECT_EQ(device.Read(buffer, sizeof(buffer), nRead), 0);
    EXPECT_EQ(nRead, 0u);
}

TEST_F(SerialDeviceTest, CancelWakesAWaitingThread)
{
    CSerialDevice device;
    ASSERT_EQ(device.Open("COM3"), 0);
    int nResult = 0;
    std::thread waiter([&] {
        unsigned nEvents = 0;
        do {
            nResult = device.WaitEvent(100, nEvents);
        } while (nResult == 0);
    });
    usleep(50000);
    device.Cancel();
    waiter.join();
    EXPECT_EQ(nResult, platform::SERIAL_ERROR_CANCELLED);
}

TEST_F(SerialDeviceTest, WriteToAFullLineGivesUpAtItsDeadline)
{
    // The printer side never reads: the pty fills and the write times out.
    CSerialDevice device;
    ASSERT_EQ(device.Open("COM3"), 0);
    std::string strBlock(65536, 'x');
    int nResult = 0;
    size_t nTotal = 0;
    for (int i = 0; i < 64 && nResult == 0; ++i) {
        size_t nWritten = 0;
        bool bPending = false;
        nResult = device.Write(strBlock.data(), strBlock.size(), 200, nWritten, bPending);
        nTotal += nWritten;
    }
    EXPECT_EQ(nResult, platform::SERIAL_ERROR_TIMEOUT);
    EXPECT_GT(nTotal, 0u);
}

} // namespace
