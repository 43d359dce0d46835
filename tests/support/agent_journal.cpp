// Reading the stand-in agent's journal.
#include "tests/support/agent_journal.h"

#include "platform/local_clock.h"
#include "tests/support/test_data.h"

#include <cstdio>

namespace testsupport {

std::string TodayDate()
{
    platform::LocalTime now = platform::GetLocalTime();
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return szDate;
}

std::vector<std::string> AgentJournalCalls(const std::string& strJournalPath)
{
    std::vector<std::string> vCalls;
    for (const Json::Value& line : ReadJsonLines(strJournalPath)) {
        std::string strCall = line["call"].asString();
        if (strCall == "SetData") {
            strCall +=
                " " + line["args"]["key"].asString() + "=" + line["args"]["value"].asString();
        }
        vCalls.push_back(strCall);
    }
    return vCalls;
}

std::vector<Json::Value> AgentJournalLines(const std::string& strJournalPath,
                                           const std::string& strCall)
{
    std::vector<Json::Value> vLines;
    for (const Json::Value& line : ReadJsonLines(strJournalPath)) {
        if (line["call"].asString() == strCall) {
            vLines.push_back(line);
        }
    }
    return vLines;
}

} // namespace testsupport
