// Reads the version section of an ELF file through its section headers.
// The file may come from anywhere, so every offset is checked against the
// file size before it is used.
#include "platform/file_version.h"

#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <vector>

namespace platform {

namespace {

constexpr uint64_t kMaxSectionBytes = 4096; // a stamp is a few dozen bytes

struct SSection
{
    uint32_t nName = 0;
    uint32_t nType = 0;
    uint64_t nOffset = 0;
    uint64_t nSize = 0;
};

class CElfReader
{
public:
    explicit CElfReader(const std::string& strPath) : m_File(strPath, std::ios::binary)
    {
        m_File.seekg(0, std::ios::end);
        std::streamoff nSize = m_File.tellg();
        m_nFileSize = nSize > 0 ? static_cast<uint64_t>(nSize) : 0;
    }

    bool Read(uint64_t nOffset, void* pData, uint64_t nLength)
    {
        if (!m_File || nOffset > m_nFileSize || nLength > m_nFileSize - nOffset) {
            return false;
        }
        m_File.seekg(static_cast<std::streamoff>(nOffset));
        m_File.read(static_cast<char*>(pData), static_cast<std::streamsize>(nLength));
        return static_cast<bool>(m_File);
    }

    // The section headers of a little- or big-endian native-width file;
    // only files of this machine's byte order are read.
    bool Sections(std::vector<SSection>& vSections, uint16_t& nNameIndex)
    {
        unsigned char ident[EI_NIDENT];
        if (!Read(0, ident, sizeof(ident)) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
            return false;
        }
        if (ident[EI_DATA] != (IsLittleEndian() ? ELFDATA2LSB : ELFDATA2MSB)) {
            return false;
        }
        if (ident[EI_CLASS] == ELFCLASS64) {
            return ReadSections<Elf64_Ehdr, Elf64_Shdr>(vSections, nNameIndex);
        }
        if (ident[EI_CLASS] == ELFCLASS32) {
            return ReadSections<Elf32_Ehdr, Elf32_Shdr>(vSections, nNameIndex);
        }
        return false;
    }

private:
    static bool IsLittleEndian()
    {
        uint16_t nProbe = 1;
        unsigned char chFirst;
        std::memcpy(&chFirst, &nProbe, 1);
        return chFirst == 1;
    }

    template <typename THeader, typename TSection>
    bool ReadSections(std::vector<SSection>& vSections, uint16_t& nNameIndex)
    {
        THeader header;
        if (!Read(0, &header, sizeof(header)) || header.e_shentsize != sizeof(TSection) ||
            header.e_shnum == 0) {
            return false;
        }
        nNameIndex = header.e_shstrndx;
        for (uint16_t i = 0; i < header.e_shnum; ++i) {
            TSection section;
            if (header.e_shoff > UINT64_MAX - uint64_t{i} * sizeof(TSection) ||
                !Read(header.e_shoff + uint64_t{i} * sizeof(TSection), &section, sizeof(section))) {
                return false;
            }
            vSections.push_back(
                SSection{section.sh_name, section.sh_type, section.sh_offset, section.sh_size});
        }
        return nNameIndex < vSections.size();
    }

    std::ifstream m_File;
    uint64_t m_nFileSize = 0;
};

} // namespace

std::string ReadVersionStamp(const std::string& strPath)
{
    CElfReader reader(strPath);
    std::vector<SSection> vSections;
    uint16_t nNameIndex = 0;
    if (!reader.Sections(vSections, nNameIndex)) {
        return "";
    }
    const SSection& names = vSections[nNameIndex];
    const std::string strWanted = kVersionSectionName;
    for (const SSection& section : vSections) {
        if (section.nType == SHT_NOBITS || section.nSize == 0 || section.nSize > kMaxSectionBytes ||
            section.nName >= names.nSize || names.nSize - section.nName < strWanted.size() + 1) {
            continue;
        }
        std::string strName(strWanted.size() + 1, '\0');
        if (names.nOffset > UINT64_MAX - section.nName ||
            !reader.Read(names.nOffset + section.nName, strName.data(), strName.size()) ||
            strName.compare(0, strWanted.size(), strWanted) != 0 ||
            strName[strWanted.size()] != '\0') {
            continue;
        }
        std::string strData(section.nSize, '\0');
        if (!reader.Read(section.nOffset, strData.data(), strData.size())) {
            return "";
        }
        strData.resize(strnlen(strData.data(), strData.size()));
        const std::string strPrefix = kVersionStampPrefix;
        if (strData.compare(0, strPrefix.size(), strPrefix) != 0) {
            return "";
        }
        return strData.substr(strPrefix.size());
    }
    return "";
}

} // namespace platform
