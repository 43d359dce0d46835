// CjsonCtrl: reading codes, conversions and document building over jsoncpp.
#include "foundation/json_ctrl.h"

#include "foundation/json_fast_reader.h"
#include "foundation/json_styled_writer.h"
#include "foundation/simple_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <json/reader.h>

namespace {

std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* pszFormat, ...)
{
    char szBuffer[64];
    va_list args;
    va_start(args, pszFormat);
    int nLen = std::vsnprintf(szBuffer, sizeof(szBuffer), pszFormat, args);
    va_end(args);
    if (nLen < 0) {
        return std::string();
    }
    if (static_cast<size_t>(nLen) < sizeof(szBuffer)) {
        return std::string(szBuffer, static_cast<size_t>(nLen));
    }
    // "%f" of a large real needs more room than the buffer.
    std::string strOut(static_cast<size_t>(nLen) + 1, '\0');
    va_start(args, pszFormat);
    std::vsnprintf(strOut.data(), strOut.size(), pszFormat, args);
    va_end(args);
    strOut.resize(static_cast<size_t>(nLen));
    return strOut;
}

// String conversion: null, strings and booleans only. Numbers are refused
// like arrays and objects, whatever the library version would do, so that a
// number where text belongs reaches the caller as an error.
std::string AsText(const Json::Value& value)
{
    switch (value.type()) {
    case Json::nullValue:
        return std::string();
    case Json::stringValue: {
        const char* pBegin = nullptr;
        const char* pEnd = nullptr;
        value.getString(&pBegin, &pEnd);
        return std::string(pBegin, pEnd);
    }
    case Json::booleanValue:
        return value.asBool() ? "true" : "false";
    default:
        throw Json::LogicError("Type is not convertible to string");
    }
}

// Boolean conversion: null, zero and empty texts or containers are false.
bool AsBoolean(const Json::Value& value)
{
    switch (value.type()) {
    case Json::stringValue:
        return !AsText(value).empty();
    case Json::arrayValue:
    case Json::objectValue:
        return !value.empty();
    default:
        return value.asBool();
    }
}

// Empties a value but keeps its kind; a scalar becomes null (the library's
// clear() refuses scalars, and a root such as "5" must not make the
// document unusable).
void Empty(Json::Value& value)
{
    if (value.isNull() || value.isArray() || value.isObject()) {
        value.clear();
    } else {
        value = Json::Value();
    }
}

void StripLineEnds(std::string& strText)
{
    strText.erase(std::remove_if(strText.begin(), strText.end(),
                                 [](char ch) { return ch == '\r' || ch == '\n'; }),
                  strText.end());
}

} // namespace

bool CjsonCtrl::Parse(const std::string& strText, Json::Value& out, std::string& strErrors)
{
    // Most documents are plainly written; the fast reader takes those and
    // refuses everything it cannot read exactly as jsoncpp would.
    if (CJsonFastReader::Parse(strText.data(), strText.size(), out)) {
        return true;
    }
    // The classic reader with its default features: comments allowed, any
    // value as root. It decides every other document, and its messages are
    // the ones logged. It throws instead of failing on a document nested
    // deeper than its stack limit; that is outside input, so it counts as a
    // parse failure here.
    Json::Reader reader;
    try {
        if (reader.parse(strText, out, false)) {
            return true;
        }
        strErrors = reader.getFormattedErrorMessages();
    } catch (const Json::Exception& e) {
        strErrors = e.what();
    }
    out = Json::Value();
    return false;
}

std::string CjsonCtrl::ValueText(const Json::Value& value)
{
    return AsText(value);
}

std::string CjsonCtrl::StyledText(const Json::Value& value)
{
    CJsonStyledWriter writer;
    return writer.Write(value);
}

bool CjsonCtrl::SetRecvDataLocal(const std::string& strText, int nLogFlag, int nStripFlag)
{
    m_strRecvText = strText;
    if (!JsonReadData(strText, nLogFlag, nStripFlag)) {
        LOG_PRINT(LOG_ERROR, "%s", "JsonReadData FAIL");
        return false;
    }
    return true;
}

