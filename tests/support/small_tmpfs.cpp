// A small tmpfs for full-disk tests.
#include "tests/support/small_tmpfs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

CSmallTmpfs::CSmallTmpfs(int nKiB)
{
    char szTemplate[] = "/tmp/zelkor-tmpfs-XXXXXX";
    if (mkdtemp(szTemplate) == nullptr) {
        m_strWhy = std::string("mkdtemp failed: ") + std::strerror(errno);
        return;
    }
    m_strPath = szTemplate;
    const std::string strOptions = "size=" + std::to_string(nKiB) + "k,mode=0755";
    if (mount("tmpfs", m_strPath.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, strOptions.c_str()) != 0) {
        m_strWhy = std::string("this test may not mount a tmpfs (") + std::strerror(errno) +
                   "); it needs the right to mount, e.g. root";
        return;
    }
    m_bMounted = true;
}

CSmallTmpfs::~CSmallTmpfs()
{
    if (m_bMounted) {
        umount2(m_strPath.c_str(), MNT_DETACH);
    }
    if (!m_strPath.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_strPath, error);
    }
}

bool CSmallTmpfs::Fill() const
{
    const std::string strFiller = File(".filler");
    int hFile = ::open(strFiller.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (hFile < 0) {
        return errno == ENOSPC;
    }
    char block[4096];
    std::memset(block, 'f', sizeof(block));
    bool bFull = false;
    for (int i = 0; i < 1 << 20; ++i) {
        if (::write(hFile, block, sizeof(block)) < 0) {
            bFull = errno == ENOSPC;
            break;
        }
    }
    ::close(hFile);
    return bFull;
}

void CSmallTmpfs::Empty() const
{
    ::unlink(File(".filler").c_str());
}

} // namespace testsupport
