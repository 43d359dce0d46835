// The stand-in agent's journal (agent_journal.jsonl) as tests read it, and
// the date the program compares LastDate with.
#pragma once

#include <json/value.h>
#include <string>
#include <vector>

namespace testsupport {

// Today by the local clock as "%04d%02d%02d" ([ORDER] "LastDate").
std::string TodayDate();

// The journal's calls in order; a SetData as "SetData key=value".
std::vector<std::string> AgentJournalCalls(const std::string& strJournalPath);

// The journal lines of one call ("ProcessRun", "NUBEQ.Start", ...).
std::vector<Json::Value> AgentJournalLines(const std::string& strJournalPath,
                                           const std::string& strCall);

} // namespace testsupport
