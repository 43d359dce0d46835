// The messages, commands, timer ids and records of the main window, with
// their Windows values: the agent, the workers and the host speak them.
// The private messages the workers post are declared beside the workers
// (pipeline/event_ctrl_process.h, pipeline/toast_ctrl_process.h).
#pragma once

#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"

#include <cstdint>

// System messages the main window handles.
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUERYENDSESSION = 0x0011;
constexpr unsigned WM_COPYDATA = 0x004A;
constexpr unsigned WM_COMMAND = WM_ZELKOR_COMMAND; // 0x0111
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_POWERBROADCAST = 0x0218;

// The shell restarted (the "TaskbarCreated" registered message): the tray
// icon is created again. The host sends it when the tray comes back.
constexpr unsigned WM_TASKBAR_CREATED = 0xC000;

// Private messages.
constexpr unsigned WM_NUBEQ_RUN = 6024;
constexpr unsigned WM_TRAY_NOTIFY = 10024;

// Tray menu commands (WM_COMMAND, wParam) and the about item of the
// system menu (WM_SYSCOMMAND).
constexpr unsigned ID_TRAY_CLOSE = 32773;
// ID_TRAY_PRINTSETTING = 32777 comes with the event worker.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Power events (WM_POWERBROADCAST, wParam).
constexpr unsigned PBT_APMSUSPEND = 4;
constexpr unsigned PBT_APMRESUMEAUTOMATIC = 18;

// The one timer of the main window: the agent check after a run request.
constexpr unsigned TIMER_NUBEQ_RUN = 40001;

// Results of a dialog's modal run.
constexpr int IDD_RESULT_OK = 1;
constexpr int IDD_RESULT_CANCEL = 2;

// The copy-data record as the agent fills it: dwData the event type,
// lpData the text (may be null), cbData the size of the block at lpData.
struct COPYDATASTRUCT
{
    uintptr_t dwData = 0;
    uint32_t cbData = 0;
    const void* lpData = nullptr;
};
