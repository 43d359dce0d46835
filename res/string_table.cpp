// The texts of the string table, CP949 through the narrow execution
// character set.
#include "res/string_table.h"

#include "foundation/text_util.h"

#include <cstdarg>
#include <cstdio>

namespace {

struct SStringEntry
{
    int nId;
    const char* pszText;
};

constexpr SStringEntry kStrings[] = {
    {IDS_ABOUTBOX, "Zelkor 정보(&A)..."},
    {IDS_PRINTER_SETTING_CHECK,
     "프린트를 진행할 수 없습니다.\r\n프린터%d 설정을 확인해주시기 바랍니다."},
    {IDS_PRINTER_NOT_CONNECTED,
     "프린터%d 연결이 되지 않습니다.\r\n정상적으로 연결되어있는지 확인해주시기 바랍니다."},
    {IDS_TEST_PRINT_DONE, "프린트가 정상 진행되었는지 확인해주시기 바랍니다."},
    {IDS_SHOP_INFO_MISMATCH,
     "가맹점 정보가 일치하지 않습니다.\r\n가맹점 정보 확인 후 다시 시도해주시기 바랍니다."},
    {IDS_UNINSTALL_QUESTION, "미르벨 프로그램을 삭제하시겠습니까?"},
    {IDS_UNINSTALL_FAILED,
     "미르벨 프로그램 삭제가 실패하였습니다\r\n고객센터로 문의해주세요 (1599-0000)"},
    {IDS_EXIT_QUESTION, "%s 프로그램을 종료하시겠습니까?"},
    {IDS_PRINT_NOT_POSSIBLE,
     "프린트를 진행할 수 없습니다.\r\n프린터 설정을 다시 확인해주시기 바랍니다."},
    {IDS_SETTING_DLG_FAILED,
     "프린터 설정 프로세스 생성을 실패하였습니다.\r\n장애 접수를 진행해주시기바랍니다."},
    {IDS_AGENT_LIBRARY_FAILED, "NubeqDll을 로드할 수 없습니다.\r\n프로그램을 종료합니다."},
    {IDS_SAVED, "저장되었습니다."},
    {IDS_SAVE_CHANGES_QUESTION, "변경된 내용이 있습니다.\r\n변경된 내용을 저장하시겠습니까?"},
    {IDS_PRINTER_PRINTS_NOTHING, "프린터%d 주문서, 영수증 출력 설정을 확인해주시기 바랍니다."},
    {IDS_FUNCTION_FAILED,
     "기능이 정상 실행되지 않았습니다.\r\n미르벨 '장애접수'를 진행해주시기 바랍니다."},
    {IDS_CRASH_EXIT, "일시적인 문제가 발생하여 Zelkor를 종료합니다\r\n다시 시도해주세요.\r\n전화 "
                     "장애접수 : 1599-0000"},
    {IDS_SERVER_UNREACHABLE, "서버에 연결할 수 없습니다.\r\n다시 시도해 주세요."},
    {IDS_UNDEFINED_ERROR, "정의 되지 않은 에러가 발생 했습니다.\r\n다시 시도해 주세요."},
    {IDS_UPDATE_LIBRARY, "최신 DLL로 업데이트해주세요."},
    {IDS_ENTER_LOGIN, "로그인 정보를 입력해주세요."},
};

const char* Find(int nId)
{
    for (const SStringEntry& entry : kStrings) {
        if (entry.nId == nId) {
            return entry.pszText;
        }
    }
    return nullptr;
}

} // namespace

const char* LoadStringText(int nId)
{
    const char* pszText = Find(nId);
    return pszText != nullptr ? pszText : "";
}

bool HasStringText(int nId)
{
    return Find(nId) != nullptr;
}

void RegisterStringTable()
{
    for (const SStringEntry& entry : kStrings) {
        RegisterResString(entry.nId, entry.pszText);
    }
}

std::string FormatStringText(int nId, ...)
{
    const char* pszFormat = Find(nId);
    if (pszFormat == nullptr) {
        return {};
    }
    char szText[1024];
    va_list args;
    va_start(args, nId);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int nLength = std::vsnprintf(szText, sizeof(szText), pszFormat, args);
#pragma GCC diagnostic pop
    va_end(args);
    if (nLength < 0) {
        return {};
    }
    return std::string(szText, static_cast<size_t>(nLength) < sizeof(szText)
                                   ? static_cast<size_t>(nLength)
                                   : sizeof(szText) - 1);
}
