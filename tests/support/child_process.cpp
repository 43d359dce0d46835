// Child processes of tests.
#include "tests/support/child_process.h"

#include "tests/support/program_folder.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& vChanges)
{
    std::vector<std::string> vEnv;
    for (char** p = environ; *p != nullptr; ++p) {
        std::string strEntry = *p;
        std::string strName = strEntry.substr(0, strEntry.find('='));
        bool bChanged = false;
        for (const std::string& strChange : vChanges) {
            bChanged |= strChange.substr(0, strChange.find('=')) == strName;
        }
        if (!bChanged) {
            vEnv.push_back(strEntry);
        }
    }
    for (const std::string& strChange : vChanges) {
        if (strChange.find('=') != std::string::npos) {
            vEnv.push_back(strChange);
        }
    }
    return vEnv;
}

} // namespace

CChildProcess::CChildProcess(const std::vector<std::string>& vArgs,
                             const std::vector<std::string>& vEnv, const std::string& strOutput)
{
    // Everything the child uses is built before the fork.
    std::vector<std::string> vArgCopy = vArgs;
    std::vector<std::string> vEnvCopy = ChildEnvironment(vEnv);
    std::vector<char*> argv;
    for (std::string& strArg : vArgCopy) {
        argv.push_back(strArg.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& strEntry : vEnvCopy) {
        envp.push_back(strEntry.data());
    }
    envp.push_back(nullptr);
    const std::string strOut = strOutput.empty() ? "/dev/null" : strOutput;
    m_nPid = fork();
    if (m_nPid == 0) {
        int hOut = open(strOut.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int hNull = open("/dev/null", O_RDONLY);
        if (hOut >= 0) {
            dup2(hOut, STDOUT_FILENO);
            dup2(hOut, STDERR_FILENO);
        }
        if (hNull >= 0) {
            dup2(hNull, STDIN_FILENO);
        }
        // A test's own signal set-up (gtest, sanitizers) is not the child's.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

CChildProcess::~CChildProcess()
{
    if (IsRunning()) {
        Signal(SIGKILL);
        Wait(10000);
    }
}

bool CChildProcess::IsRunning()
{
    if (m_nPid <= 0 || m_nStatus >= 0) {
        return false;
    }
    return Wait(0) < 0;
}

int CChildProcess::Wait(int nTimeoutMs)
{
    if (m_nPid <= 0) {
        return 127;
    }
    if (m_nStatus >= 0) {
        return m_nStatus;
    }
    for (int nWaited = 0;; nWaited += 5) {
        int nStatus = 0;
        pid_t nDone = waitpid(m_nPid, &nStatus, WNOHANG);
        if (nDone == m_nPid) {
            m_nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
            return m_nStatus;
        }
        if (nDone < 0 || nWaited >= nTimeoutMs) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CChildProcess::Signal(int nSignal)
{
    if (m_nPid > 0 && m_nStatus < 0) {
        kill(m_nPid, nSignal);
    }
}

int RunProgram(const std::vector<std::string>& vArgs, const std::vector<std::string>& vEnv,
               std::string* pstrOut, int nTimeoutMs)
{
    char szOut[] = "/tmp/zelkor-run-out-XXXXXX";
    int hOut = mkstemp(szOut);
    if (hOut >= 0) {
        close(hOut);
    }
    int nStatus = -1;
    {
        CChildProcess child(vArgs, vEnv, szOut);
        nStatus = child.Wait(nTimeoutMs);
    }
    if (pstrOut != nullptr) {
        *pstrOut = ReadWholeFile(szOut);
    }
    std::filesystem::remove(szOut);
    return nStatus;
}

} // namespace testsupport
