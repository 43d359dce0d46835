// Programs a test starts and watches: the program under test, its tools.
// The child gets the test's environment with changes ("NAME=value" sets,
// a bare "NAME" removes), its output goes to a file, and it is killed with
// the object unless it has ended.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class CChildProcess
{
public:
    // vArgs[0] is the program's path. strOutput: file for stdout and
    // stderr ("" : /dev/null).
    CChildProcess(const std::vector<std::string>& vArgs, const std::vector<std::string>& vEnv = {},
                  const std::string& strOutput = "");
    // SIGKILL and reaped when still running.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    pid_t Pid() const { return m_nPid; }
    bool Started() const { return m_nPid > 0; }
    // True until the program has ended (and been reaped by Wait).
    bool IsRunning();
    // The exit code, 128 + the signal for a program killed by one, or -1
    // when it still runs after nTimeoutMs.
    int Wait(int nTimeoutMs);
    void Signal(int nSignal);

private:
    pid_t m_nPid = -1;
    int m_nStatus = -1;
};

// Runs the program to its end (at most nTimeoutMs, then it is killed): the
// exit status as Wait gives it, and its standard output in *pstrOut.
int RunProgram(const std::vector<std::string>& vArgs, const std::vector<std::string>& vEnv,
               std::string* pstrOut, int nTimeoutMs = 30000);

// Polls fnDone every 10 ms until it is true or nTimeoutMs have passed.
template <typename TFn>
bool WaitUntil(TFn fnDone, int nTimeoutMs);

} // namespace testsupport

#include <thread>

template <typename TFn>
bool testsupport::WaitUntil(TFn fnDone, int nTimeoutMs)
{
    for (int i = 0; i < nTimeoutMs / 10; ++i) {
        if (fnDone()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fnDone();
}
