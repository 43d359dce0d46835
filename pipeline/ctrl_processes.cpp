// The process-wide workers.
#include "pipeline/ctrl_processes.h"

#include "agent/nubeq_dll_mngr.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/printer_setting.h"

CToastCtrlProcess& ToastCtrlProcess()
{
    static CToastCtrlProcess s_Toast;
    return s_Toast;
}

CPrintCtrlProcess& PrintCtrlProcess()
{
    static CPrintCtrlProcess s_Print(ToastCtrlProcess());
    return s_Print;
}

CEventCtrlProcess& EventCtrlProcess()
{
    static CEventCtrlProcess s_Event(PrintCtrlProcess(), &ToastCtrlProcess(), NubeqDllMngr(),
                                     PrinterSetting());
    return s_Event;
}
