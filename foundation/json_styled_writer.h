// Styled JSON text (three-space indent, short arrays on one line up to a
// right margin of 74 columns) that keeps CP949 bytes as they are.
#pragma once

#include <json/value.h>
#include <string>
#include <vector>

// The layout is that of jsoncpp's StyledWriter, which peers and logs have
// always seen; only string bytes differ. StyledWriter decodes every string
// as UTF-8 and turns each CP949 byte pair into a "\ufffd"-style escape, so a
// Korean menu name would not survive a parse/serialise round trip. Here a
// byte >= 0x80 is copied unchanged and only what JSON requires is escaped
// (quote, backslash and control characters).
class CJsonStyledWriter
{
public:
    // The whole document followed by one line feed, as StyledWriter ends it.
    std::string Write(const Json::Value& root);

    // A string in JSON quotes with the minimal escapes.
    static std::string QuoteString(const char* pBegin, const char* pEnd);
    // The same, appended to strOut.
    static void AppendQuoted(std::string& strOut, const char* pBegin, const char* pEnd);

private:
    void WriteValue(const Json::Value& value);
    void WriteArrayValue(const Json::Value& value);
    void WriteObjectValue(const Json::Value& value);
    bool IsMultilineArray(const Json::Value& value);
    void PushValue(const std::string& strValue);
    void WriteIndent();
    void WriteWithIndent(const std::string& strValue);
    void Indent();
    void Unindent();

    static constexpr size_t kIndentSize = 3;
    static constexpr size_t kRightMargin = 74;

    std::string m_strDocument;
    std::string m_strIndent;
    // Texts of the scalar elements of the array being laid out, collected
    // while deciding whether it fits on one line.
    std::vector<std::string> m_vecChildValues;
    bool m_bAddChildValues = false;
};
