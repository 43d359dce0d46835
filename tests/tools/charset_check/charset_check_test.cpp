// The build check of the Qt / CP949 split on small trees of its own.
#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(CharsetCheckTest, EachSideOfTheSplit)
{
    testsupport::CTempProgramFolder tree;
    tree.WriteFile("ui/strings.h", "inline const char* Title() { return \"젤코르\"; }\n");
    tree.WriteFile("ui/qt_ok.cpp",
                   "// 주석은 괜찮다 \"따옴표\"\n/* 여러 줄\n 주석 */\n"
                   "#include <QWidget>\nauto a = u\"한글\"; auto b = u8\"한\";\n"
                   "auto c = R\"x(ascii \" only)x\"; char d = 'q'; int e = 1'000;\n");
    tree.WriteFile("ui/qt_literal.cpp", "#include <QString>\n\nconst char* p = \"프린터\";\n");
    tree.WriteFile("ui/qt_raw.cpp", "const char* p = R\"(\n원시)\";\n");
    tree.WriteFile("ui/qt_header.cpp", "#include \"ui/strings.h\"\n");
    tree.WriteFile("core/plain.h", "#pragma once\n#include \"core/deeper.h\"\n");
    tree.WriteFile("core/deeper.h", "#pragma once\n#include <QtCore/QObject>\n");
    tree.WriteFile("core/cp949_ok.cpp", "#include <string>\nconst char* p = \"프린터\";\n");
    tree.WriteFile("core/cp949_qt.cpp", "#include \"core/plain.h\"\n");
    struct SCase
    {
        const char* pszMode;
        const char* pszFile;
        int nExit;
        const char* pszMessage;
    } cases[] = {
        {"--qt", "ui/qt_ok.cpp", 0, ""},
        {"--qt", "ui/qt_literal.cpp", 1, "qt_literal.cpp:3: non-ASCII narrow literal"},
        {"--qt", "ui/qt_raw.cpp", 1, "qt_raw.cpp:1: non-ASCII narrow literal"},
        {"--qt", "ui/qt_header.cpp", 1, "strings.h:1: non-ASCII narrow literal"},
        {"--cp949", "core/cp949_ok.cpp", 0, ""},
        {"--cp949", "core/cp949_qt.cpp", 1,
         "deeper.h:2: Qt header <QtCore/QObject> in a CP949 translation unit (cp949_qt.cpp -> "
         "plain.h -> deeper.h)"},
    };
    for (const SCase& c : cases) {
        std::string strOut;
        int nExit = testsupport::RunProgram(
            {ZELKOR_CHARSET_CHECK_EXE, "--root", tree.Path(), c.pszMode, tree.File(c.pszFile)}, {},
            &strOut);
        EXPECT_EQ(nExit, c.nExit) << c.pszFile << "\n" << strOut;
        EXPECT_NE(strOut.find(c.pszMessage), std::string::npos) << c.pszFile << "\n" << strOut;
    }
}

} // namespace
