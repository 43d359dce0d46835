// Fuzz target: the event worker's answer to the agent
// (CEventCtrlProcess::MakeSendJsonDataFormat) and its outside-app check
// (IsIncludeHookingOrder) on arbitrary event text; no worker thread runs.
//
// Input: one byte choosing the status (ACCEPTED, COMPLETED, CANCELED or
// REJECTED), two bytes of the current wait number, then the event text.
#include "agent/nubeq_dll_mngr.h"
#include "foundation/json_ctrl.h"
#include "fuzz/support/fuzz_folder.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/printer_setting.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

struct SWorkers
{
    SWorkers() : print(toast, agent, setting), event(print, nullptr, agent, setting)
    {
        fuzzsupport::WriteWholeFile(fuzzsupport::FolderFile("Config.ini"),
                                    "[POS]\nStoreId=ST1\n[ORDER]\nStartNo=1\nLastNo=1\n");
        setting.SetConfigFilePath(fuzzsupport::FolderFile("Config.ini").c_str());
        setting.ReadFilePrintInfo(1);
    }
    CToastCtrlProcess toast;
    CNubeqDllMngr agent;
    CPrinterSetting setting;
    CPrintCtrlProcess print;
    CEventCtrlProcess event;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 3) {
        return -1;
    }
    static const char* const kStatus[] = {"ACCEPTED", "COMPLETED", "CANCELED", "REJECTED"};
    fuzzsupport::ProgramFolder();
    static SWorkers* const pWorkers = new SWorkers;
    const std::string strStatus = kStatus[pData[0] & 0x03];
    const int nWaitNo = pData[1] << 8 | pData[2];
    const std::string strOriginal(reinterpret_cast<const char*>(pData) + 3, nSize - 3);

    std::string strData = strOriginal;
    std::string strResult;
    int nOrderCount = 0;
    int nOutsideApp = 0;
    const int nBuilt = pWorkers->event.MakeSendJsonDataFormat(strResult, strData, nWaitNo,
                                                              nOrderCount, strStatus, nOutsideApp);
    if (nBuilt == 1) {
        CjsonCtrl answer;
        if (!answer.JsonReadData(strResult, 0, 0) || !answer.Root().isArray()) {
            fuzzsupport::Fail("the answer to the agent is not a JSON array: " + strResult);
        }
        if (nOrderCount < 0 || static_cast<unsigned>(nOrderCount) > answer.Root().size()) {
            fuzzsupport::Fail("order count " + std::to_string(nOrderCount) + " for " +
                              std::to_string(answer.Root().size()) + " answered orders");
        }
        if (nOutsideApp != 0 && nOutsideApp != 1) {
            fuzzsupport::Fail("outside-app flag " + std::to_string(nOutsideApp));
        }
    } else if (nBuilt != 0 || strData != strOriginal) {
        fuzzsupport::Fail("refused event data was changed or the result is " +
                          std::to_string(nBuilt));
    }
    CEventCtrlProcess::IsIncludeHookingOrder(strOriginal);
    return 0;
}
