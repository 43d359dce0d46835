// Styled JSON writer with byte-transparent strings.
#include "foundation/json_styled_writer.h"

#include <charconv>
#include <json/writer.h>

namespace {

// Plain decimal digits, as jsoncpp's valueToString gives for integers.
template <typename T>
void AppendNumber(std::string& strOut, T nValue)
{
    char szDigits[24];
    const std::to_chars_result result =
        std::to_chars(szDigits, szDigits + sizeof(szDigits), nValue);
    strOut.append(szDigits, result.ptr);
}

} // namespace

std::string CJsonStyledWriter::Write(const Json::Value& root)
{
    m_strDocument.clear();
    m_strIndent.clear();
    m_vecChildValues.clear();
    m_bAddChildValues = false;
    WriteValue(root);
    m_strDocument += '\n';
    return std::move(m_strDocument);
}

std::string CJsonStyledWriter::QuoteString(const char* pBegin, const char* pEnd)
{
    std::string strOut;
    strOut.reserve(static_cast<size_t>(pEnd - pBegin) + 2);
    AppendQuoted(strOut, pBegin, pEnd);
    return strOut;
}

void CJsonStyledWriter::AppendQuoted(std::string& strOut, const char* pBegin, const char* pEnd)
{
    static const char kHex[] = "0123456789abcdef";
    strOut += '"';
    // Runs of bytes that need no escape are copied whole.
    const char* pRun = pBegin;
    for (const char* p = pBegin; p != pEnd; ++p) {
        const unsigned char ch = static_cast<unsigned char>(*p);
        if (ch >= 0x20 && ch != '"' && ch != '\\') {
            continue;
        }
        strOut.append(pRun, p);
        pRun = p + 1;
        switch (ch) {
        case '"':
            strOut += "\\\"";
            break;
        case '\\':
            strOut += "\\\\";
            break;
        case '\b':
            strOut += "\\b";
            break;
        case '\f':
            strOut += "\\f";
            break;
        case '\n':
            strOut += "\\n";
            break;
        case '\r':
            strOut += "\\r";
            break;
        case '\t':
            strOut += "\\t";
            break;
        default:
            strOut += "\\u00";
            strOut += kHex[ch >> 4];
            strOut += kHex[ch & 0x0F];
            break;
        }
    }
    strOut.append(pRun, pEnd);
    strOut += '"';
}

void CJsonStyledWriter::WriteValue(const Json::Value& value)
{
    switch (value.type()) {
    case Json::arrayValue:
        WriteArrayValue(value);
        return;
    case Json::objectValue:
        WriteObjectValue(value);
        return;
    default:
        break;
    }
    // A scalar's text goes straight where it belongs: the document, or a
    // new text of the array being measured.
    std::string& strOut = m_bAddChildValues ? m_vecChildValues.emplace_back() : m_strDocument;
    switch (value.type()) {
    case Json::nullValue:
        strOut += "null";
        break;
    case Json::intValue:
        AppendNumber(strOut, value.asLargestInt());
        break;
    case Json::uintValue:
        AppendNumber(strOut, value.asLargestUInt());
        break;
    case Json::realValue:
        strOut += Json::valueToString(value.asDouble());
        break;
    case Json::stringValue: {
        const char* pBegin = nullptr;
        const char* pEnd = nullptr;
        if (value.getString(&pBegin, &pEnd)) {
            AppendQuoted(strOut, pBegin, pEnd);
        }
        break;
    }
    case Json::booleanValue:
        strOut += value.asBool() ? "true" : "false";
        break;
    default:
        break;
    }
}

void CJsonStyledWriter::WriteObjectValue(const Json::Value& value)
{
    // Members in the order of their names, as getMemberNames lists them,
    // read through the iterator: no copy of the names, no lookups.
    if (value.empty()) {
        PushValue("{}");
        return;
    }
    WriteWithIndent("{");
    Indent();
    const Json::Value::const_iterator itEnd = value.end();
    for (Json::Value::const_iterator it = value.begin(); it != itEnd;) {
        const char* pNameEnd = nullptr;
        const char* pName = it.memberName(&pNameEnd);
        WriteIndent();
        AppendQuoted(m_strDocument, pName, pNameEnd);
        m_strDocument += " : ";
        WriteValue(*it);
        if (++it == itEnd) {
            break;
        }
        m_strDocument += ',';
    }
    Unindent();
    WriteWithIndent("}");
}

void CJsonStyledWriter::WriteArrayValue(const Json::Value& value)
{
    Json::ArrayIndex nSize = value.size();
    if (nSize == 0) {
        PushValue("[]");
        return;
    }
    if (!IsMultilineArray(value)) {
        m_strDocument += "[ ";
        for (Json::ArrayIndex i = 0; i < nSize; ++i) {
            if (i > 0) {
                m_strDocument += ", ";
            }
            m_strDocument += m_vecChildValues[i];
        }
        m_strDocument += " ]";
        return;
    }
    WriteWithIndent("[");
    Indent();
    // Filled only when every element is a scalar (or an empty container).
    bool bHasChildValue = !m_vecChildValues.empty();
    for (Json::ArrayIndex i = 0;;) {
        if (bHasChildValue) {
            WriteWithIndent(m_vecChildValues[i]);
        } else {
            WriteIndent();
            WriteValue(value[i]);
        }
        if (++i == nSize) {
            break;
        }
        m_strDocument += ',';
    }
    Unindent();
    WriteWithIndent("]");
}

bool CJsonStyledWriter::IsMultilineArray(const Json::Value& value)
{
    Json::ArrayIndex nSize = value.size();
    bool bMultiLine = nSize * 3 >= kRightMargin;
    m_vecChildValues.clear();
    for (Json::ArrayIndex i = 0; i < nSize && !bMultiLine; ++i) {
        const Json::Value& child = value[i];
        bMultiLine = (child.isArray() || child.isObject()) && !child.empty();
    }
    if (!bMultiLine) {
        m_vecChildValues.reserve(nSize);
        m_bAddChildValues = true;
        size_t nLineLength = 4 + (nSize - 1) * 2; // "[ " + ", " per gap + " ]"
        for (Json::ArrayIndex i = 0; i < nSize; ++i) {
            WriteValue(value[i]);
            nLineLength += m_vecChildValues[i].size();
        }
        m_bAddChildValues = false;
        bMultiLine = nLineLength >= kRightMargin;
    }
    return bMultiLine;
}

void CJsonStyledWriter::PushValue(const std::string& strValue)
{
    if (m_bAddChildValues) {
        m_vecChildValues.push_back(strValue);
    } else {
        m_strDocument += strValue;
    }
}

void CJsonStyledWriter::WriteIndent()
{
    if (!m_strDocument.empty()) {
        char chLast = m_strDocument.back();
        if (chLast == ' ') { // already indented
            return;
        }
        if (chLast != '\n') {
            m_strDocument += '\n';
        }
    }
    m_strDocument += m_strIndent;
}

void CJsonStyledWriter::WriteWithIndent(const std::string& strValue)
{
    WriteIndent();
    m_strDocument += strValue;
}

void CJsonStyledWriter::Indent()
{
    m_strIndent.append(kIndentSize, ' ');
}

void CJsonStyledWriter::Unindent()
{
    m_strIndent.resize(m_strIndent.size() - kIndentSize);
}
