// The texts of the print-failure toast as the toast worker builds them.
#include "ui/samples/toast_samples.h"

#include "foundation/window_sink.h"
#include "pipeline/toast_ctrl_process.h"
#include "ui/html/html_drawer.h"
#include "ui/html/html_text.h"

#include <memory>

namespace {

struct SCaptured
{
    std::string strTitle;
    std::string strBody;
};

SCaptured Capture(const std::string& strOrder, int nPrintType)
{
    SCaptured captured;
    InstallMainWindowSink([](unsigned, uintptr_t, intptr_t) { return false; },
                          [&captured](unsigned nMsg, uintptr_t, intptr_t lParam) -> intptr_t {
                              std::unique_ptr<ToastRequestInfo> pInfo(
                                  reinterpret_cast<ToastRequestInfo*>(lParam));
                              if (nMsg == WM_TRAY_SHOW_TOAST && pInfo) {
                                  captured = {pInfo->szTitle, pInfo->szBody};
                              }
                              return 1;
                          });
    CToastCtrlProcess toast;
    toast.ShowPrintFailToast(strOrder, nPrintType);
    RemoveMainWindowSink();
    return captured;
}

} // namespace

SToastSamples PrintFailToastSamples()
{
    if (HasMainWindowSink()) {
        return {};
    }
    const SCaptured order = Capture(
        "{\"serviceType\":\"PICKUP\",\"hms\":\"143005\",\"desc\":\"떡볶이 순대 튀김 김밥 외2\"}",
        0x1);
    const SCaptured sales = Capture("", TOAST_PRINT_TYPE_SALES);
    return {order.strTitle, order.strBody, sales.strBody};
}

HtmlSize DrawToastSample(IHtmlMetrics& metrics, IHtmlDrawSink& sink, const std::string& strMarkup,
                         int nWidth)
{
    CHtmlDrawer drawer;
    drawer.SetStyleRule(U"body", U"font-size:12px; color:0x000000; font-family:verdana; "
                                 U"font-weight:400");
    drawer.SetWrapWidth(nWidth - 1);
    const std::u32string strText = U"<font color=0x000000>" + HtmlFromCp949(strMarkup) + U"</font>";
    const HtmlSize size = drawer.MeasureHtml(metrics, strText);
    drawer.DrawHtml(metrics, sink, strText, {0, 0, nWidth - 1, size.nHeight});
    return size;
}
