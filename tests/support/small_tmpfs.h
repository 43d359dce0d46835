// A small tmpfs mounted for one test, to meet a full disk for real. Mounting
// needs the right to mount (root or a mount namespace); where the test may
// not, Mounted() is false and Why() says so, for a clear skip.
#pragma once

#include <string>

namespace testsupport {

class CSmallTmpfs
{
public:
    // A tmpfs of nKiB kibibytes on a fresh temporary folder.
    explicit CSmallTmpfs(int nKiB);
    ~CSmallTmpfs(); // unmounts (lazily) and removes the folder
    CSmallTmpfs(const CSmallTmpfs&) = delete;
    CSmallTmpfs& operator=(const CSmallTmpfs&) = delete;

    bool Mounted() const { return m_bMounted; }
    const std::string& Why() const { return m_strWhy; }
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& strName) const { return m_strPath + "/" + strName; }

    // Writes a filler file until the file system refuses more (ENOSPC).
    // False when it never refused.
    bool Fill() const;
    // Removes the filler: room again.
    void Empty() const;

private:
    std::string m_strPath;
    std::string m_strWhy;
    bool m_bMounted = false;
};

} // namespace testsupport
