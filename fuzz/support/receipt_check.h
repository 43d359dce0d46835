// Checks of the byte stream a printed document sends, for the document
// fuzz targets: the stream is parsed as the printer would (ESC @, ESC ! n,
// ESC a n, ESC i, GS V n; CR LF ends a line; the rest is CP949 text), and a
// broken rule aborts with a message naming the document and the line.
#pragma once

#include <string>

namespace fuzzsupport {

struct SDocumentRun
{
    const char* pszDocument = ""; // for the message
    int nPaperWidth = 42;         // bytes of single-width text per line
    int nStartResult = 0;         // what StartPrintData returned
    std::string strBytes;         // what the document sent (job end excluded)
};

// Aborts unless: no printed line holds half of a two-byte character (a
// lead byte 0x81-0xFE with no trail byte before the line's end or the next
// command); no text holds other control bytes; no single-width line is
// wider than the paper; a document that reported success and sent
// anything ends in a cut.
void CheckDocumentRun(const SDocumentRun& run);

} // namespace fuzzsupport
