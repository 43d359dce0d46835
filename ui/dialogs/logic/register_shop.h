// The shop registration without its window: the values handed to the
// agent, the result and its message, what Config.ini gets, and the field
// editing of the touch keypad on whole characters.
#pragma once

#include "ui/dialogs/logic/register_shop_agent.h"

#include <string>
#include <vector>

// Login types.
constexpr int LOGIN_TYPE_ADMIN = 0; // store manager: login id and password
constexpr int LOGIN_TYPE_BSNUM = 1; // business number and store id

// Result of a library without the registration export.
constexpr int REGISTER_SHOP_MISSING_EXPORT = -4;
// Result when the library cannot be loaded at all (an undefined error to
// the user: neither the shop's data nor the server is at fault).
constexpr int REGISTER_SHOP_NO_LIBRARY = -3;

// The string table id shown for a failed registration result: -1 105,
// -2 122, -4 126, anything else 123.
int RegisterShopMessageId(int nResult);

// Registers: checks that the library is loaded (else
// REGISTER_SHOP_NO_LIBRARY) and has the export (else
// REGISTER_SHOP_MISSING_EXPORT), no call made then, hands the values to the
// agent in order (mode keys, "loginType", "orgno", "pos_type",
// "REQ_HANDLE" as "%02X"), calls RegisterShopEx and on a result above 0
// writes [POS] (never the password) and [ORDER] "LastNo" = "1" to
// strConfigPath with one replace. Returns the library's result.
int RegisterShop(IRegisterShopAgent& agent, int nLoginType, const std::string& strFirst,
                 const std::string& strSecond, AgentWindowHandle hMainWnd,
                 const std::string& strConfigPath);

// The keypad's edit of a field. Text is CP949; the caret and selection
// count characters (a Hangul syllable is one), as the field shows them.
enum EFieldEdit
{
    FIELD_EDIT_APPEND = 0,
    FIELD_EDIT_DELETE = 1, // the selection, else the character before the caret
    FIELD_EDIT_CLEAR = 2,
};

struct SFieldState
{
    std::string strText;
    int nCaret = 0;
    int nSelStart = 0; // a selection when nSelEnd > nSelStart
    int nSelEnd = 0;
};

// False (logged) for an unknown operation or an append of null.
bool EditField(SFieldState& field, int nOperation, const char* pszAppend);

// The CP949 text as its characters (one or two bytes each).
std::vector<std::string> Cp949Characters(const std::string& strText);
