// The runtime directory: XDG_RUNTIME_DIR, else a private folder under /tmp
// that is refused when someone else could reach it.
#include "platform/runtime_dir.h"
#include "tests/support/runtime_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Restores XDG_RUNTIME_DIR at the end of a test that removes it.
class CXdgUnset
{
public:
    CXdgUnset()
    {
        if (const char* pszOld = std::getenv("XDG_RUNTIME_DIR")) {
            m_bHad = true;
            m_strOld = pszOld;
        }
        unsetenv("XDG_RUNTIME_DIR");
    }
    ~CXdgUnset()
    {
        if (m_bHad) {
            setenv("XDG_RUNTIME_DIR", m_strOld.c_str(), 1);
        }
    }

private:
    bool m_bHad = false;
    std::string m_strOld;
};

TEST(RuntimeDirTest, XdgRuntimeDirWins)
{
    testsupport::CTempRuntimeDir runtime;
    setenv("XDG_RUNTIME_DIR", (runtime.Path() + "/").c_str(), 1);
    std::string strDir;
    std::string strError;
    ASSERT_TRUE(platform::GetRuntimeDirectory(strDir, strError)) << strError;
    EXPECT_EQ(strDir, runtime.Path());
}

TEST(RuntimeDirTest, FallbackIsAPrivateFolderUnderTmp)
{
    CXdgUnset unset;
    // A value that names no directory counts as unset.
    setenv("XDG_RUNTIME_DIR", "/nonexistent/zelkor", 1);
    std::string strDir;
    std::string strError;
    ASSERT_TRUE(platform::GetRuntimeDirectory(strDir, strError)) << strError;
    EXPECT_EQ(strDir, "/tmp/zelkor-" + std::to_string(geteuid()));
    struct stat info = {};
    ASSERT_EQ(lstat(strDir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
}

TEST(RuntimeDirTest, ForeignOrOpenFoldersAreRefused)
{
    testsupport::CTempRuntimeDir scratch; // a private place for the cases
    const std::string strBase = scratch.Path();

    std::string strError;
    EXPECT_TRUE(platform::CheckPrivateDirectory(strBase, strError)) << strError;

    const std::string strOpen = strBase + "/open";
    ASSERT_EQ(mkdir(strOpen.c_str(), 0700), 0);
    ASSERT_EQ(chmod(strOpen.c_str(), 0755), 0);
    EXPECT_FALSE(platform::CheckPrivateDirectory(strOpen, strError));
    EXPECT_NE(strError.find("open to other users (mode 755)"), std::string::npos) << strError;

    const std::string strLink = strBase + "/link";
    ASSERT_EQ(symlink(strBase.c_str(), strLink.c_str()), 0);
    EXPECT_FALSE(platform::CheckPrivateDirectory(strLink, strError));
    EXPECT_NE(strError.find("is a symbolic link"), std::string::npos) << strError;

    const std::string strFile = strBase + "/file";
    std::FILE* pFile = std::fopen(strFile.c_str(), "w");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    EXPECT_FALSE(platform::CheckPrivateDirectory(strFile, strError));
    EXPECT_NE(strError.find("cannot be opened"), std::string::npos) << strError;

    if (geteuid() == 0) {
        // Only root can hand a folder to another user.
        const std::string strForeign = strBase + "/foreign";
        ASSERT_EQ(mkdir(strForeign.c_str(), 0700), 0);
        ASSERT_EQ(chown(strForeign.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(platform::CheckPrivateDirectory(strForeign, strError));
        EXPECT_NE(strError.find("is owned by uid 65534"), std::string::npos) << strError;
    }
}

} // namespace
