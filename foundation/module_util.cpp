// The program folder, version stamp, text files and MD5 digests.
#include "foundation/module_util.h"

#include "foundation/simple_log.h"
#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/program_folder.h"
#include "platform/program_names.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <openssl/evp.h>

std::string GetModulePath()
{
    return platform::GetProgramFolder();
}

std::string GetFileVersion(const char* pszFileName)
{
    if (pszFileName == nullptr || *pszFileName == '\0') {
        return "";
    }
    std::string strName = pszFileName;
    std::string strPath =
        strName[0] == '/' ? strName
                          : platform::JoinPath(GetModulePath(), platform::LocalFileName(strName));
    std::string strStamp = platform::ReadVersionStamp(strPath);

    // Four numbers 0..65535 separated by dots, printed again as "%d.%d.%d.%d"
    // so a stamp of another shape never reaches the log as a version.
    unsigned nPart[4] = {};
    char chEnd = 0;
    if (std::sscanf(strStamp.c_str(), "%5u.%5u.%5u.%5u%c", &nPart[0], &nPart[1], &nPart[2],
                    &nPart[3], &chEnd) != 4) {
        return "";
    }
    for (unsigned nValue : nPart) {
        if (nValue > 0xFFFF) {
            return "";
        }
    }
    char szVersion[32];
    std::snprintf(szVersion, sizeof(szVersion), "%d.%d.%d.%d", static_cast<int>(nPart[0]),
                  static_cast<int>(nPart[1]), static_cast<int>(nPart[2]),
                  static_cast<int>(nPart[3]));
    return szVersion;
}

std::string ReadTextFile(const char* pszPath)
{
    if (pszPath == nullptr) {
        return "";
    }
    std::ifstream file(pszPath, std::ios::binary);
    if (!file) {
        return "";
    }
    std::string strText;
    std::string strLine;
    while (std::getline(file, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (!strLine.empty()) {
            strText += strLine;
            strText += "\r\n";
        }
    }
    return strText;
}

bool GetMD5(const char* pszPath, std::string& strText)
{
    strText.clear();
    if (pszPath == nullptr) {
        strText = platform::ErrorText(EINVAL);
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(std::fopen(pszPath, "rb"), &std::fclose);
    if (!pFile) {
        strText = platform::ErrorText(errno);
        LOG_PRINT(LOG_ERROR, "[%s] Open [%s] Fail... [%s]", "GetMD5", pszPath, strText.c_str());
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> pContext(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!pContext || EVP_DigestInit_ex(pContext.get(), EVP_md5(), nullptr) != 1) {
        strText = "MD5 digest not available";
        LOG_PRINT(LOG_ERROR, "[%s] %s", "GetMD5", strText.c_str());
        return false;
    }
    unsigned char szBlock[1024];
    for (;;) {
        size_t nRead = std::fread(szBlock, 1, sizeof(szBlock), pFile.get());
        if (nRead > 0) {
            EVP_DigestUpdate(pContext.get(), szBlock, nRead);
        }
        if (nRead < sizeof(szBlock)) {
            if (std::ferror(pFile.get())) {
                strText = platform::ErrorText(errno);
                LOG_PRINT(LOG_ERROR, "[%s] Read [%s] Fail... [%s]", "GetMD5", pszPath,
                          strText.c_str());
                return false;
            }
            break;
        }
    }
    unsigned char szDigest[EVP_MAX_MD_SIZE];
    unsigned int nDigest = 0;
    EVP_DigestFinal_ex(pContext.get(), szDigest, &nDigest);
    static const char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < nDigest; ++i) {
        strText += kHex[szDigest[i] >> 4];
        strText += kHex[szDigest[i] & 0x0F];
    }
    return true;
}
