// Items of the worker queues: an agent event or print job, and a report
// message. Allocated by the push, deleted by whoever pops them.
#pragma once

#include <string>

// An event of the agent (event control) or a print job (print control).
class CQueueDataInfo
{
public:
    int eventType = 0; // the agent's event id
    std::string data;  // payload as the agent sent it (CP949 JSON text)
};

// A report message for the toast control.
class CQueueToastData
{
public:
    int nLevel = 0; // kind of report, chosen by the producer
    std::string strMsg;
};