bool CjsonCtrl::JsonReadData(const std::string& strText, int nLogFlag, int nStripFlag)
{
    m_strParseErrors.clear();
    if (!Parse(strText, m_Root, m_strParseErrors)) {
        LOG_PRINT(LOG_DEBUG, "PARSING FAIL MGS : [%s]", m_strParseErrors.c_str());
        return false;
    }
    LogRecvData(nLogFlag, nStripFlag);
    return true;
}

void CjsonCtrl::SetRecvValue(const Json::Value& root, int nLogFlag, int nStripFlag)
{
    m_strRecvText.clear();
    m_strParseErrors.clear();
    m_Root = root;
    LogRecvData(nLogFlag, nStripFlag);
}

void CjsonCtrl::LogRecvData(int nLogFlag, int nStripFlag) const
{
    if (nLogFlag != 1) {
        return;
    }
    std::string strLog = StyledText(m_Root);
    if (nStripFlag == 1) {
        StripLineEnds(strLog);
    }
    LOG_PRINT(LOG_DEBUG, "[%s] RECV_DATA : [%s]", "JsonReadData", strLog.c_str());
}

std::string CjsonCtrl::ConvertValue(const Json::Value& value, int nValType, bool& bKnown)
{
    bKnown = true;
    switch (nValType) {
    case JSON_VAL_STRING:
        return AsText(value);
    case JSON_VAL_INT:
        return Format("%d", value.asInt());
    case JSON_VAL_BOOL:
        return AsBoolean(value) ? "true" : "false";
    case JSON_VAL_DOUBLE:
        return Format("%f", value.asDouble());
    default:
        bKnown = false;
        return std::string();
    }
}

bool CjsonCtrl::IsReadableRoot(const Json::Value& root, const std::string& strTree,
                               const std::string& strValue, int nType, int nValType)
{
    if (!root.isObject() && !root.isArray() && !root.isNull()) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] root is empty. Information : json_Tree (%s), json_Value (%s), type (%d), "
                  "valType (%d)",
                  "CjsonCtrl::JsonValue", strTree.c_str(), strValue.c_str(), nType, nValType);
        return false;
    }
    return true;
}

std::string CjsonCtrl::ReadRootMember(const Json::Value& root, const std::string& strKey,
                                      int nValType)
{
    const Json::Value& value = root[strKey];
    if (nValType == JSON_VAL_INT_OR_NULL) {
        return value.isNull() ? "NULL" : Format("%d", value.asInt());
    }
    bool bKnown = true;
    std::string strResult = ConvertValue(value, nValType, bKnown);
    return bKnown ? strResult : "0|";
}

std::string CjsonCtrl::RootMember(const Json::Value& root, const std::string& strKey, int nValType)
{
    if (!IsReadableRoot(root, "", strKey, JSON_TYPE_ROOT_MEMBER, nValType)) {
        return std::string();
    }
    return ReadRootMember(root, strKey, nValType);
}

Json::Value CjsonCtrl::TakeRoot()
{
    Json::Value root(std::move(m_Root));
    m_Root = Json::Value();
    return root;
}

