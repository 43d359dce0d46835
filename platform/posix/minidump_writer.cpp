// Minidump writer from inside a signal handler: /proc/self/maps for the
// modules and the stack's extent, /proc/self/mem to read memory without
// faulting, /proc/self/task for the threads, the signal's ucontext for
// the crashing thread's registers. Records are laid out byte by byte at
// fixed offsets (the format is packed little-endian).
#include "platform/minidump_writer.h"

#include "platform/signal_safe.h"

#include <cstring>
#include <ctime>
#include <initializer_list>
#include <link.h>
#include <sched.h>
#include <sys/utsname.h>
#include <ucontext.h>
#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace platform {
namespace {

constexpr uint32_t kSignature = 0x504d444d; // "MDMP"
constexpr uint32_t kVersion = 0xa793;

constexpr uint32_t kThreadListStream = 3;
constexpr uint32_t kModuleListStream = 4;
constexpr uint32_t kMemoryListStream = 5;
constexpr uint32_t kExceptionStream = 6;
constexpr uint32_t kSystemInfoStream = 7;
constexpr uint32_t kMiscInfoStream = 15;
constexpr uint32_t kLinuxProcStatusStream = 0x47670003;
constexpr uint32_t kLinuxMapsStream = 0x47670009;
constexpr uint32_t kStreamCount = 8;

constexpr size_t kHeaderSize = 32;
constexpr size_t kDirectoryEntrySize = 12;
constexpr size_t kThreadSize = 48;
constexpr size_t kModuleSize = 108;
constexpr size_t kMemoryDescriptorSize = 16;
constexpr size_t kExceptionSize = 168;
constexpr size_t kSystemInfoSize = 56;
constexpr size_t kMiscInfoSize = 24;

constexpr uint16_t kArchitectureAmd64 = 9;
constexpr uint16_t kArchitectureUnknown = 0xffff;
constexpr uint32_t kPlatformLinux = 0x8201;
constexpr uint32_t kCvSignatureElf = 0x4270454c; // "BpEL"
constexpr uint32_t kMiscProcessId = 1;

#if __SIZEOF_POINTER__ == 8
constexpr unsigned char kElfClass = ELFCLASS64;
#else
constexpr unsigned char kElfClass = ELFCLASS32;
#endif

// The x86-64 thread context record.
constexpr size_t kContextSize = 1232;
constexpr uint32_t kContextAmd64 = 0x00100000;
constexpr uint32_t kContextControl = 0x1;
constexpr uint32_t kContextInteger = 0x2;
constexpr uint32_t kContextSegments = 0x4;
constexpr uint32_t kContextFloatingPoint = 0x8;

// Below the stack pointer the x86-64 ABI lets a function keep 128 bytes.
constexpr uint64_t kRedZone = 128;

constexpr size_t kMapsCapacity = 1024 * 1024;
constexpr size_t kStatusCapacity = 16 * 1024;
constexpr size_t kMaxModules = 1024;
constexpr size_t kMaxThreads = 4096;
constexpr size_t kMaxBuildId = 64;
constexpr size_t kMaxProgramHeaders = 64;
constexpr size_t kNoteCapacity = 4096;
constexpr size_t kMaxWideChars = 4096;

struct SModule
{
    uint64_t nBase;
    uint64_t nEnd;
    const char* pPath;
    size_t nPathLength;
};

// Everything large lives here, outside the signal stack. One dump at a
// time (the crash handler lets one thread through).
struct SScratch
{
    char maps[kMapsCapacity];
    char status[kStatusCapacity];
    SModule modules[kMaxModules];
    uint32_t threads[kMaxThreads];
    uint8_t stack[kDumpStackBytes];
    uint8_t context[kContextSize];
    ElfW(Phdr) programHeaders[kMaxProgramHeaders];
    uint8_t note[kNoteCapacity];
    uint8_t record[kMaxBuildId + 8];
    uint8_t string[4 + 2 * (kMaxWideChars + 1)];
};
SScratch g_Scratch;

void Put16(uint8_t* p, uint16_t nValue)
{
    std::memcpy(p, &nValue, sizeof(nValue));
}
void Put32(uint8_t* p, uint32_t nValue)
{
    std::memcpy(p, &nValue, sizeof(nValue));
}
void Put64(uint8_t* p, uint64_t nValue)
{
    std::memcpy(p, &nValue, sizeof(nValue));
}

struct SLocation
{
    uint32_t nSize = 0;
    uint32_t nRva = 0;
};

void PutLocation(uint8_t* p, const SLocation& location)
{
    Put32(p, location.nSize);
    Put32(p + 4, location.nRva);
}

// The dump file: records are appended at 8-byte boundaries (the gaps
// read as zeros) and the header is written last.
class CDumpOut
{
public:
    explicit CDumpOut(int hFile) : m_hFile(hFile) {}

