// Windows program names to local names, and process-name comparison.
#include "platform/program_names.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramNamesTest, LocalFileName)
{
    struct SCase
    {
        const char* pszWindows;
        const char* pszLocal;
    } cases[] = {
        {"Zelkor.exe", "Zelkor"},
        {"NUBEQ.exe", "NUBEQ"},
        {"NUBEQ_LOG.exe", "NUBEQ_LOG"},
        {"NUBEQ_IF.dll", "libNUBEQ_IF.so"},
        {"nubeq_if.DLL", "libnubeq_if.so"},
        {"unins000.EXE", "unins000"},
        {"ZelkorUnInstall.exe", "ZelkorUnInstall"},
        {"Config.ini", "Config.ini"},
        {"Zelkor", "Zelkor"},
        {".exe", ".exe"},
        {"", ""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::LocalFileName(c.pszWindows), c.pszLocal) << c.pszWindows;
    }
}

TEST(ProgramNamesTest, SameProcessName)
{
    struct SCase
    {
        const char* pszA;
        const char* pszB;
        bool bSame;
    } cases[] = {
        {"NUBEQ.exe", "NUBEQ", true},      {"nubeq.EXE", "NUBEQ", true},
        {"NUBEQ.exe", "nubeq.exe", true},  {"NUBEQ.exe", "NUBEQ_LOG", false},
        {"NUBEQ.exe.exe", "NUBEQ", false}, {"NUBEQ", "NUBE", false},
        {"Zelkor", "zelkor", true},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::SameProcessName(c.pszA, c.pszB), c.bSame) << c.pszA << " " << c.pszB;
    }
}

} // namespace
