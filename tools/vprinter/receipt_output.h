// Where decoded receipts go: files in the output folder as each receipt
// completes (receipt-NNN.txt/.bin/.png; a receipt the data ended before
// its cut is receipt-NNN-uncut.*), the raw stream of every connection
// (connection-NNN.bin), or the text on stdout without an output folder.
#pragma once

#include "tools/vprinter/receipt_decoder.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace vprinter {

class CReceiptOutput
{
public:
    // An empty folder means the text goes to stdout.
    CReceiptOutput(std::string strFolder, bool bPng, int nColumns);
    ~CReceiptOutput();
    CReceiptOutput(const CReceiptOutput&) = delete;
    CReceiptOutput& operator=(const CReceiptOutput&) = delete;

    void BeginConnection();
    // Bytes as they arrive; completed receipts are written at once.
    void AddBytes(std::string_view bytes);
    // The connection ended: a tail without cut is written as an uncut receipt.
    void EndConnection();
    // Receipts cut so far (over every connection).
    int CutCount() const { return m_nCutCount; }

private:
    void WriteReceipts();
    void WriteReceipt(const SReceipt& receipt);

    std::string m_strFolder;
    bool m_bPng = false;
    int m_nColumns = 42;
    int m_nReceiptCount = 0;
    int m_nCutCount = 0;
    int m_nConnectionCount = 0;
    std::FILE* m_pStream = nullptr;
    CReceiptDecoder m_decoder;
};

} // namespace vprinter
