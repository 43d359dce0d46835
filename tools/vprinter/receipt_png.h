// Picture of a decoded receipt: a paper strip of 42 or 48 columns of 12x24
// dot cells as in a receipt printer's font A (ASCII one cell, a two-byte
// character two), double width and height drawn as such, emphasized text
// bold, unknown bytes in red hex. Needs a QGuiApplication (offscreen is fine).
#pragma once

#include "tools/vprinter/receipt_decoder.h"

#include <QImage>
#include <string>

namespace vprinter {

constexpr int kCellWidth = 12;
constexpr int kCellHeight = 24;
constexpr int kLineGap = 6;      // dots fed between printed rows
constexpr int kPaperMargin = 16; // dots of blank paper left and right

// The width in dots of a strip with that many columns.
int PaperWidth(int nColumns);

// Draws the receipt; a line longer than the columns wraps as on a printer.
QImage RenderReceipt(const SReceipt& receipt, int nColumns = 42);

// Renders and writes a PNG; false with a message when it cannot be written.
bool SaveReceiptPng(const SReceipt& receipt, const std::string& strPath, int nColumns,
                    std::string& strError);

} // namespace vprinter
