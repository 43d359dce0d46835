// Fuzz target: the fast JSON reader against jsoncpp's classic reader, as
// CjsonCtrl configures it. Whenever the fast reader takes a text, jsoncpp
// must accept it too with the same value: same types, doubles bit for bit,
// same string and key bytes, members and element order. And CjsonCtrl,
// fast reader plus fallback, must give exactly jsoncpp's result for every
// text: acceptance, value and error messages. On documents without bytes
// above 0x7F or NULs in keys, CjsonCtrl's styled text is the text of the
// library's StyledWriter.
#include "foundation/json_ctrl.h"
#include "foundation/json_fast_reader.h"
#include "fuzz/support/fuzz_folder.h"
#include "fuzz/support/json_difference.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>
#include <string>

namespace {

bool IsAsciiText(const char* pBegin, const char* pEnd)
{
    for (const char* p = pBegin; p != pEnd; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) {
            return false;
        }
    }
    return true;
}

// No string or key holds a byte above 0x7F and no key a NUL: there the two
// writers part on purpose (the library escapes the bytes as UTF-8 where
// CjsonCtrl keeps CP949, and cuts a key at its NUL).
bool IsAscii(const Json::Value& value)
{
    if (value.isString()) {
        const char* pBegin = nullptr;
        const char* pEnd = nullptr;
        value.getString(&pBegin, &pEnd);
        return IsAsciiText(pBegin, pEnd);
    }
    for (auto it = value.begin(); it != value.end(); ++it) {
        const std::string strName = it.name();
        if (!IsAsciiText(strName.data(), strName.data() + strName.size()) ||
            strName.find('\0') != std::string::npos || !IsAscii(*it)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    fuzzsupport::ProgramFolder();
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);

    Json::Value reference;
    std::string strErrors;
    bool bAccepted = false;
    Json::Reader reader;
    try {
        bAccepted = reader.parse(strText, reference, false);
        if (!bAccepted) {
            strErrors = reader.getFormattedErrorMessages();
        }
    } catch (const Json::Exception& e) {
        strErrors = e.what();
    }
    if (!bAccepted) {
        reference = Json::Value();
    }

    Json::Value fast(Json::arrayValue);
    fast.append("untouched");
    const Json::Value untouched = fast;
    if (CJsonFastReader::Parse(strText.data(), strText.size(), fast)) {
        if (!bAccepted) {
            fuzzsupport::Fail("the fast reader took a text jsoncpp refuses: " + strErrors);
        }
        const std::string strDiff = testsupport::JsonDifference(fast, reference, "$");
        if (!strDiff.empty()) {
            fuzzsupport::Fail("the fast reader's value differs from jsoncpp's at " + strDiff);
        }
    } else if (!testsupport::JsonDifference(fast, untouched, "$").empty()) {
        fuzzsupport::Fail("a refusal of the fast reader changed its output");
    }

    CjsonCtrl json;
    if (json.JsonReadData(strText, 0, 0) != bAccepted) {
        fuzzsupport::Fail("CjsonCtrl's acceptance differs from jsoncpp's");
    }
    const std::string strDiff = testsupport::JsonDifference(json.Root(), reference, "$");
    if (!strDiff.empty()) {
        fuzzsupport::Fail("CjsonCtrl's value differs from jsoncpp's at " + strDiff);
    }
    if (json.ParseErrors() != strErrors) {
        fuzzsupport::Fail("CjsonCtrl's messages differ from jsoncpp's");
    }
    if (bAccepted && IsAscii(json.Root()) &&
        CjsonCtrl::StyledText(json.Root()) != Json::StyledWriter().write(json.Root())) {
        fuzzsupport::Fail("the styled text differs from the library's on ASCII text");
    }
    return 0;
}
