// zelkor-vprinter: a virtual receipt printer on a TCP port or a
// pseudo-terminal, writing what it prints as text and pictures.
#include "tools/vprinter/printer_session.h"
#include "tools/vprinter/pty_endpoint.h"
#include "tools/vprinter/receipt_output.h"
#include "tools/vprinter/tcp_listener.h"

#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: zelkor-vprinter (--tcp HOST:PORT | --pty) [options]\n"
    "  --tcp HOST:PORT  listen there (port 0: an ephemeral port); the bound\n"
    "                   HOST:PORT is the first line on stdout\n"
    "  --pty            open a pseudo-terminal; its slave's path is the first\n"
    "                   line on stdout (a job ends when the last writer closes it)\n"
    "  --out DIR        write receipt-NNN.txt and .bin per receipt as it is cut\n"
    "                   (receipt-NNN-uncut.* for data that ended before a cut)\n"
    "                   and connection-NNN.bin with every byte of a connection;\n"
    "                   without it the receipts' text goes to stdout\n"
    "  --png            also write receipt-NNN.png\n"
    "  --columns N      paper width of the pictures, 42 (default) or 48\n"
    "  --count N        exit after N connections (default: serve until stopped)\n"
    "  --fault MODE     misbehave; may be given more than once:\n"
    "      refuse         refuse every connection (TCP: bound, not listening;\n"
    "                     pseudo-terminal: the slave stays locked, opens fail)\n"
    "      no-read        accept and never read\n"
    "      stall-after=N  read N bytes, then stop reading and stay connected (a\n"
    "                     printer that hangs mid-job)\n"
    "      close-after=N  close the connection after N bytes\n"
    "      status=HEX     answer these bytes after each chunk of data\n"
    "      chatter=HEX    send these bytes over and over while connected (TCP)\n"
    "      baud=N         read no faster than N baud (10 bits a byte)\n"
    "      slow=N         the same as baud=N\n"
    "      no-status      never answer the status request DLE EOT n (a printer\n"
    "                     without it; by default every DLE EOT n is answered)\n"
    "      paper-near-end the paper near-end sensor is on (DLE EOT 4 answers 1E)\n"
    "      paper-end      out of paper (DLE EOT 4 answers 7E); the data is still\n"
    "                     taken and written\n"
    "      paper-end-after=N  out of paper once N receipts were cut\n"
    "      first=N        misbehave on the first N connections only, then serve\n"
    "                     normally (a printer that recovers; TCP only)\n"
    "  --help           this text\n"
    "SIGTERM or SIGINT ends it cleanly, writing a receipt in progress.\n";

int g_nStopWrite = -1;

void OnStopSignal(int)
{
    const char c = 1;
    const ssize_t n = write(g_nStopWrite, &c, 1);
    (void)n;
}

struct SOptions
{
    bool m_bPty = false;
    std::string m_strHost;
    int m_nPort = -1;
    std::string m_strOut;
    bool m_bPng = false;
    int m_nColumns = 42;
    int m_nCount = 0;
    vprinter::SFaults m_faults;
};

bool ParseNumber(const std::string& strText, long long nMin, long long nMax, long long& nValue)
{
    if (strText.empty()) {
        return false;
    }
    char* pEnd = nullptr;
    errno = 0;
    nValue = std::strtoll(strText.c_str(), &pEnd, 10);
    return errno == 0 && *pEnd == '\0' && nValue >= nMin && nValue <= nMax;
}

bool ParseHexBytes(const std::string& strHex, std::string& strBytes)
{
    if (strHex.empty() || strHex.size() % 2 != 0) {
        return false;
    }
    for (size_t n = 0; n < strHex.size(); n += 2) {
        char* pEnd = nullptr;
        const std::string strPair = strHex.substr(n, 2);
        const long nByte = std::strtol(strPair.c_str(), &pEnd, 16);
        if (*pEnd != '\0' || strPair[0] == '-' || strPair[0] == '+') {
            return false;
        }
        strBytes += static_cast<char>(nByte);
    }
    return true;
}

