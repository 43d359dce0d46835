// Fuzz target: the split of an HTTPS answer into header lines and response
// (RequestControl::SplitResponse) on arbitrary bytes.
#include "crash/request_control.h"
#include "fuzz/support/fuzz_folder.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strReceived(reinterpret_cast<const char*>(pData), nSize);
    std::string strResponse = "unchanged";
    std::string strHeader = "unchanged";
    const int nResult = RequestControl::SplitResponse(strReceived, strResponse, strHeader);
    const size_t nBlank = strReceived.find("\r\n\r\n");
    const bool bHeaderSection = nBlank != std::string::npos && nBlank > 0;
    if (nResult != (bHeaderSection ? 1 : 0)) {
        fuzzsupport::Fail("result " + std::to_string(nResult) + " for an answer " +
                          (bHeaderSection ? "with" : "without") + " a header section");
    }
    if (nResult == 0) {
        if (strResponse != "unchanged" || strHeader != "unchanged") {
            fuzzsupport::Fail("a refused answer changed the outputs");
        }
        return 0;
    }
    if (strHeader + strResponse != strReceived) {
        fuzzsupport::Fail("header and response do not make up the answer");
    }
    if (strHeader.size() < 2 || strHeader.compare(strHeader.size() - 2, 2, "\r\n") != 0 ||
        strResponse.compare(0, 2, "\r\n") != 0 || strHeader.find("\r\n\r\n") != std::string::npos) {
        fuzzsupport::Fail("the split is not at the first blank line");
    }
    return 0;
}
