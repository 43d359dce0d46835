// nubeq-send: delivers one event to the running program as the agent does
// (a copy-data message to its main window), for tests, the demo and for a
// developer or technician who feeds an order by hand.
#include "platform/window_endpoint_client.h"
#include "tools/agent/agent_common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const char* const kUsage =
    "usage: nubeq-send [OPTIONS] EVENT FILE     the event with FILE's text (\"-\": stdin)\n"
    "       nubeq-send [OPTIONS] --no-data EVENT  the event with a null data pointer\n"
    "       nubeq-send [OPTIONS] --no-record      a copy-data message without its record\n"
    "       nubeq-send [OPTIONS] --message MSG [--wparam N] [--lparam N]\n"
    "       nubeq-send [OPTIONS] --raw FILE       FILE's bytes as they are, as a frame\n"
    "options:\n"
    "  --window ID   the window (default: the one the agent is bound to, from\n"
    "                NUBEQ.window in the program folder, else the program's main window)\n"
    "  --home DIR    program folder (default $ZELKOR_HOME, else this program's folder)\n"
    "  --post        do not wait for the reply\n"
    "  --timeout MS  how long to wait for the reply (default 30000, -1: as long as it takes)\n"
    "  --hold MS     keep the connection open that long after writing\n"
    "prints \"result N\" or \"refused\"; exit 0 answered non-zero (or posted), 3 answered 0,\n"
    "4 refused, 5 the program closed the connection without an answer, 1 not delivered,\n"
    "2 usage\n";

constexpr uint32_t WM_COPYDATA = 0x004A;

// The main window's class and title (CP949), as FindWindow looks for them.
const char* const kMainWindowClass = "Zelkor";
const char* const kMainWindowTitle = "젤코르";

bool ReadInput(const std::string& strPath, std::string& strText)
{
    if (strPath == "-") {
        strText.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        return false;
    }
    strText.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool ParseNumber(const char* pszText, long long& nValue)
{
    char* pEnd = nullptr;
    nValue = std::strtoll(pszText, &pEnd, 0);
    return pEnd != pszText && *pEnd == '\0';
}

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    long long nWindow = 0;
    long long nTimeout = 30000;
    long long nHold = 0;
    std::string strHome;
    std::string strRaw;
    bool bNoData = false;
    bool bNoRecord = false;
    bool bPost = false;
    bool bRaw = false;
    bool bMessage = false;
    platform::SWindowFrame frame;
    frame.nMessage = WM_COPYDATA;
    std::vector<std::string> vPositional;
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        long long nValue = 0;
        bool bHasValue = i + 1 < argc;
        if (strArg == "--window" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            nWindow = nValue;
            ++i;
        } else if (strArg == "--home" && bHasValue) {
            strHome = argv[++i];
        } else if (strArg == "--timeout" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            nTimeout = nValue;
            ++i;
        } else if (strArg == "--hold" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            nHold = nValue;
            ++i;
        } else if (strArg == "--message" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            frame.nMessage = static_cast<uint32_t>(nValue);
            bMessage = true;
            ++i;
        } else if (strArg == "--wparam" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            frame.wParam = static_cast<uint64_t>(nValue);
            ++i;
        } else if (strArg == "--lparam" && bHasValue && ParseNumber(argv[i + 1], nValue)) {
            frame.lParam = nValue;
            ++i;
        } else if (strArg == "--raw" && bHasValue) {
            bRaw = true;
            if (!ReadInput(argv[++i], strRaw)) {
                std::fprintf(stderr, "nubeq-send: cannot read %s\n", argv[i]);
                return 2;
            }
        } else if (strArg == "--no-data") {
            bNoData = true;
        } else if (strArg == "--no-record") {
            bNoRecord = true;
        } else if (strArg == "--post") {
            bPost = true;
        } else if (strArg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!strArg.empty() && strArg[0] == '-' && strArg != "-") {
            return Usage();
        } else {
            vPositional.push_back(strArg);
        }
    }

    if (bRaw || bMessage || bNoRecord) {
        if (!vPositional.empty()) {
            return Usage();
        }
        frame.nFlags = bNoRecord ? platform::WINDOW_FRAME_NO_RECORD : 0;
    } else {
        long long nEvent = 0;
        if (vPositional.size() != (bNoData ? 1u : 2u) ||
            !ParseNumber(vPositional[0].c_str(), nEvent)) {
            return Usage();
        }
        frame.lParam = nEvent; // the copy-data record's dwData
        if (bNoData) {
            frame.nFlags = platform::WINDOW_FRAME_NO_DATA;
        } else if (!ReadInput(vPositional[1], frame.strPayload)) {
            std::fprintf(stderr, "nubeq-send: cannot read %s\n", vPositional[1].c_str());
            return 2;
        } else {
            frame.strPayload.push_back('\0'); // the agent sends a terminated text
        }
    }
    if (bPost) {
        frame.nFlags |= platform::WINDOW_FRAME_POST;
    }

    if (nWindow == 0) {
        if (strHome.empty()) {
            strHome =
                agentstub::ProgramFolder(agentstub::ModuleFolder(reinterpret_cast<void*>(&main)));
        }
        nWindow = agentstub::BoundWindow(strHome);
    }
    if (nWindow == 0) {
        nWindow = platform::FindRegisteredWindow(kMainWindowClass, kMainWindowTitle);
    }
    if (nWindow == 0) {
        std::fputs("nubeq-send: no window to deliver to (is the program running?)\n", stderr);
        return 1;
    }

    platform::CWindowEndpointClient client;
    std::string strError;
    if (!client.Connect(static_cast<intptr_t>(nWindow), strError)) {
        std::fprintf(stderr, "nubeq-send: %s\n", strError.c_str());
        return 1;
    }
    bool bWritten = client.SendRaw(bRaw ? strRaw : platform::EncodeWindowFrame(frame), strError);
    if (!bWritten) {
        std::fprintf(stderr, "nubeq-send: %s\n", strError.c_str());
        return 1;
    }
    if (nHold > 0) {
        agentstub::SleepMs(static_cast<long>(nHold));
    }
    if (bPost) {
        std::puts("posted");
        return 0;
    }
    platform::SWindowReply reply;
    if (!client.ReadReply(reply, static_cast<int>(nTimeout), strError)) {
        bool bClosed = strError.find("without a reply") != std::string::npos;
        std::fprintf(stderr, "nubeq-send: %s\n", strError.c_str());
        return bClosed ? 5 : 1;
    }
    if (reply.nStatus == platform::WINDOW_REPLY_REFUSED) {
        std::puts("refused");
        return 4;
    }
    std::printf("result %lld\n", static_cast<long long>(reply.nResult));
    return reply.nResult != 0 ? 0 : 3;
}
