// What the crash handler's tests share: a program folder with the agent's
// log tool and a webhook on the local TLS server, core files off, and the
// checks of what a crash leaves behind (dumps, journal, report, log tool,
// notice, log lines, what lldb makes of the dump).
#pragma once

#include "tests/support/program_folder.h"
#include "tests/support/tls_server.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace crashtest {

extern const char* const kReportText;
extern const char* const kSkippedLine;
extern const char* const kBoxEndLine;

using SJournalSection = std::map<std::string, std::string>;

class CrashFixture : public ::testing::Test
{
protected:
    // The webhook answers every post, or (bStallWebhook) keeps each one
    // waiting for the client's receive time-out.
    explicit CrashFixture(bool bStallWebhook = false);
    void SetUp() override;

    // Config.ini with the webhook section and strMore after it.
    void WriteConfig(const std::string& strMore = "") const;

    std::string TodayFolder() const;
    // The dump files of the day's folder, sorted by name.
    std::vector<std::string> Dumps() const;
    // The sections of the day's CrashDmp.log, and their names.
    std::vector<SJournalSection> Journal(std::vector<std::string>* pNames = nullptr) const;
    // The program's log of the day (CP949).
    std::string Log() const;
    // What lldb prints for the commands on the dump opened with strExe.
    static std::string Lldb(const std::string& strDump, const std::string& strExe,
                            const std::string& strCommands);
    // The requests the webhook got (waiting for nExpected to have ended).
    std::vector<std::string> WebhookRequests(int nExpected) const;
    // The arguments of each start of the agent's log tool.
    std::vector<std::vector<std::string>> LogToolStarts() const;
    // The message boxes shown (journal lines; the notice is id 121).
    std::vector<std::string> Boxes() const;

    // Everything a reported crash of strExe leaves: one dump with its
    // journal section, one report with the program's digest at the
    // webhook, one start of the log tool, one notice and the line after.
    void ExpectReportedCrash(const char* pszCase, const std::string& strExe);
    // What a crash of a program that is ending leaves: the dump, its
    // journal section and the skipped line; nothing else.
    void ExpectDumpOnlyCrash(const char* pszCase);

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CTestCertificateAuthority m_Ca{"Zelkor Test CA"};
    std::unique_ptr<testsupport::CTlsServer> m_pServer;
    std::string m_strDigest; // of the program file in the folder

private:
    bool m_bStallWebhook;
};

} // namespace crashtest
