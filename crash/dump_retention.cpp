// Dump retention: each round lists the folder once, sums the prefix's
// dumps and remembers the smallest name, so nothing but that one name
// is kept between entries.
#include "crash/dump_retention.h"

#include "crash/safe_text.h"
#include "platform/signal_safe.h"

#include <cstring>

namespace {

struct SRound
{
    const char* pszPrefix;
    size_t nPrefixLength;
    const char* pszKeepName;
    uint64_t nTotal = 0;
    bool bHaveOldest = false;
    char szOldest[256] = {};
};

bool IsPrefixDump(const char* pszName, const SRound& round)
{
    size_t nLength = std::strlen(pszName);
    return nLength >= round.nPrefixLength + 1 + 4 &&
           std::strncmp(pszName, round.pszPrefix, round.nPrefixLength) == 0 &&
           pszName[round.nPrefixLength] == '_' && std::strcmp(pszName + nLength - 4, ".dmp") == 0;
}

bool CountEntry(const char* pszName, uint64_t nSize, void* pContext)
{
    auto& round = *static_cast<SRound*>(pContext);
    if (!IsPrefixDump(pszName, round)) {
        return true;
    }
    round.nTotal += nSize;
    if (std::strcmp(pszName, round.pszKeepName) == 0 ||
        std::strlen(pszName) >= sizeof(round.szOldest)) {
        return true;
    }
    if (!round.bHaveOldest || std::strcmp(pszName, round.szOldest) < 0) {
        std::strcpy(round.szOldest, pszName);
        round.bHaveOldest = true;
    }
    return true;
}

} // namespace

int ApplyDumpRetention(const char* pszFolder, const char* pszPrefix, const char* pszKeepName)
{
    int nDeleted = 0;
    while (nDeleted < kDumpRetentionMaxDeletes) {
        SRound round{pszPrefix, std::strlen(pszPrefix), pszKeepName != nullptr ? pszKeepName : ""};
        if (!platform::SafeListDirectory(pszFolder, CountEntry, &round) ||
            round.nTotal < kDumpRetentionBytes || !round.bHaveOldest) {
            break;
        }
        CSafeText<1400> path;
        path.Add(pszFolder).AddChar('/').Add(round.szOldest);
        if (path.IsCut() || !platform::SafeRemoveFile(path.Text())) {
            break;
        }
        ++nDeleted;
    }
    return nDeleted;
}
