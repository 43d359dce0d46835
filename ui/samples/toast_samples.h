// The texts of the print-failure toast as the toast worker builds them
// (title, the body of an order, the body of the sales report), for the
// engine's goldens, the rendering tests and the screenshots.
#pragma once

#include <string>

struct SToastSamples
{
    // CP949 markup, as in the toast request record.
    std::string strTitle;
    std::string strOrderBody; // a pickup order at 14:30 with a long menu text
    std::string strSalesBody;
};

// Runs CToastCtrlProcess::ShowPrintFailToast twice against a stand-in main
// window and returns what it was sent. For tests and tools only: it
// installs the process-wide main-window sink for the call, and refuses
// (empty texts) when one is installed already.
SToastSamples PrintFailToastSamples();

#include "ui/html/html_seam.h"

// Draws a toast text the way a left-aligned static of nWidth pixels with a
// 12 px font shows it: markup in the window-text colour, wrapped at
// nWidth - 1, drawn at (0, 0). Returns the measured block.
HtmlSize DrawToastSample(IHtmlMetrics& metrics, IHtmlDrawSink& sink, const std::string& strMarkup,
                         int nWidth);
