// Text conversions and the formatting helpers of receipts and logs. Texts
// are CP949 unless a function says otherwise.
#pragma once

#include <cstddef>
#include <string>

// CP949 text to UTF-8.
std::string ToUtf8(const std::string& strText);

// The string table text with this id, or "" (the table starts empty; the
// UI registers its texts at start-up).
std::string LoadResString(int nId);
void RegisterResString(int nId, const std::string& strText);

// Every "\r\n" replaced by one space.
std::string MakeOneLine(const std::string& strText);

// The bytes of a received buffer with its NUL bytes dropped.
std::string JoinSegments(const char* pBuffer, size_t nLength);

// Thousands separators, no decimals, minus sign in front: -1234 is
// "-1,234". The text form takes a number as received ("1234567\r\n"): CR
// and LF removed, a fraction rounded away; text that is no number comes
// back without its CR and LF but otherwise unchanged.
std::string FormatNumber(long long nValue);
std::string FormatNumber(const std::string& strNumber);

// 11 or more bytes: 3-4-rest; exactly 10: 3-3-rest; shorter unchanged.
std::string FormatPhone(const std::string& strPhone);

// nCount copies of ch; "" when nCount is above 259 (or below 1).
std::string RepeatChar(char ch, int nCount);

// The number of characters (a byte of 0x80 or more starts a two-byte
// character), minus one.
int CountChars(const std::string& strText);

// The first eight characters (two-byte characters count once).
std::string LeftChars(const std::string& strText);
