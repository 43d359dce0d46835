// Private CUPS server for spooler tests.
#include "tests/support/cups_server.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

std::string ScriptPath()
{
    return (std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "printing" / "cups" /
            "start-cupsd.sh")
        .string();
}

} // namespace

CCupsServer* CCupsServer::Shared(std::string& strError)
{
    static std::unique_ptr<CCupsServer> s_pServer;
    static std::string s_strError;
    static bool s_bTried = false;
    if (!s_bTried) {
        s_bTried = true;
        std::unique_ptr<CCupsServer> pServer(new CCupsServer());
        if (pServer->Start(s_strError)) {
            s_pServer = std::move(pServer);
        }
    }
    strError = s_strError;
    return s_pServer.get();
}

bool CCupsServer::Start(std::string& strError)
{
    m_pPrinter = std::make_unique<CTcpListener>();
    std::string strTemplate =
        (std::filesystem::temp_directory_path() / "zelkor-cups-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr) {
        strError = "mkdtemp failed";
        return false;
    }
    m_strDir = strTemplate;
    std::string strCommand = "sh '" + ScriptPath() + "' '" + m_strDir + "' " +
                             std::to_string(m_pPrinter->Port()) + " " + std::to_string(getpid()) +
                             " 2>&1";
    FILE* pPipe = popen(strCommand.c_str(), "r");
    if (pPipe == nullptr) {
        strError = "cannot run " + ScriptPath();
        return false;
    }
    std::string strOutput;
    char buffer[512];
    while (fgets(buffer, sizeof(buffer), pPipe) != nullptr) {
        strOutput += buffer;
    }
    int nStatus = pclose(pPipe);
    std::string strPidFile = m_strDir + "/cupsd.pid";
    if (FILE* pPid = fopen(strPidFile.c_str(), "r")) {
        if (fscanf(pPid, "%d", &m_nPid) != 1) {
            m_nPid = 0;
        }
        fclose(pPid);
    }
    if (nStatus != 0) {
        strError =
            "CUPS could not be started for the spooler tests (" + ScriptPath() + "): " + strOutput;
        return false;
    }
    m_strSocket = m_strDir + "/cups.sock";
    setenv("CUPS_SERVER", m_strSocket.c_str(), 1);
    return true;
}

CCupsServer::~CCupsServer()
{
    if (m_nPid > 0) {
        kill(m_nPid, SIGTERM);
        for (int i = 0; i < 100 && kill(m_nPid, 0) == 0; ++i) {
            usleep(20000);
        }
    }
    std::error_code ec;
    if (!m_strDir.empty() && std::getenv("ZELKOR_KEEP_TEST_FOLDERS") == nullptr) {
        std::filesystem::remove_all(m_strDir, ec);
    }
}

} // namespace testsupport
