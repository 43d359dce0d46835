// Named shared memory through which settings text is offered to other
// processes: a block of at least 64 KiB, text NUL-padded.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

constexpr size_t kSharedBlockSize = 64 * 1024;
constexpr int kInvalidSharedBlock = -1;

// Creates the block strName (a name without "/", such as
// "Zelkor_Config.ini"), or opens it when it exists, sized to
// max(nSize, kSharedBlockSize) bytes and zero-filled when new. Returns a
// handle or kInvalidSharedBlock with the errno in *pnError.
int CreateSharedBlock(const std::string& strName, size_t nSize, int* pnError = nullptr);

// Closes the owner's handle and removes the name: the block ends with its
// owner, as a mapping ends with its last handle.
void CloseSharedBlock(int hBlock, const std::string& strName);

enum class ESharedStep
{
    None,
    Open,
    Map,
    Size, // the data does not fit the block
};

// Opens the existing block strName, copies strData to its start and
// NUL-fills the rest, so no bytes of a longer earlier text remain.
// Returns 0, or the errno with the failing step in *peStep.
int WriteSharedBlock(const std::string& strName, const std::string& strData,
                     ESharedStep* peStep = nullptr);

// The block's text up to its first NUL. False when it cannot be opened.
bool ReadSharedBlock(const std::string& strName, std::string& strText);

} // namespace platform
