// End-to-end latency of an accepted order: from the push of the agent's
// accept event (one pickup order) into the event worker to the last byte of
// its receipt (the cut) at a network printer on loopback TCP. The event and
// print workers run as in the program, with the stand-in agent library,
// the log and Config.ini in a program folder (ZELKOR_BENCH_DIR, default
// /tmp: a disk, since every accepted order writes its number there).
#include "agent/nubeq_dll_mngr.h"
#include "foundation/simple_log.h"
#include "foundation/window_sink.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/printer_setting.h"
#include "tools/print/print_job_watch.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
// <chrono> does not compile with the CP949 narrow charset; <thread> brings the clocks.
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadSourceFile(const std::string& strRelative)
{
    std::ifstream file(std::string(ZELKOR_SOURCE_DIR) + "/" + strRelative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A receipt printer on 127.0.0.1: takes one connection after another and
// stamps the arrival of every cut (ESC i).
class CLoopbackPrinter
{
public:
    CLoopbackPrinter()
    {
        m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t nLength = sizeof(address);
        ::bind(m_hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(m_hListen, 16);
        ::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &nLength);
        m_nPort = ntohs(address.sin_port);
        m_Thread = std::thread([this] { Run(); });
    }
    ~CLoopbackPrinter()
    {
        m_bStop = true;
        m_Thread.join();
        ::close(m_hListen);
    }

    int Port() const { return m_nPort; }
    int Cuts() const { return m_nCuts.load(std::memory_order_acquire); }
    // Sleeps until a cut beyond nCuts has arrived (no spinning: on two cores
    // a spinning waiter takes the CPU the workers need).
    void WaitCutAfter(int nCuts) const { m_nCuts.wait(nCuts, std::memory_order_acquire); }
    Clock::time_point LastCutAt() const
    {
        return Clock::time_point(Clock::duration(m_nLastCutAt.load(std::memory_order_relaxed)));
    }

private:
    void Run()
    {
        while (!m_bStop) {
            pollfd listen{m_hListen, POLLIN, 0};
            if (::poll(&listen, 1, 50) <= 0) {
                continue;
            }
            int hClient = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (hClient < 0) {
                continue;
            }
            char chLast = 0;
            char buffer[8192];
            while (!m_bStop) {
                pollfd fd{hClient, POLLIN, 0};
                if (::poll(&fd, 1, 50) <= 0) {
                    continue;
                }
                ssize_t n = ::recv(hClient, buffer, sizeof(buffer), 0);
                if (n <= 0) {
                    break;
                }
                for (ssize_t i = 0; i < n; ++i) {
                    // The paper status request DLE EOT 4 is answered at
                    // once, as a receipt printer does: paper present.
                    if (i >= 2 && buffer[i - 2] == '\x10' && buffer[i - 1] == '\x04' &&
                        buffer[i] == '\x04') {
                        const char chStatus = 0x12;
                        [[maybe_unused]] ssize_t nSent =
                            ::send(hClient, &chStatus, 1, MSG_NOSIGNAL);
                    }
                    if (chLast == '\x1b' && buffer[i] == 'i') {
                        m_nLastCutAt.store(Clock::now().time_since_epoch().count(),
                                           std::memory_order_relaxed);
                        m_nCuts.fetch_add(1, std::memory_order_release);
                        m_nCuts.notify_all();
                    }
                    chLast = buffer[i];
                }
            }
            ::close(hClient);
        }
    }

    int m_hListen = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nCuts{0};
    std::atomic<int64_t> m_nLastCutAt{0};
    std::thread m_Thread;
};

// The program folder: stand-in agent, shop files and a Config.ini with one
// receipt printer on the network.
std::string MakeProgramFolder(int nPrinterPort)
{
    const char* pszBase = std::getenv("ZELKOR_BENCH_DIR");
    std::string strFolder =
        std::string(pszBase != nullptr ? pszBase : "/tmp") + "/zelkor-bench-pipeline-XXXXXX";
    if (mkdtemp(strFolder.data()) == nullptr) {
        return "";
    }
    setenv("ZELKOR_HOME", strFolder.c_str(), 1);
    std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, strFolder + "/libNUBEQ_IF.so");
    std::ofstream(strFolder + "/Store_Orgin.dat", std::ios::binary)
        << ReadSourceFile("tests/data/store/Store_Orgin.dat");
    // The shop's Config.ini ends in its [PRINTER] section.
    std::ofstream(strFolder + "/Config.ini", std::ios::binary)
        << ReadSourceFile("tests/data/store/Config.ini") << "Printer1Name=COUNTER\r\n"
        << "Printer1Use=0\r\nPrinter1Rcp=1\r\nPrinter1LanPrintUse=1\r\n"
        << "Printer1LanPrintIP=127.0.0.1\r\nPrinter1LanPrintPort=" << nPrinterPort << "\r\n"
        << "Printer2Use=0\r\nPrinter2Rcp=0\r\nPickupPaymentPrintCnt=1\r\n"
        << "[ORDER]\r\nStartNo=1\r\nLastNo=1\r\n";
    std::filesystem::create_directories(strFolder + "/Log/NubeqLog");
    return strFolder;
}

void BM_AcceptedOrderToLastReceiptByte(benchmark::State& state)
{
    CLoopbackPrinter printer;
    const std::string strFolder = MakeProgramFolder(printer.Port());
    if (strFolder.empty()) {
        state.SkipWithError("no program folder");
        return;
    }
    SimpleLog().Start((strFolder + "/Log/NubeqLog").c_str());
    CPrinterSetting& setting = PrinterSetting();
    setting.SetConfigFilePath((strFolder + "/Config.ini").c_str());
    setting.ReadFilePrintInfo(1);
    InstallMainWindowSink([](unsigned, uintptr_t, intptr_t) { return true; },
                          [](unsigned nMsg, uintptr_t, intptr_t lParam) -> intptr_t {
                              if (nMsg == WM_TRAY_SHOW_TOAST) {
                                  delete reinterpret_cast<ToastRequestInfo*>(lParam);
                              }
                              return 0;
                          });
    // The shop's pickup order without its number: the accept numbers it.
    std::string strOrder = ReadSourceFile("tests/data/orders/pickup_order.json");
    const std::string strNumbered = "\"waitNo\":\"101\"";
    strOrder.replace(strOrder.find(strNumbered), strNumbered.size(), "\"waitNo\":\"\"");
    const std::string strEvent = "[" + strOrder + "]";

    std::vector<double> vecMillis;
    {
        CNubeqDllMngr agent;
        CToastCtrlProcess toast;
        CPrintJobWatch print(toast, agent, setting);
        CEventCtrlProcess event(print, &toast, agent, setting);
        toast.StartCtrlProcess();
        print.StartCtrlProcess();
        event.StartCtrlProcess();
        int nJobs = 0;
        for (auto _ : state) {
            const int nCuts = printer.Cuts();
            const Clock::time_point pushed = Clock::now();
            event.PushQueueCtrlData(36001, strEvent);
            while (printer.Cuts() == nCuts) {
                printer.WaitCutAfter(nCuts);
            }
            const double nMillis =
                std::chrono::duration<double, std::milli>(printer.LastCutAt() - pushed).count();
            state.SetIterationTime(nMillis / 1000.0);
            vecMillis.push_back(nMillis);
            // The job's end (end-of-job bytes, reply window, close) is not
            // part of the latency; the next order waits for it.
            print.WaitJobs(++nJobs);
        }
    }
    RemoveMainWindowSink();
    std::error_code error;
    std::filesystem::remove_all(strFolder, error);

    std::sort(vecMillis.begin(), vecMillis.end());
    auto percentile = [&](double p) {
        return vecMillis.empty() ? 0.0 : vecMillis[static_cast<size_t>(p * (vecMillis.size() - 1))];
    };
    state.counters["p50_ms"] = percentile(0.50);
    state.counters["p99_ms"] = percentile(0.99);
    state.counters["max_ms"] = vecMillis.empty() ? 0.0 : vecMillis.back();
}
BENCHMARK(BM_AcceptedOrderToLastReceiptByte)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
