// Throughput of the printer ports to local readers (TCP, pseudo-terminal,
// optionally a CUPS queue), and the time of a 2 KB job to a serial reader
// paced at 9600 baud against the line-rate time.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/serial_port.h"
#include "printing/socket_port.h"
#include "printing/usb_port.h"

#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

double NowSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// A TCP printer on 127.0.0.1 that reads and drops everything.
class CDrainListener
{
public:
    CDrainListener()
    {
        m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(m_hListen, 16);
        socklen_t nLength = sizeof(address);
        getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &nLength);
        m_nPort = ntohs(address.sin_port);
        m_Thread = std::thread([this] { Run(); });
    }
    ~CDrainListener()
    {
        m_bStop = true;
        m_Thread.join();
        ::close(m_hListen);
    }
    int Port() const { return m_nPort; }

private:
    void Run()
    {
        while (!m_bStop) {
            pollfd fd{m_hListen, POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0) {
                continue;
            }
            int hClient = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
            char buffer[65536];
            while (hClient >= 0 && ::recv(hClient, buffer, sizeof(buffer), 0) > 0) {
            }
            if (hClient >= 0) {
                ::close(hClient);
            }
        }
    }
    int m_hListen = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bStop{false};
    std::thread m_Thread;
};

// A pseudo-terminal whose master is read by a thread, at full speed or
// paced to a baud rate (10 bits a byte); ZELKOR_HOME/dosdevices/com3
// points at its slave.
class CPtyReader
{
public:
    explicit CPtyReader(int nBaudRate) : m_nBaudRate(nBaudRate)
    {
        char szTemplate[] = "/tmp/zelkor-bench-XXXXXX";
        m_strHome = mkdtemp(szTemplate);
        setenv("ZELKOR_HOME", m_strHome.c_str(), 1);
        m_hMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(m_hMaster);
        unlockpt(m_hMaster);
        char szSlave[128] = {};
        ptsname_r(m_hMaster, szSlave, sizeof(szSlave));
        m_hKeepSlave = ::open(szSlave, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio;
        tcgetattr(m_hKeepSlave, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_hKeepSlave, TCSANOW, &tio);
        std::filesystem::create_directories(m_strHome + "/dosdevices");
        std::filesystem::create_symlink(szSlave, m_strHome + "/dosdevices/com3");
        m_Thread = std::thread([this] { Run(); });
    }
    ~CPtyReader()
    {
        m_bStop = true;
        m_Thread.join();
        ::close(m_hKeepSlave);
        ::close(m_hMaster);
        std::error_code ec;
        std::filesystem::remove_all(m_strHome, ec);
        unsetenv("ZELKOR_HOME");
    }
    long long Received() const { return m_nReceived; }
    double LastByteAt() const { return m_dLastByte; }

private:
    void Run()
    {
        double dStart = 0;
        long long nPacedBase = 0;
        char buffer[65536];
        while (!m_bStop) {
            size_t nWant = sizeof(buffer);
            if (m_nBaudRate > 0 && dStart > 0) {
                // Bytes the line could have carried since the first byte.
                double dAllowed = (NowSeconds() - dStart) * m_nBaudRate / 10.0;
                long long nAllowed = static_cast<long long>(dAllowed) - (m_nReceived - nPacedBase);
                if (nAllowed <= 0) {
                    usleep(1000);
                    continue;
                }
                nWant = std::min<size_t>(nWant, static_cast<size_t>(nAllowed));
            } else if (m_nBaudRate > 0) {
                nWant = 1;
            }
            pollfd fd{m_hMaster, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0) {
                continue;
            }
            ssize_t n = ::read(m_hMaster, buffer, nWant);
            if (n > 0) {
                if (dStart == 0) {
                    dStart = NowSeconds();
                    nPacedBase = m_nReceived;
                }
                m_nReceived += n;
                m_dLastByte = NowSeconds();
            }
        }
    }
    int m_nBaudRate;
    std::string m_strHome;
    int m_hMaster = -1;
    int m_hKeepSlave = -1;
    std::atomic<bool> m_bStop{false};
    std::atomic<long long> m_nReceived{0};
    std::atomic<double> m_dLastByte{0};
    std::thread m_Thread;
};

const std::string& Block()
{
    static const std::string s_strBlock(CBasePort::MAX_BUFFERED, 'x');
    return s_strBlock;
}

// One job of state.range(0) KiB through a fresh network port per iteration.
void BM_SocketPortJob(benchmark::State& state)
{
    CDrainListener printer;
    const int nBlocks = static_cast<int>(state.range(0) * 1024 / CBasePort::MAX_BUFFERED) + 1;
    for (auto _ : state) {
        CSocketPort port("127.0.0.1", printer.Port());
        if (port.OpenPort() != 0 || port.InitializePort() != 0) {
            state.SkipWithError("connect failed");
            break;
        }
        for (int i = 0; i < nBlocks; ++i) {
            port.SendData(Block().data(), CBasePort::MAX_BUFFERED, 1);
        }
        port.ClosePort();
    }
    state.SetBytesProcessed(state.iterations() * nBlocks * CBasePort::MAX_BUFFERED);
}
BENCHMARK(BM_SocketPortJob)->Arg(4)->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);

