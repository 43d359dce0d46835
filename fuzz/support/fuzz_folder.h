// The program folder of a fuzz process: a temporary directory (in memory
// when /dev/shm exists) made the program folder (ZELKOR_HOME) for the whole
// run, removed at exit.
#pragma once

#include <string>

namespace fuzzsupport {

// Creates the folder on first use and returns its path. Any failure ends
// the process, as a fuzz run without its folder would test nothing.
const std::string& ProgramFolder();

// Path of a file in the folder.
std::string FolderFile(const std::string& strName);

// Writes a whole file (bytes as given); aborts when it cannot.
void WriteWholeFile(const std::string& strPath, const std::string& strContent);

// A whole file's bytes ("" when missing).
std::string ReadWholeFile(const std::string& strPath);

// Copies tests/data/<strRelative> into the folder as strName.
void CopyDataFile(const std::string& strRelative, const std::string& strName);

// Prints "fuzz invariant broken: <message>" and aborts, so libFuzzer keeps
// the input that broke it.
[[noreturn]] void Fail(const std::string& strMessage);

} // namespace fuzzsupport
