// The program's string table: the user-facing texts of the message boxes
// and the about item, by resource id, as CP949 bytes with CR LF line
// breaks. Qt-free, so the core and the UI read the same bytes; the UI turns
// them into its own text with platform/text_encoding.h.
#pragma once

#include <string>

// Ids of the table. The printf-style ones take the argument named beside.
enum EStringTableId
{
    IDS_ABOUTBOX = 101,               // "Zelkor 정보(&A)...", the system menu's about item
    IDS_PRINTER_SETTING_CHECK = 102,  // %d: printer number
    IDS_PRINTER_NOT_CONNECTED = 103,  // %d: printer number
    IDS_TEST_PRINT_DONE = 104,        //
    IDS_SHOP_INFO_MISMATCH = 105,     // registration result -1
    IDS_UNINSTALL_QUESTION = 106,     //
    IDS_UNINSTALL_FAILED = 107,       //
    IDS_EXIT_QUESTION = 109,          // %s: program name ("Zelkor")
    IDS_PRINT_NOT_POSSIBLE = 110,     // start-up printer check failed
    IDS_SETTING_DLG_FAILED = 111,     // settings dialog cannot be created
    IDS_AGENT_LIBRARY_FAILED = 112,   // agent interface library cannot be loaded
    IDS_SAVED = 114,                  //
    IDS_SAVE_CHANGES_QUESTION = 117,  //
    IDS_PRINTER_PRINTS_NOTHING = 118, // %d: printer number
    IDS_FUNCTION_FAILED = 119,        // a worker thread did not start
    IDS_CRASH_EXIT = 121,             // after a crash report
    IDS_SERVER_UNREACHABLE = 122,     // registration result -2
    IDS_UNDEFINED_ERROR = 123,        // any other registration failure
    IDS_UPDATE_LIBRARY = 126,         // the library lacks RegisterShopEx
    IDS_ENTER_LOGIN = 127,            // a login field is empty
};

// First and last id of the table's range; ids inside it without a text
// (108, 113, ...) read as empty, as an id missing from a resource does.
constexpr int IDS_FIRST = 101;
constexpr int IDS_LAST = 127;

// The text of nId, never null: "" for an id without a text.
const char* LoadStringText(int nId);

// True when the table has a text for nId.
bool HasStringText(int nId);

// Registers every text of the table with the foundation's string lookup
// (LoadResString), as the program does at start.
void RegisterStringTable();

// The text of nId with printf-style arguments filled in (102, 103, 109,
// 118 take one); "" for an id without a text.
std::string FormatStringText(int nId, ...);