std::string CjsonCtrl::JsonValue(const std::string& strTree, const std::string& strValue, int nType,
                                 int nValType)
{
    // Reads go through the const interface: a missing key yields null and
    // never adds a member that a later count or list code would see.
    const Json::Value& root = m_Root;
    if (!IsReadableRoot(root, strTree, strValue, nType, nValType)) {
        return std::string();
    }

    bool bKnown = true;
    std::string strResult;
    switch (nType) {
    case JSON_TYPE_ROOT_MEMBER:
        return ReadRootMember(root, strValue, nValType);
    case JSON_TYPE_TREE_MEMBER: {
        const Json::Value& value = root[strTree][strValue];
        if (nValType == JSON_VAL_TEXT) {
            return StyledText(value);
        }
        strResult = ConvertValue(value, nValType, bKnown);
        return bKnown ? strResult : "0|";
    }
    case JSON_TYPE_ARRAY_MEMBERS: {
        const Json::Value& array = root[strTree];
        Json::ArrayIndex nSize = array.size();
        std::string strOut = Format("%u", nSize) + "|";
        std::string strElement;
        for (Json::ArrayIndex i = 0; i < nSize; ++i) {
            std::string strConverted = ConvertValue(array[i][strValue], nValType, bKnown);
            if (bKnown) {
                strElement = std::move(strConverted);
            }
            strOut += strElement;
            strOut += '|';
        }
        return strOut;
    }
    case JSON_TYPE_LIST_TREE: {
        m_vecList.clear();
        const Json::Value& node = strTree.empty() ? root : root[strTree];
        for (const Json::Value& element : node) {
            m_vecList.push_back(StyledText(element));
        }
        return "0|";
    }
    case JSON_TYPE_TREE_STRING:
        return AsText(root[strTree]);
    case JSON_TYPE_DATA_MEMBER:
        strResult = ConvertValue(root["data"][strTree][strValue], nValType, bKnown);
        return bKnown ? strResult : "0|";
    case JSON_TYPE_TREE_TEXT:
        return StyledText(root[strTree]);
    case JSON_TYPE_TREE_SIZE:
        return Format("%u", root[strTree].size());
    case JSON_TYPE_LIST_TREE_VALUE: {
        m_vecList.clear();
        for (const Json::Value& element : root[strTree][strValue]) {
            m_vecList.push_back(StyledText(element));
        }
        return "0|";
    }
    case JSON_TYPE_LIST_ROOT: {
        m_vecList.clear();
        for (const Json::Value& element : root) {
            m_vecList.push_back(StyledText(element));
        }
        return "0|";
    }
    default:
        return "0|";
    }
}

void CjsonCtrl::GetArray(std::vector<std::string>& vecOut) const
{
    vecOut.insert(vecOut.end(), m_vecList.begin(), m_vecList.end());
}

void CjsonCtrl::SetValue(const std::string& strKey, const std::string& strValue, int nKind)
{
    SetValue(m_Current, strKey, strValue, nKind);
}

void CjsonCtrl::SetValue(Json::Value& target, const std::string& strKey,
                         const std::string& strValue, int nKind)
{
    switch (nKind) {
    case JSON_SET_INT:
        // strtoll: leading digits, 0 when none, clamped instead of overflowing.
        target[strKey] =
            Json::Value(static_cast<Json::Int64>(std::strtoll(strValue.c_str(), nullptr, 10)));
        break;
    case JSON_SET_DOUBLE:
        target[strKey] = Json::Value(std::strtod(strValue.c_str(), nullptr));
        break;
    case JSON_SET_BOOL:
        target[strKey] = Json::Value(strValue == "true");
        break;
    case JSON_SET_NULL:
        target[strKey] = Json::Value();
        break;
    default:
        target[strKey] = Json::Value(strValue);
        break;
    }
}

void CjsonCtrl::SetJsonObject(const std::string& strKey, const std::string& strJsonText)
{
    Json::Value value;
    std::string strErrors;
    Parse(strJsonText, value, strErrors); // a text that does not parse adds null
    m_Current[strKey].append(std::move(value));
}

void CjsonCtrl::AppendCurrent()
{
    m_Document.append(m_Current);
    m_Current = Json::Value();
}

std::string CjsonCtrl::GetJsonString()
{
    std::string strText = StyledText(m_Document);
    Empty(m_Document);
    Empty(m_Current);
    Empty(m_Root);
    return strText;
}

std::string CjsonCtrl::MakeJsonArray(const std::vector<std::string>& vecTexts)
{
    Json::Value array(Json::arrayValue);
    for (const std::string& strText : vecTexts) {
        Json::Value value;
        std::string strErrors;
        if (Parse(strText, value, strErrors)) {
            array.append(std::move(value));
        }
    }
    return StyledText(array);
}
