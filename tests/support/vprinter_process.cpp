// zelkor-vprinter as a child process of a test.
#include "tests/support/vprinter_process.h"

#include "tests/support/program_folder.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

std::string NumberedFile(const std::string& strOutDir, const char* pszFormat, int nNumber)
{
    char szName[64];
    std::snprintf(szName, sizeof(szName), pszFormat, nNumber);
    return strOutDir + szName;
}

std::string ConnectionFile(const std::string& strOutDir, int nConnection)
{
    return NumberedFile(strOutDir, "/connection-%03d.bin", nConnection);
}

} // namespace

CVirtualPrinter::CVirtualPrinter(const std::string& strExe, const std::string& strOutDir,
                                 const std::vector<std::string>& vecFaults, ELine eLine)
    : m_strOutDir(strOutDir)
{
    std::filesystem::create_directories(strOutDir);
    std::vector<std::string> vecArgs = {strExe};
    if (eLine == ELine::Pty) {
        vecArgs.push_back("--pty");
    } else {
        vecArgs.push_back("--tcp");
        vecArgs.push_back("127.0.0.1:0");
    }
    vecArgs.push_back("--out");
    vecArgs.push_back(strOutDir);
    for (const std::string& strFault : vecFaults) {
        vecArgs.push_back("--fault");
        vecArgs.push_back(strFault);
    }
    std::vector<char*> argv;
    for (std::string& strArg : vecArgs) {
        argv.push_back(strArg.data());
    }
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    m_nPid = fork();
    if (m_nPid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    // The first line is the bound address or the pty's slave path; the
    // pipe stays open so the printer's later output never meets a closed
    // reader.
    char ch = 0;
    while (read(fds[0], &ch, 1) == 1 && ch != '\n') {
        m_strAddress += ch;
    }
    m_nReadFd = fds[0];
    const size_t nColon = m_strAddress.rfind(':');
    if (eLine == ELine::Tcp && nColon != std::string::npos) {
        m_nPort = std::atoi(m_strAddress.c_str() + nColon + 1);
    }
}

CVirtualPrinter::~CVirtualPrinter()
{
    if (m_nPid > 0) {
        kill(m_nPid, SIGTERM);
        waitpid(m_nPid, nullptr, 0);
    }
    if (m_nReadFd >= 0) {
        close(m_nReadFd);
    }
}

std::string CVirtualPrinter::Connection(int nConnection) const
{
    return ReadWholeFile(ConnectionFile(m_strOutDir, nConnection));
}

std::string CVirtualPrinter::WaitForConnection(int nConnection, size_t nBytes, int nTimeoutMs) const
{
    std::string strBytes;
    for (int nWaited = 0;; nWaited += 10) {
        strBytes = Connection(nConnection);
        if (strBytes.size() >= nBytes || nWaited >= nTimeoutMs) {
            return strBytes;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int CVirtualPrinter::Connections() const
{
    int nCount = 0;
    while (std::filesystem::exists(ConnectionFile(m_strOutDir, nCount + 1))) {
        ++nCount;
    }
    return nCount;
}

std::vector<std::string> CVirtualPrinter::WaitForReceipts(int nCount, int nTimeoutMs) const
{
    // The printer writes each receipt's text last and atomically.
    const std::string strLast = NumberedFile(m_strOutDir, "/receipt-%03d.txt", nCount);
    for (int nWaited = 0; !std::filesystem::exists(strLast) && nWaited < nTimeoutMs;
         nWaited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<std::string> vecTexts;
    for (int i = 1; i <= nCount; ++i) {
        const std::string strFile = NumberedFile(m_strOutDir, "/receipt-%03d.txt", i);
        if (!std::filesystem::exists(strFile)) {
            break;
        }
        vecTexts.push_back(ReadWholeFile(strFile));
    }
    return vecTexts;
}

} // namespace testsupport
