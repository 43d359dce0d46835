// CShopFiles: stamp-checked copies of Config.ini and the origin notice.
#include "printing/shop_files.h"

#include "platform/program_folder.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kConfigFileName = "Config.ini";
constexpr const char* kNoticeFileName = "Store_Orgin.dat";

// Drops a CP949 lead byte that lost its trail byte to a cut.
void TrimSplitCharacter(std::string& strText)
{
    size_t nLength = 0;
    while (nLength < strText.size()) {
        const auto byLead = static_cast<unsigned char>(strText[nLength]);
        const size_t nChar = (byLead >= 0x81 && byLead <= 0xFE) ? 2 : 1;
        if (nLength + nChar > strText.size()) {
            break;
        }
        nLength += nChar;
    }
    strText.resize(nLength);
}

// Read only: nothing is written to the agent's file.
std::shared_ptr<const SOriginNoticeFile> ReadNotice(const std::string& strPath)
{
    auto pNotice = std::make_shared<SOriginNoticeFile>();
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (pFile == nullptr) {
        return pNotice;
    }
    long nSize = -1;
    if (fseek(pFile, 0, SEEK_END) == 0) {
        nSize = ftell(pFile);
        rewind(pFile);
    }
    if (nSize > 0) {
        const long nWanted =
            nSize < SOriginNoticeFile::kMaxBytes ? nSize : SOriginNoticeFile::kMaxBytes;
        std::string strText(static_cast<size_t>(nWanted), '\0');
        const size_t nCount = fread(strText.data(), 1, strText.size(), pFile);
        strText.resize(nCount);
        // The text ends at its first NUL, as a C string would.
        strText.resize(strlen(strText.c_str()));
        if (nSize > SOriginNoticeFile::kMaxBytes) {
            TrimSplitCharacter(strText);
        }
        pNotice->bRead = true;
        pNotice->strText = std::move(strText);
        pNotice->nCount = static_cast<int>(nCount);
        pNotice->nSize = static_cast<int>(nSize);
    }
    fclose(pFile);
    return pNotice;
}

} // namespace

// The stamp is taken before the read: a change while reading shows as a new
// stamp at the next call and is read then.
template <class T, class Reader>
std::shared_ptr<const T> CShopFiles::Current(SEntry<T>& entry, const std::string& strPath,
                                             Reader fnRead)
{
    const platform::FileStamp stamp = platform::GetFileStamp(strPath);
    std::lock_guard guard(m_Lock);
    if (entry.pValue == nullptr || entry.strPath != strPath || !(entry.stamp == stamp)) {
        entry.pValue = fnRead(strPath);
        entry.strPath = strPath;
        entry.stamp = stamp;
    }
    return entry.pValue;
}

std::shared_ptr<const CIniSnapshot> CShopFiles::GetConfig()
{
    const std::string strPath = platform::JoinPath(platform::GetProgramFolder(), kConfigFileName);
    return Current(m_Config, strPath, [](const std::string& strFile) {
        return std::make_shared<const CIniSnapshot>(strFile.c_str());
    });
}

std::shared_ptr<const SOriginNoticeFile> CShopFiles::GetOriginNotice()
{
    const std::string strPath = platform::JoinPath(platform::GetProgramFolder(), kNoticeFileName);
    return Current(m_Notice, strPath, &ReadNotice);
}

CShopFiles& ShopFiles()
{
    static CShopFiles* const s_pFiles = new CShopFiles;
    return *s_pFiles;
}
