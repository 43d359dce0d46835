// The program's own folder and files: path, version, text files, digest.
#pragma once

#include <string>

// The program folder, without a trailing slash.
std::string GetModulePath();

// The version stamp of fileName ("Zelkor.exe" names the local "Zelkor";
// a relative name is taken from the program folder) as "%d.%d.%d.%d", or ""
// when the file has no stamp.
std::string GetFileVersion(const char* pszFileName);

// The file as text, every non-empty line followed by "\r\n" (empty lines
// dropped); "" when it cannot be opened.
std::string ReadTextFile(const char* pszPath);

// True with the MD5 digest of the file as 32 lowercase hex digits; false
// with the system's error text when the file cannot be opened or read.
bool GetMD5(const char* pszPath, std::string& strText);
