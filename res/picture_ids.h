// The program's pictures by id: each is the Qt resource ":/png/<id>.png"
// (res/png, listed in res/zelkor.qrc). Code names pictures by these ids
// only, so a designer can replace the placeholder art of res/png without
// touching code; scripts/make-art regenerates the placeholders.
//
// "On" is the picture of a selected state, "off" of an unselected one.
#pragma once

namespace picture {

// Program and tray icon.
constexpr int PROGRAM_ICON = 128;

// Print settings dialog (650 x 438).
constexpr int SETTING_BACKGROUND = 197;
constexpr int SETTING_TAB_PRINTER1_OFF = 167; // 92 x 37
constexpr int SETTING_TAB_PRINTER1_ON = 168;
constexpr int SETTING_TAB_PRINTER2_OFF = 169;
constexpr int SETTING_TAB_PRINTER2_ON = 170;
// Page tabs: on the basic page the tabs show 199 and 229, on the owner
// page 227 and 230.
constexpr int SETTING_PAGE_BASIC_ON = 199;
constexpr int SETTING_PAGE_OWNER_OFF = 229;
constexpr int SETTING_PAGE_BASIC_OFF = 227;
constexpr int SETTING_PAGE_OWNER_ON = 230;
// Ids the dialog's remaining buttons use (their numbers are ours to choose).
constexpr int SETTING_CLOSE = 401;      // "X"
constexpr int SETTING_SAVE = 402;       // 저장
constexpr int SETTING_TEST_PRINT = 403; // 프린트 테스트
constexpr int SETTING_COUNT_MINUS = 404;
constexpr int SETTING_COUNT_PLUS = 405;
constexpr int SETTING_SIZE_SMALL_ON = 406; // 작게
constexpr int SETTING_SIZE_SMALL_OFF = 407;
constexpr int SETTING_SIZE_NORMAL_ON = 408; // 기본
constexpr int SETTING_SIZE_NORMAL_OFF = 409;
constexpr int SETTING_SIZE_LARGE_ON = 410; // 크게
constexpr int SETTING_SIZE_LARGE_OFF = 411;
constexpr int SETTING_PRINT_ON = 412; // 출력
constexpr int SETTING_PRINT_OFF = 413;
constexpr int SETTING_NO_PRINT_ON = 414; // 출력안함
constexpr int SETTING_NO_PRINT_OFF = 415;

// Printer connection panel (561 x 209).
constexpr int PANEL_TYPE_SERIAL_OFF = 205;
constexpr int PANEL_TYPE_SERIAL_ON = 206;
constexpr int PANEL_TYPE_USB_OFF = 207;
constexpr int PANEL_TYPE_USB_ON = 208;
constexpr int PANEL_TYPE_NETWORK_OFF = 209;
constexpr int PANEL_TYPE_NETWORK_ON = 210;
constexpr int PANEL_USE_OFF = 215; // 사용
constexpr int PANEL_USE_ON = 216;
constexpr int PANEL_NOT_USED_OFF = 288; // 사용안함
constexpr int PANEL_NOT_USED_ON = 289;
constexpr int PANEL_COMBO_PORT = 260;    // closed face of the port list
constexpr int PANEL_COMBO = 262;         // closed face of the other lists
constexpr int PANEL_SERIAL_SEARCH = 420; // 시리얼 조회
constexpr int PANEL_USB_SEARCH = 421;    // USB 조회

// Shop registration dialog (1024 x 768).
constexpr int REGISTER_KEY_1 = 146; // 146-154: keys 1-9
constexpr int REGISTER_KEY_0 = 155;
constexpr int REGISTER_KEY_CLEAR = 156;       // 전체지움
constexpr int REGISTER_KEY_BACKSPACE = 157;   // <-
constexpr int REGISTER_FIELDS_BUSINESS = 180; // labels 사업자번호 / 매장아이디
constexpr int REGISTER_FIELDS_MANAGER = 181;  // labels 상점아이디 / 비밀번호
constexpr int REGISTER_BACKGROUND = 430;
constexpr int REGISTER_OK = 431;               // 확인
constexpr int REGISTER_CANCEL = 432;           // 취소
constexpr int REGISTER_MODE_BUSINESS_ON = 433; // 사업자번호
constexpr int REGISTER_MODE_BUSINESS_OFF = 434;
constexpr int REGISTER_MODE_MANAGER_ON = 435; // 상점관리자
constexpr int REGISTER_MODE_MANAGER_OFF = 436;
constexpr int REGISTER_FIND_ID = 437;       // 아이디찾기
constexpr int REGISTER_FIND_PASSWORD = 438; // 비밀번호찾기
constexpr int REGISTER_UNINSTALL = 439;

// Toast window.
constexpr int TOAST_REPRINT = 306; // 재출력 on a button face

// Every id above, for checks that the art is complete.
constexpr int ALL_IDS[] = {
    PROGRAM_ICON,
    SETTING_BACKGROUND,
    SETTING_TAB_PRINTER1_OFF,
    SETTING_TAB_PRINTER1_ON,
    SETTING_TAB_PRINTER2_OFF,
    SETTING_TAB_PRINTER2_ON,
    SETTING_PAGE_BASIC_ON,
    SETTING_PAGE_OWNER_OFF,
    SETTING_PAGE_BASIC_OFF,
    SETTING_PAGE_OWNER_ON,
    SETTING_CLOSE,
    SETTING_SAVE,
    SETTING_TEST_PRINT,
    SETTING_COUNT_MINUS,
    SETTING_COUNT_PLUS,
    SETTING_SIZE_SMALL_ON,
    SETTING_SIZE_SMALL_OFF,
    SETTING_SIZE_NORMAL_ON,
    SETTING_SIZE_NORMAL_OFF,
    SETTING_SIZE_LARGE_ON,
    SETTING_SIZE_LARGE_OFF,
    SETTING_PRINT_ON,
    SETTING_PRINT_OFF,
    SETTING_NO_PRINT_ON,
    SETTING_NO_PRINT_OFF,
    PANEL_TYPE_SERIAL_OFF,
    PANEL_TYPE_SERIAL_ON,
    PANEL_TYPE_USB_OFF,
    PANEL_TYPE_USB_ON,
    PANEL_TYPE_NETWORK_OFF,
    PANEL_TYPE_NETWORK_ON,
    PANEL_USE_OFF,
    PANEL_USE_ON,
    PANEL_NOT_USED_OFF,
    PANEL_NOT_USED_ON,
    PANEL_COMBO_PORT,
    PANEL_COMBO,
    PANEL_SERIAL_SEARCH,
    PANEL_USB_SEARCH,
    146,
    147,
    148,
    149,
    150,
    151,
    152,
    153,
    154,
    REGISTER_KEY_0,
    REGISTER_KEY_CLEAR,
    REGISTER_KEY_BACKSPACE,
    REGISTER_FIELDS_BUSINESS,
    REGISTER_FIELDS_MANAGER,
    REGISTER_BACKGROUND,
    REGISTER_OK,
    REGISTER_CANCEL,
    REGISTER_MODE_BUSINESS_ON,
    REGISTER_MODE_BUSINESS_OFF,
    REGISTER_MODE_MANAGER_ON,
    REGISTER_MODE_MANAGER_OFF,
    REGISTER_FIND_ID,
    REGISTER_FIND_PASSWORD,
    REGISTER_UNINSTALL,
    TOAST_REPRINT,
};

} // namespace picture