// Flushes of 4095 bytes to a serial port whose reader takes all at once
// (the open and the one-second close pause stay outside the loop).
void BM_SerialPortFlush(benchmark::State& state)
{
    CPtyReader reader(0);
    CSerialPort port("//./COM3", 115200);
    if (port.OpenPort() != 0 || port.InitializePort() != 0) {
        state.SkipWithError("pty open failed");
        return;
    }
    for (auto _ : state) {
        port.SendData(Block().data(), CBasePort::MAX_BUFFERED, 1);
    }
    state.SetBytesProcessed(state.iterations() * CBasePort::MAX_BUFFERED);
    port.ClosePort();
}
BENCHMARK(BM_SerialPortFlush)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A 2 KB job (init, text, cut, end, close) to a reader paced at 9600
// baud. job_s: until PrinterClose returned; paper_s: until the reader had
// the last byte; line_s: 2048 bytes x 10 bits / 9600.
void BM_SerialJob2KAt9600(benchmark::State& state)
{
    const std::string strText(2048 - 16, 'k');
    double dJob = 0;
    double dPaper = 0;
    for (auto _ : state) {
        CPtyReader reader(9600);
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SERIAL;
        info.Port = 3;
        info.BaudRate = 9600;
        std::strcpy(info.Portname, "COM3");
        double dStart = NowSeconds();
        CPrinterCommunicate printer;
        if (printer.PrinterOpen(&info) != 0) {
            state.SkipWithError("pty open failed");
            break;
        }
        printer.Printer_Send_Init();
        printer.Printer_Send_Msg(strText.c_str(), 1, 0, 0);
        printer.Printer_CutPaper(1);
        printer.Printer_Send_End();
        printer.PrinterClose();
        dJob += NowSeconds() - dStart;
        const long long nTotal = 2 + 6 + static_cast<long long>(strText.size()) + 2 + 4 + 2;
        while (reader.Received() < nTotal && NowSeconds() - dStart < 10) {
            usleep(1000);
        }
        dPaper += reader.LastByteAt() - dStart;
        state.SetIterationTime(NowSeconds() - dStart);
    }
    double dIterations = static_cast<double>(state.iterations());
    state.counters["job_s"] = dJob / dIterations;
    state.counters["paper_s"] = dPaper / dIterations;
    state.counters["line_s"] = 2048.0 * 10 / 9600;
}
BENCHMARK(BM_SerialJob2KAt9600)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 64 KiB job through a CUPS queue, when one is named by
// ZELKOR_BENCH_CUPS_QUEUE (CUPS_SERVER selects the server).
void BM_USBPortJob(benchmark::State& state)
{
    const char* pszQueue = std::getenv("ZELKOR_BENCH_CUPS_QUEUE");
    if (pszQueue == nullptr) {
        state.SkipWithError("set ZELKOR_BENCH_CUPS_QUEUE to a raw CUPS queue");
        return;
    }
    const int nBlocks = 64 * 1024 / CBasePort::MAX_BUFFERED + 1;
    for (auto _ : state) {
        CUSBPort port(pszQueue);
        if (port.OpenPort() != 0 || port.InitializePort() != 0) {
            state.SkipWithError("queue not usable");
            break;
        }
        for (int i = 0; i < nBlocks; ++i) {
            port.SendData(Block().data(), CBasePort::MAX_BUFFERED, 1);
        }
        port.ClosePort();
    }
    state.SetBytesProcessed(state.iterations() * nBlocks * CBasePort::MAX_BUFFERED);
}
BENCHMARK(BM_USBPortJob)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