    SLocation Append(const void* pData, size_t nLength)
    {
        SLocation location = Reserve(nLength);
        WriteAt(location.nRva, pData, nLength);
        return location;
    }
    SLocation Reserve(size_t nLength)
    {
        m_nEnd = (m_nEnd + 7) & ~uint64_t{7};
        SLocation location{static_cast<uint32_t>(nLength), static_cast<uint32_t>(m_nEnd)};
        m_nEnd += nLength;
        if (m_nEnd > UINT32_MAX) {
            m_bOk = false;
        }
        return location;
    }
    void WriteAt(uint64_t nOffset, const void* pData, size_t nLength)
    {
        if (nLength > 0 && !SafeWriteAllAt(m_hFile, pData, nLength, nOffset)) {
            m_bOk = false;
        }
    }
    bool IsOk() const { return m_bOk; }

private:
    int m_hFile;
    uint64_t m_nEnd = 0;
    bool m_bOk = true;
};

// A text as the format's string record: byte length, UTF-16, a zero.
uint32_t AppendString(CDumpOut& out, const char* pText, size_t nLength)
{
    uint8_t* pOut = g_Scratch.string + 4;
    size_t nUnits = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(pText);
    const unsigned char* pEnd = p + nLength;
    while (p < pEnd && nUnits + 2 <= kMaxWideChars) {
        uint32_t nChar = *p++;
        int nMore = 0;
        if (nChar >= 0xf0) {
            nChar &= 0x07;
            nMore = 3;
        } else if (nChar >= 0xe0) {
            nChar &= 0x0f;
            nMore = 2;
        } else if (nChar >= 0xc0) {
            nChar &= 0x1f;
            nMore = 1;
        } else if (nChar >= 0x80) {
            nChar = 0xfffd;
        }
        for (; nMore > 0; --nMore) {
            if (p >= pEnd || (*p & 0xc0) != 0x80) {
                nChar = 0xfffd;
                break;
            }
            nChar = (nChar << 6) | (*p++ & 0x3f);
        }
        if (nChar >= 0x10000) {
            nChar -= 0x10000;
            Put16(pOut + 2 * nUnits++, static_cast<uint16_t>(0xd800 + (nChar >> 10)));
            Put16(pOut + 2 * nUnits++, static_cast<uint16_t>(0xdc00 + (nChar & 0x3ff)));
        } else {
            Put16(pOut + 2 * nUnits++, static_cast<uint16_t>(nChar));
        }
    }
    Put16(pOut + 2 * nUnits, 0);
    Put32(g_Scratch.string, static_cast<uint32_t>(2 * nUnits));
    return out.Append(g_Scratch.string, 4 + 2 * nUnits + 2).nRva;
}

// One line of /proc/self/maps.
struct SMapLine
{
    uint64_t nStart = 0;
    uint64_t nEnd = 0;
    uint64_t nOffset = 0;
    uint64_t nInode = 0;
    bool bReadable = false;
    const char* pPath = nullptr;
    size_t nPathLength = 0;
};

uint64_t ParseNumber(const char*& p, const char* pEnd, unsigned nBase)
{
    uint64_t nValue = 0;
    for (; p < pEnd; ++p) {
        unsigned nDigit;
        if (*p >= '0' && *p <= '9') {
            nDigit = static_cast<unsigned>(*p - '0');
        } else if (nBase == 16 && *p >= 'a' && *p <= 'f') {
            nDigit = static_cast<unsigned>(*p - 'a' + 10);
        } else {
            break;
        }
        nValue = nValue * nBase + nDigit;
    }
    return nValue;
}

void SkipBlanks(const char*& p, const char* pEnd)
{
    while (p < pEnd && *p == ' ') {
        ++p;
    }
}

// "start-end perms offset dev inode path": false at the end of the text.
bool NextMapLine(const char*& p, const char* pEnd, SMapLine& line)
{
    if (p >= pEnd) {
        return false;
    }
    const char* pLineEnd = p;
    while (pLineEnd < pEnd && *pLineEnd != '\n') {
        ++pLineEnd;
    }
    line = SMapLine{};
    line.nStart = ParseNumber(p, pLineEnd, 16);
    if (p < pLineEnd && *p == '-') {
        ++p;
    }
    line.nEnd = ParseNumber(p, pLineEnd, 16);
    SkipBlanks(p, pLineEnd);
    line.bReadable = p < pLineEnd && *p == 'r';
    while (p < pLineEnd && *p != ' ') {
        ++p;
    }
    SkipBlanks(p, pLineEnd);
    line.nOffset = ParseNumber(p, pLineEnd, 16);
    SkipBlanks(p, pLineEnd);
    while (p < pLineEnd && *p != ' ') { // device
        ++p;
    }
    SkipBlanks(p, pLineEnd);
    line.nInode = ParseNumber(p, pLineEnd, 10);
    SkipBlanks(p, pLineEnd);
    line.pPath = p;
    line.nPathLength = static_cast<size_t>(pLineEnd - p);
    p = pLineEnd < pEnd ? pLineEnd + 1 : pLineEnd;
    return true;
}

bool SamePath(const SModule& module, const SMapLine& line)
{
    return module.nPathLength == line.nPathLength &&
           std::memcmp(module.pPath, line.pPath, line.nPathLength) == 0;
}

// Every file mapped from offset 0, with the mappings of the same file
// that follow it.
size_t CollectModules(const char* pMaps, size_t nMapsLength)
{
    size_t nModules = 0;
    const char* p = pMaps;
    const char* pEnd = pMaps + nMapsLength;
    SMapLine line;
    while (NextMapLine(p, pEnd, line)) {
        if (line.nInode == 0 || line.nPathLength == 0 || line.pPath[0] != '/') {
            continue;
        }
        if (nModules > 0 && SamePath(g_Scratch.modules[nModules - 1], line) &&
            line.nStart >= g_Scratch.modules[nModules - 1].nEnd) {
            g_Scratch.modules[nModules - 1].nEnd = line.nEnd;
            continue;
        }
        if (line.nOffset != 0 || nModules == kMaxModules) {
            continue;
        }
        g_Scratch.modules[nModules++] =
            SModule{line.nStart, line.nEnd, line.pPath, line.nPathLength};
    }
    return nModules;
}

// Drops the mapped files that are not ELF images (locale archives, data
// files): a debugger would try to load each as a module.
size_t KeepElfImages(int hMemory, size_t nModules)
{
    size_t nKept = 0;
    for (size_t i = 0; i < nModules; ++i) {
        unsigned char magic[SELFMAG];
        if (SafeReadAt(hMemory, magic, sizeof(magic), g_Scratch.modules[i].nBase) == SELFMAG &&
            std::memcmp(magic, ELFMAG, SELFMAG) == 0) {
            g_Scratch.modules[nKept++] = g_Scratch.modules[i];
        }
    }
    return nKept;
}

// The GNU build id from the ELF notes of the image loaded at nBase, read
// through /proc/self/mem. Its length (0 when there is none).
size_t ReadBuildId(int hMemory, uint64_t nBase, uint8_t* pBuildId)
{
    ElfW(Ehdr) header;
    if (SafeReadAt(hMemory, &header, sizeof(header), nBase) != sizeof(header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != kElfClass || header.e_phentsize != sizeof(ElfW(Phdr))) {
        return 0;
    }
    size_t nHeaders = header.e_phnum < kMaxProgramHeaders ? header.e_phnum : kMaxProgramHeaders;
    long nWanted = static_cast<long>(nHeaders * sizeof(ElfW(Phdr)));
    if (SafeReadAt(hMemory, g_Scratch.programHeaders, static_cast<size_t>(nWanted),
                   nBase + header.e_phoff) != nWanted) {
        return 0;
    }
    uint64_t nBias = nBase;
    for (size_t i = 0; i < nHeaders; ++i) {
        if (g_Scratch.programHeaders[i].p_type == PT_LOAD) {
            nBias = nBase -
                    (g_Scratch.programHeaders[i].p_vaddr - g_Scratch.programHeaders[i].p_offset);
            break;
        }
    }
    for (size_t i = 0; i < nHeaders; ++i) {
        const ElfW(Phdr)& program = g_Scratch.programHeaders[i];
        if (program.p_type != PT_NOTE) {
            continue;
        }
        size_t nSize = program.p_memsz < kNoteCapacity ? program.p_memsz : kNoteCapacity;
        long nRead = SafeReadAt(hMemory, g_Scratch.note, nSize, nBias + program.p_vaddr);
        if (nRead <= 0) {
            continue;
        }
        size_t nPos = 0;
        const size_t nAvailable = static_cast<size_t>(nRead);
        while (nPos + sizeof(ElfW(Nhdr)) <= nAvailable) {
            ElfW(Nhdr) note;
            std::memcpy(&note, g_Scratch.note + nPos, sizeof(note));
            size_t nName = (note.n_namesz + 3) & ~size_t{3};
            size_t nDesc = (note.n_descsz + 3) & ~size_t{3};
            size_t nDescPos = nPos + sizeof(note) + nName;
            if (nDescPos + note.n_descsz > nAvailable) {
                break;
            }
            if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 &&
                std::memcmp(g_Scratch.note + nPos + sizeof(note), "GNU", 4) == 0 &&
                note.n_descsz <= kMaxBuildId) {
                std::memcpy(pBuildId, g_Scratch.note + nDescPos, note.n_descsz);
                return note.n_descsz;
            }
            nPos = nDescPos + nDesc;
        }
    }
    return 0;
}

SLocation WriteModuleList(CDumpOut& out, int hMemory, size_t nModules)
{
    uint8_t count[4];
    Put32(count, static_cast<uint32_t>(nModules));
    // The names and build ids go after the list, which is filled in at the end.
    SLocation list = out.Reserve(4 + nModules * kModuleSize);
    out.WriteAt(list.nRva, count, sizeof(count));
    for (size_t i = 0; i < nModules; ++i) {
        const SModule& module = g_Scratch.modules[i];
        uint8_t record[kModuleSize] = {};
        Put64(record, module.nBase);
        Put32(record + 8, static_cast<uint32_t>(module.nEnd - module.nBase));
        Put32(record + 20, AppendString(out, module.pPath, module.nPathLength));
        Put32(g_Scratch.record, kCvSignatureElf);
        size_t nBuildId = ReadBuildId(hMemory, module.nBase, g_Scratch.record + 4);
        if (nBuildId > 0) {
            PutLocation(record + 76, out.Append(g_Scratch.record, 4 + nBuildId));
        }
        out.WriteAt(list.nRva + 4 + i * kModuleSize, record, sizeof(record));
    }
    return list;
}

// The readable memory from just below the stack pointer upwards, at most
// kDumpStackBytes; after a stack overflow the pointer may sit in the
// guard page, and the stack starts at the next readable mapping.
bool FindStackRange(uint64_t nStackPointer, const char* pMaps, size_t nMapsLength, uint64_t& nStart,
                    uint64_t& nLength)
{
    const uint64_t nFrom =
        nStackPointer > kRedZone ? (nStackPointer - kRedZone) & ~uint64_t{15} : 0;
    const char* p = pMaps;
    const char* pEnd = pMaps + nMapsLength;
    SMapLine line;
    while (NextMapLine(p, pEnd, line)) {
        if (!line.bReadable || line.nEnd <= nFrom) {
            continue;
        }
        if (line.nStart > nFrom && line.nStart - nFrom > kDumpStackBytes) {
            return false;
        }
        nStart = line.nStart > nFrom ? line.nStart : nFrom;
        nLength = line.nEnd - nStart < kDumpStackBytes ? line.nEnd - nStart : kDumpStackBytes;
        return true;
    }
    return false;
}

// The crashing thread's registers as the x86-64 context record.
bool BuildContext(const SCrashSignal& crash, uint64_t& nStackPointer)
{
    std::memset(g_Scratch.context, 0, sizeof(g_Scratch.context));
#if defined(__x86_64__)
    uint8_t* c = g_Scratch.context;
    Put32(c + 0x30, kContextAmd64);
    if (crash.pContext == nullptr) {
        return false;
    }
    const auto* pUser = static_cast<const ucontext_t*>(crash.pContext);
    const greg_t* g = pUser->uc_mcontext.gregs;
    Put32(c + 0x30, kContextAmd64 | kContextControl | kContextInteger | kContextSegments |
                        (pUser->uc_mcontext.fpregs != nullptr ? kContextFloatingPoint : 0));
    const auto nSegments = static_cast<uint64_t>(g[REG_CSGSFS]);
    Put16(c + 0x38, static_cast<uint16_t>(nSegments));       // cs
    Put16(c + 0x40, static_cast<uint16_t>(nSegments >> 16)); // gs
    Put16(c + 0x3e, static_cast<uint16_t>(nSegments >> 32)); // fs
    Put16(c + 0x42, static_cast<uint16_t>(nSegments >> 48)); // ss
    Put32(c + 0x44, static_cast<uint32_t>(g[REG_EFL]));
    const int order[] = {REG_RAX, REG_RCX, REG_RDX, REG_RBX, REG_RSP, REG_RBP,
                         REG_RSI, REG_RDI, REG_R8,  REG_R9,  REG_R10, REG_R11,
                         REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    for (size_t i = 0; i < sizeof(order) / sizeof(order[0]); ++i) {
        Put64(c + 0x78 + 8 * i, static_cast<uint64_t>(g[order[i]]));
    }
    if (pUser->uc_mcontext.fpregs != nullptr) {
        Put32(c + 0x34, pUser->uc_mcontext.fpregs->mxcsr);
        std::memcpy(c + 0x100, pUser->uc_mcontext.fpregs, 512);
    }
    nStackPointer = static_cast<uint64_t>(g[REG_RSP]);
    return true;
#else
    (void)crash;
    (void)nStackPointer;
    return false;
#endif
}

struct SThreadList
{
    size_t nCount = 0;
};

bool AddThread(uint64_t nThreadId, void* pContext)
{
    auto* pList = static_cast<SThreadList*>(pContext);
    if (pList->nCount < kMaxThreads) {
        g_Scratch.threads[pList->nCount++] = static_cast<uint32_t>(nThreadId);
    }
    return true;
}

SLocation WriteSystemInfo(CDumpOut& out)
{
    uint8_t record[kSystemInfoSize] = {};
    Put16(record, kArchitectureUnknown);
    Put32(record + 20, kPlatformLinux);
#if defined(__x86_64__)
    Put16(record, kArchitectureAmd64);
    unsigned nA = 0, nB = 0, nC = 0, nD = 0;
    if (__get_cpuid(0, &nA, &nB, &nC, &nD) != 0) {
        Put32(record + 32, nB);
        Put32(record + 36, nD);
        Put32(record + 40, nC);
    }
    if (__get_cpuid(1, &nA, &nB, &nC, &nD) != 0) {
        unsigned nFamily = (nA >> 8) & 0xf;
        unsigned nModel = (nA >> 4) & 0xf;
        if (nFamily == 0xf) {
            nFamily += (nA >> 20) & 0xff;
        }
        if (nFamily >= 6) {
            nModel += ((nA >> 16) & 0xf) << 4;
        }
        Put16(record + 2, static_cast<uint16_t>(nFamily));
        Put16(record + 4, static_cast<uint16_t>((nModel << 8) | (nA & 0xf)));
        Put32(record + 44, nA);
        Put32(record + 48, nD);
    }
    if (__get_cpuid(0x80000001, &nA, &nB, &nC, &nD) != 0) {
        Put32(record + 52, nD);
    }
#endif
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(0, sizeof(cpus), &cpus) == 0) {
        int nCount = CPU_COUNT(&cpus);
        record[6] = static_cast<uint8_t>(nCount > 255 ? 255 : nCount);
    }
    struct utsname names;
    if (::uname(&names) == 0) {
        const char* p = names.release;
        const char* pEnd = p + std::strlen(p);
        for (size_t nPart = 0; nPart < 3 && p < pEnd; ++nPart) {
            Put32(record + 8 + 4 * nPart, static_cast<uint32_t>(ParseNumber(p, pEnd, 10)));
            if (p < pEnd && *p == '.') {
                ++p;
            } else {
                break;
            }
        }
        char text[4 * sizeof(names.release) + 4];
        size_t nLength = 0;
        for (const char* pPart : {names.sysname, names.release, names.version, names.machine}) {
            if (nLength > 0) {
                text[nLength++] = ' ';
            }
            size_t nPart = std::strlen(pPart);
            std::memcpy(text + nLength, pPart, nPart);
            nLength += nPart;
        }
        Put32(record + 24, AppendString(out, text, nLength));
    }
    return out.Append(record, sizeof(record));
}

} // namespace

