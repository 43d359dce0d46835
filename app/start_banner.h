// The start-up banner lines of the log: the program file and its digest,
// its version, its build time and the echo of Config.ini.
#pragma once

#include <string>

// The build time stamp in the compiler's layout, day of the week first:
// "Thu Aug  3 09:33:08 2023".
std::string BuildTimeText();

// The Config.ini echo: the text as given, except that the values of the
// webhook's paths ([WEBHOOK] keys beginning with "Path") read "****", so
// the secret endpoint never reaches a log file that is sent around.
std::string MaskConfigSecrets(const std::string& strConfigText);

// Writes the banner lines after the log's start line, in this order:
// "Process Start. File [..] Hash [..]", "Process Version Info : ..",
// "Process Build Info : ..", "Config.ini Information [Path : ..]".
void WriteStartBanner(const std::string& strProgramFolder);
