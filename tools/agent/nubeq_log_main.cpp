// NUBEQ_LOG: the stand-in for the agent's log tool. It only journals its
// arguments ({"call":"NUBEQ_LOG","args":{"argv":[...]}}) and ends.
#include "tools/agent/agent_common.h"

#include <string>

int main(int argc, char** argv)
{
    const std::string strHome =
        agentstub::ProgramFolder(agentstub::ModuleFolder(reinterpret_cast<void*>(&main)));
    std::string strArgv = "[";
    for (int i = 1; i < argc; ++i) {
        strArgv += (i > 1 ? "," : "") + agentstub::Quoted(argv[i]);
    }
    strArgv += "]";
    agentstub::Journal(strHome, "NUBEQ_LOG", {{"argv", strArgv}}, 0);
    return 0;
}