bool WriteMinidump(int hFile, const SCrashSignal& crash)
{
    CDumpOut out(hFile);
    SLocation directoryArea = out.Reserve(kHeaderSize + kStreamCount * kDirectoryEntrySize);
    uint8_t directory[kStreamCount * kDirectoryEntrySize] = {};
    size_t nStreams = 0;
    auto addStream = [&](uint32_t nType, const SLocation& location) {
        Put32(directory + nStreams * kDirectoryEntrySize, nType);
        PutLocation(directory + nStreams * kDirectoryEntrySize + 4, location);
        ++nStreams;
    };

    long nMaps = SafeReadFile("/proc/self/maps", g_Scratch.maps, sizeof(g_Scratch.maps));
    const size_t nMapsLength = nMaps > 0 ? static_cast<size_t>(nMaps) : 0;
    int hMemory = SafeOpenRead("/proc/self/mem");

    addStream(kSystemInfoStream, WriteSystemInfo(out));

    uint8_t misc[kMiscInfoSize] = {};
    Put32(misc, kMiscInfoSize);
    Put32(misc + 4, kMiscProcessId);
    Put32(misc + 8, static_cast<uint32_t>(SafeGetProcessId()));
    addStream(kMiscInfoStream, out.Append(misc, sizeof(misc)));

    // The crashing thread: registers and stack.
    uint64_t nStackPointer = 0;
    bool bHasRegisters = BuildContext(crash, nStackPointer);
    SLocation context = out.Append(g_Scratch.context, kContextSize);
    uint64_t nStackStart = 0;
    uint64_t nStackLength = 0;
    SLocation stack;
    if (bHasRegisters && hMemory >= 0 &&
        FindStackRange(nStackPointer, g_Scratch.maps, nMapsLength, nStackStart, nStackLength)) {
        long nRead = SafeReadAt(hMemory, g_Scratch.stack, nStackLength, nStackStart);
        if (nRead > 0) {
            stack = out.Append(g_Scratch.stack, static_cast<size_t>(nRead));
        }
    }
    if (stack.nSize == 0) {
        nStackStart = 0;
    }

    // The other threads carry an empty context (no registers, no stack).
    uint8_t emptyContext[kContextSize] = {};
#if defined(__x86_64__)
    Put32(emptyContext + 0x30, kContextAmd64);
#endif
    SLocation otherContext = out.Append(emptyContext, sizeof(emptyContext));
    SThreadList threads;
    SafeListNumbers("/proc/self/task", AddThread, &threads);
    bool bListed = false;
    for (size_t i = 0; i < threads.nCount; ++i) {
        bListed = bListed || g_Scratch.threads[i] == crash.nThreadId;
    }
    if (!bListed) {
        if (threads.nCount == kMaxThreads) {
            --threads.nCount;
        }
        g_Scratch.threads[threads.nCount++] = crash.nThreadId;
    }
    SLocation threadList = out.Reserve(4 + threads.nCount * kThreadSize);
    uint8_t count[4];
    Put32(count, static_cast<uint32_t>(threads.nCount));
    out.WriteAt(threadList.nRva, count, sizeof(count));
    for (size_t i = 0; i < threads.nCount; ++i) {
        uint8_t record[kThreadSize] = {};
        const bool bCrashed = g_Scratch.threads[i] == crash.nThreadId;
        Put32(record, g_Scratch.threads[i]);
        if (bCrashed) {
            Put64(record + 24, nStackStart);
            PutLocation(record + 32, stack);
        }
        PutLocation(record + 40, bCrashed ? context : otherContext);
        out.WriteAt(threadList.nRva + 4 + i * kThreadSize, record, sizeof(record));
    }
    addStream(kThreadListStream, threadList);

    addStream(kModuleListStream,
              WriteModuleList(out, hMemory,
                              KeepElfImages(hMemory, CollectModules(g_Scratch.maps, nMapsLength))));

    uint8_t memoryList[4 + kMemoryDescriptorSize] = {};
    Put32(memoryList, stack.nSize > 0 ? 1 : 0);
    Put64(memoryList + 4, nStackStart);
    PutLocation(memoryList + 12, stack);
    addStream(kMemoryListStream,
              out.Append(memoryList, stack.nSize > 0 ? sizeof(memoryList) : sizeof(uint32_t)));

    uint8_t exception[kExceptionSize] = {};
    Put32(exception, crash.nThreadId);
    Put32(exception + 8, static_cast<uint32_t>(crash.nSignal));
    Put32(exception + 12, static_cast<uint32_t>(crash.nCode));
    Put64(exception + 24, crash.nAddress);
    PutLocation(exception + 160, context);
    addStream(kExceptionStream, out.Append(exception, sizeof(exception)));

    addStream(kLinuxMapsStream, out.Append(g_Scratch.maps, nMapsLength));
    long nStatus = SafeReadFile("/proc/self/status", g_Scratch.status, sizeof(g_Scratch.status));
    addStream(kLinuxProcStatusStream,
              out.Append(g_Scratch.status, nStatus > 0 ? static_cast<size_t>(nStatus) : 0));

    if (hMemory >= 0) {
        SafeClose(hMemory);
    }

    uint8_t header[kHeaderSize] = {};
    Put32(header, kSignature);
    Put32(header + 4, kVersion);
    Put32(header + 8, static_cast<uint32_t>(nStreams));
    Put32(header + 12, static_cast<uint32_t>(kHeaderSize));
    Put32(header + 20, static_cast<uint32_t>(::time(nullptr)));
    out.WriteAt(directoryArea.nRva, header, sizeof(header));
    out.WriteAt(directoryArea.nRva + kHeaderSize, directory, nStreams * kDirectoryEntrySize);
    return out.IsOk() && nMaps > 0 && hMemory >= 0;
}

} // namespace platform