bool ParseFault(const std::string& strMode, vprinter::SFaults& faults)
{
    const size_t nEq = strMode.find('=');
    const std::string strName = strMode.substr(0, nEq);
    const std::string strValue = nEq == std::string::npos ? "" : strMode.substr(nEq + 1);
    long long nValue = 0;
    if (strMode == "refuse") {
        faults.m_bRefuse = true;
    } else if (strMode == "no-status") {
        faults.m_bNoStatus = true;
    } else if (strMode == "paper-near-end") {
        faults.m_bPaperNearEnd = true;
    } else if (strMode == "paper-end") {
        faults.m_nPaperEndAfter = 0;
    } else if (strName == "paper-end-after" && ParseNumber(strValue, 0, 1'000'000, nValue)) {
        faults.m_nPaperEndAfter = static_cast<int>(nValue);
    } else if (strMode == "no-read") {
        faults.m_bNoRead = true;
    } else if (strName == "stall-after" && ParseNumber(strValue, 0, 1LL << 50, nValue)) {
        faults.m_nStallAfter = nValue;
    } else if (strName == "close-after" && ParseNumber(strValue, 0, 1LL << 50, nValue)) {
        faults.m_nCloseAfter = nValue;
    } else if (strName == "status" && ParseHexBytes(strValue, faults.m_strStatus)) {
    } else if (strName == "chatter" && ParseHexBytes(strValue, faults.m_strChatter)) {
    } else if ((strName == "baud" || strName == "slow") &&
               ParseNumber(strValue, 1, 100'000'000, nValue)) {
        faults.m_nBaud = static_cast<int>(nValue);
    } else if (strName == "first" && ParseNumber(strValue, 1, 1'000'000, nValue)) {
        faults.m_nFirst = static_cast<int>(nValue);
    } else {
        return false;
    }
    return true;
}

// 0: go on; otherwise the exit code (1 help printed, 2 bad usage).
int ParseOptions(int argc, char** argv, SOptions& options)
{
    for (int n = 1; n < argc; ++n) {
        const std::string strArg = argv[n];
        const bool bHasValue = n + 1 < argc;
        long long nValue = 0;
        if (strArg == "--help" || strArg == "-h") {
            std::fputs(kUsage, stdout);
            return 1;
        } else if (strArg == "--pty") {
            options.m_bPty = true;
        } else if (strArg == "--png") {
            options.m_bPng = true;
        } else if (strArg == "--tcp" && bHasValue) {
            const std::string strAddress = argv[++n];
            const size_t nColon = strAddress.rfind(':');
            if (nColon == std::string::npos ||
                !ParseNumber(strAddress.substr(nColon + 1), 0, 65535, nValue)) {
                std::fprintf(stderr, "zelkor-vprinter: --tcp wants HOST:PORT\n");
                return 2;
            }
            options.m_strHost = strAddress.substr(0, nColon);
            if (options.m_strHost.size() >= 2 && options.m_strHost.front() == '[') {
                options.m_strHost = options.m_strHost.substr(1, options.m_strHost.size() - 2);
            }
            options.m_nPort = static_cast<int>(nValue);
        } else if (strArg == "--out" && bHasValue) {
            options.m_strOut = argv[++n];
        } else if (strArg == "--columns" && bHasValue && ParseNumber(argv[n + 1], 42, 48, nValue) &&
                   (nValue == 42 || nValue == 48)) {
            options.m_nColumns = static_cast<int>(nValue);
            ++n;
        } else if (strArg == "--count" && bHasValue &&
                   ParseNumber(argv[n + 1], 1, 1 << 30, nValue)) {
            options.m_nCount = static_cast<int>(nValue);
            ++n;
        } else if (strArg == "--fault" && bHasValue && ParseFault(argv[n + 1], options.m_faults)) {
            ++n;
        } else {
            std::fprintf(stderr, "zelkor-vprinter: bad argument %s\n%s", strArg.c_str(), kUsage);
            return 2;
        }
    }
    if (options.m_bPty == (options.m_nPort >= 0)) {
        std::fprintf(stderr, "zelkor-vprinter: give one of --tcp or --pty\n%s", kUsage);
        return 2;
    }
    return 0;
}

