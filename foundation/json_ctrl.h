// String-in, string-out access to JSON documents: every event from the
// agent is read, and every answer built, through one CjsonCtrl.
#pragma once

#include <json/value.h>
#include <string>
#include <vector>

// Where a value lies and how it is returned (the "type" of JsonValue).
enum EJsonValueType
{
    JSON_TYPE_ROOT_MEMBER = 14,     // root[value]
    JSON_TYPE_TREE_MEMBER = 15,     // root[tree][value]
    JSON_TYPE_ARRAY_MEMBERS = 16,   // "N|v1|...|vN|" over root[tree][i][value]
    JSON_TYPE_LIST_TREE = 17,       // list <- elements of root[tree] (root if tree "")
    JSON_TYPE_TREE_STRING = 23,     // root[tree] as a string
    JSON_TYPE_DATA_MEMBER = 24,     // root["data"][tree][value]
    JSON_TYPE_TREE_TEXT = 26,       // styled text of root[tree]
    JSON_TYPE_TREE_SIZE = 27,       // element count of root[tree]
    JSON_TYPE_LIST_TREE_VALUE = 30, // list <- elements of root[tree][value]
    JSON_TYPE_LIST_ROOT = 31,       // list <- elements of root
};

// How a single value becomes text (the "valType" of JsonValue).
enum EJsonConvertType
{
    JSON_VAL_STRING = 18,
    JSON_VAL_INT = 19,
    JSON_VAL_BOOL = 20,
    JSON_VAL_DOUBLE = 21,
    JSON_VAL_TEXT = 23,        // type 15 only: styled text of the member
    JSON_VAL_INT_OR_NULL = 25, // type 14 only: "NULL" for missing or null
};

// Kinds of SetValue.
enum EJsonSetKind
{
    JSON_SET_INT = 0,
    JSON_SET_DOUBLE = 1,
    JSON_SET_BOOL = 2,
    JSON_SET_STRING = 3,
    JSON_SET_NULL = 4,
};

// One object per document, on the stack. All texts are CP949 bytes and
// pass through unchanged. Conversions the library refuses (a string asked
// for where the document holds a number, an array indexed by name) throw
// Json::LogicError to the caller, which catches it at its border.
class CjsonCtrl
{
public:
    CjsonCtrl() = default;
    CjsonCtrl(const CjsonCtrl&) = delete;
    CjsonCtrl& operator=(const CjsonCtrl&) = delete;

    // Keeps the text and parses it into root; false (logged) on failure.
    bool SetRecvDataLocal(const std::string& strText, int nLogFlag, int nStripFlag);

    // Parses into root. nLogFlag 1 logs the document, nStripFlag 1 without
    // its line ends. A document nested too deep is a parse failure too.
    bool JsonReadData(const std::string& strText, int nLogFlag, int nStripFlag);

    // Takes a document parsed before as root (a copy), logged as
    // JsonReadData logs a parsed text, so a caller holding parsed parts of a
    // larger document reads them without writing and parsing text again.
    // RecvText is empty afterwards.
    void SetRecvValue(const Json::Value& root, int nLogFlag, int nStripFlag);

    // Reads one value of root; see EJsonValueType and EJsonConvertType.
    // "" (logged) when root is neither an object, an array nor null.
    std::string JsonValue(const std::string& strTree, const std::string& strValue, int nType,
                          int nValType);

    // Member strKey of an already parsed value, as JsonValue reads root
    // members (code 14) of its own root: the same conversions, the same
    // refusals, and the same log line when root is a scalar. For callers
    // that keep parsed parts of a document instead of their texts.
    static std::string RootMember(const Json::Value& root, const std::string& strKey, int nValType);

    // Hands the parsed root over to the caller (root is null afterwards).
    Json::Value TakeRoot();

    // Appends the texts collected by the list codes (17, 30, 31).
    void GetArray(std::vector<std::string>& vecOut) const;

    // Sets member strKey of the object being built (or of target) from
    // text converted by nKind (EJsonSetKind; unknown kinds store a string).
    void SetValue(const std::string& strKey, const std::string& strValue, int nKind);
    static void SetValue(Json::Value& target, const std::string& strKey,
                         const std::string& strValue, int nKind);

    // Parses strJsonText and appends it to the array member strKey of the
    // object being built (null when the text does not parse).
    void SetJsonObject(const std::string& strKey, const std::string& strJsonText);

    // Appends the object being built to the document and starts a new one.
    void AppendCurrent();

    // The document as styled text; then document, current and root are
    // emptied so the object can build the next one.
    std::string GetJsonString();

    // A styled array of every text that parses, in order.
    static std::string MakeJsonArray(const std::vector<std::string>& vecTexts);

    // The styled text of any value (three-space indent, bytes unchanged).
    static std::string StyledText(const Json::Value& value);

    // A value read as text, as the string conversion (JSON_VAL_STRING)
    // reads it: null is "", booleans "true"/"false", anything else throws
    // Json::LogicError.
    static std::string ValueText(const Json::Value& value);

    const Json::Value& Root() const { return m_Root; }
    const std::string& RecvText() const { return m_strRecvText; }
    const std::string& ParseErrors() const { return m_strParseErrors; }

private:
    static bool Parse(const std::string& strText, Json::Value& out, std::string& strErrors);
    // The RECV_DATA line of a document just read (nLogFlag 1).
    void LogRecvData(int nLogFlag, int nStripFlag) const;
    static std::string ConvertValue(const Json::Value& value, int nValType, bool& bKnown);
    // False (logged) when root is a scalar, which no reading code can read.
    static bool IsReadableRoot(const Json::Value& root, const std::string& strTree,
                               const std::string& strValue, int nType, int nValType);
    static std::string ReadRootMember(const Json::Value& root, const std::string& strKey,
                                      int nValType);

    Json::Value m_Document;
    Json::Value m_Current;
    Json::Value m_Root;
    std::string m_strParseErrors; // the parser's messages of the last failure
    std::string m_strRecvText;
    std::vector<std::string> m_vecList;
};