bool WaitForStop(int nStopFd)
{
    pollfd fd = {nStopFd, POLLIN, 0};
    while (poll(&fd, 1, -1) < 0 && errno == EINTR) {
    }
    return true;
}

int ServeTcp(const SOptions& options, vprinter::CReceiptOutput& output, int nStopFd)
{
    vprinter::CTcpListener listener;
    std::string strError;
    // A paced or stalling printer has a small input buffer, as real ones
    // do: the sender feels it after a few kilobytes, not megabytes.
    const bool bSmallBuffer = options.m_faults.m_nBaud > 0 || options.m_faults.m_bNoRead ||
                              options.m_faults.m_nStallAfter >= 0;
    const int nReceiveBuffer = bSmallBuffer ? 4096 : 0;
    if (!listener.Open(options.m_strHost, options.m_nPort, !options.m_faults.m_bRefuse,
                       nReceiveBuffer, strError)) {
        std::fprintf(stderr, "zelkor-vprinter: %s\n", strError.c_str());
        return 1;
    }
    std::printf("%s\n", listener.Address().c_str());
    std::fflush(stdout);
    if (options.m_faults.m_bRefuse) {
        WaitForStop(nStopFd);
        return 0;
    }
    for (int nServed = 0; options.m_nCount == 0 || nServed < options.m_nCount; ++nServed) {
        const int nFd = listener.Accept(nStopFd);
        if (nFd < 0) {
            break;
        }
        // The session keeps a reference to its faults.
        static const vprinter::SFaults kNoFaults;
        const bool bFaulty = options.m_faults.m_nFirst < 0 || nServed < options.m_faults.m_nFirst;
        vprinter::CPrinterSession session(nFd, false, bFaulty ? options.m_faults : kNoFaults,
                                          output, nStopFd);
        const vprinter::CPrinterSession::EEnd eEnd = session.Run();
        close(nFd);
        if (eEnd == vprinter::CPrinterSession::END_STOPPED) {
            break;
        }
    }
    return 0;
}

int ServePty(const SOptions& options, vprinter::CReceiptOutput& output, int nStopFd)
{
    vprinter::CPtyEndpoint pty;
    std::string strError;
    if (!pty.Open(!options.m_faults.m_bRefuse, strError)) {
        std::fprintf(stderr, "zelkor-vprinter: %s\n", strError.c_str());
        return 1;
    }
    std::printf("%s\n", pty.SlavePath().c_str());
    std::fflush(stdout);
    if (options.m_faults.m_bRefuse) {
        WaitForStop(nStopFd);
        return 0;
    }
    for (int nServed = 0; options.m_nCount == 0 || nServed < options.m_nCount; ++nServed) {
        vprinter::CPrinterSession session(pty.MasterFd(), true, options.m_faults, output, nStopFd);
        const vprinter::CPrinterSession::EEnd eEnd = session.Run();
        // A closed master takes the slave with it; there is no next job.
        if (eEnd != vprinter::CPrinterSession::END_PEER_CLOSED) {
            break;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    const int nParsed = ParseOptions(argc, argv, options);
    if (nParsed != 0) {
        return nParsed == 1 ? 0 : 2;
    }
    int nStopPipe[2];
    if (pipe2(nStopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("zelkor-vprinter: pipe");
        return 1;
    }
    g_nStopWrite = nStopPipe[1];
    struct sigaction action
    {
    };
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    // Pictures need Qt's font machinery; no display is used.
    std::unique_ptr<QGuiApplication> pApp;
    if (options.m_bPng) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        pApp = std::make_unique<QGuiApplication>(argc, argv);
    }
    vprinter::CReceiptOutput output(options.m_strOut, options.m_bPng, options.m_nColumns);
    return options.m_bPty ? ServePty(options, output, nStopPipe[0])
                          : ServeTcp(options, output, nStopPipe[0]);
}
