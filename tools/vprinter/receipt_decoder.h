// Decoder of the receipt printer byte stream: splits it into receipts at each
// cut and each receipt into printed lines with their modes, for the virtual
// printer and for tests that compare printed documents.
//
// Understood commands (anything else is kept as unknown bytes):
//   1B 40     ESC @    initialise: mode 0, left justified
//   1B 21 n   ESC ! n  print mode: 0x08 emphasized, 0x10 double height,
//                      0x20 double width (other bits kept and shown)
//   1B 61 n   ESC a n  justification: 0/'0' left, 1/'1' centre, 2/'2' right
//   0D 0A     CR LF    end of line (a bare 0A also ends a line)
//   1B 69     ESC i    cut
//   1D 56 m   GS V m   cut, m = 0, 1, 48, 49; with m = 65, 66, 97, 98, 103,
//                      104 one more byte n follows
//   10 04 n   DLE EOT n real-time status request, n = 1..4: answered by the
//                      printer, prints nothing
// Text is CP949: printable ASCII 20..7E, and two-byte characters whose lead
// byte is 81..FE and trail byte 41..5A, 61..7A or 81..FE.
//
// Text notation (ReceiptText), UTF-8, one text line per printed line:
//
//   L|plain text|
//   C|{B}emphasized, centred{/}|
//   R|{HW}double height and width{/} then plain|
//   L|{BH}주문서{/}<1B 7A>|
//   L|text at the cut|(no LF)
//   -- cut 1B 69
//
// - The first character is the line's justification: L, C or R, the one in
//   effect when the line's first content arrived (for an empty line, when
//   its line feed arrived). A change of justification takes effect on the
//   next line, as on a printer.
// - Content sits between the two bars, so leading and trailing blanks stay
//   visible. A line ended by CR LF ends with "|". A line ended by a bare LF
//   shows "<0A>" before that bar. A line the cut or the end of the data broke
//   off before its line feed ends with "|(no LF)".
// - Mode markers: each line starts in plain mode. "{X}" before text says the
//   text from here on prints in mode X, where X is the set of B (emphasized),
//   H (double height), W (double width), always in that order, followed by
//   "+hh" (hex) for any other bits of the ESC ! byte: {B}, {HW}, {BHW}, {B+80}.
//   "{/}" returns to plain. A line that ends in a mode other than plain
//   closes it with "{/}" before its bar. Mode commands without text after
//   them on the line leave no mark.
// - Unknown bytes and sequences are shown in hex in angle brackets, one
//   bracket per unknown command: "<1B 7A>", "<09>", "<0D>" (a CR without LF).
//   A two-byte character that CP949 does not define is shown the same way.
// - "{@}" marks ESC @ in the middle of a line (a printer drops the part of
//   the line before it); ESC @ at the start of a line leaves no mark.
// - The literal characters \ { < in text are written \\ \{ \<.
// - The last line says how the receipt ended: "-- cut " and the cut bytes
//   in hex, or "-- no cut (data ended)" for a receipt cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vprinter {

constexpr uint8_t kModeEmphasized = 0x08;
constexpr uint8_t kModeDoubleHeight = 0x10;
constexpr uint8_t kModeDoubleWidth = 0x20;

enum EJustify
{
    JUSTIFY_LEFT = 0,
    JUSTIFY_CENTRE = 1,
    JUSTIFY_RIGHT = 2,
};

// A run of a line: text in one mode, one unknown command, or a mid-line ESC @.
struct SSegment
{
    enum EKind
    {
        KIND_TEXT,    // m_strBytes are CP949 text printed in m_nMode
        KIND_UNKNOWN, // m_strBytes are the bytes of one unknown command or byte
        KIND_INIT,    // ESC @ after content on the same line
    };
    EKind m_eKind = KIND_TEXT;
    uint8_t m_nMode = 0;
    std::string m_strBytes;
};

struct SPrintLine
{
    enum EEnd
    {
        END_CRLF,    // CR LF
        END_LF,      // a bare LF
        END_NO_FEED, // a cut or the end of the data came first
    };
    EJustify m_eJustify = JUSTIFY_LEFT;
    std::vector<SSegment> m_vecSegments;
    EEnd m_eEnd = END_CRLF;

    bool IsEmpty() const { return m_vecSegments.empty(); }
};

struct SReceipt
{
    std::vector<SPrintLine> m_vecLines;
    std::string m_strRaw; // every byte of the receipt, the cut included
    std::string m_strCut; // the cut command's bytes; empty when not cut

    bool IsCut() const { return !m_strCut.empty(); }
};

// Incremental decoder: bytes may arrive in chunks of any size, a command or
// a two-byte character split between chunks is completed by the next one.
class CReceiptDecoder
{
public:
    // Decodes the next bytes; every receipt completed by a cut is queued.
    void Feed(std::string_view bytes);
    // The data has ended: an incomplete command becomes unknown bytes, and
    // what remains becomes a final receipt without cut when it printed
    // anything (a line, text or unknown bytes). A tail of nothing but
    // ESC @ / ESC ! / ESC a, such as the ESC @ that ends a job after its
    // cut, is no receipt. The decoder then starts afresh.
    void Finish();
    // The receipts completed so far, in order; the queue is emptied.
    std::vector<SReceipt> TakeReceipts();
    // True while bytes since the last cut printed something.
    bool HasPendingContent() const;

private:
    enum ETokenKind
    {
        TOKEN_TEXT,
        TOKEN_UNKNOWN,
        TOKEN_INIT,
        TOKEN_MODE,
        TOKEN_JUSTIFY,
        TOKEN_CRLF,
        TOKEN_LF,
        TOKEN_CUT,
        TOKEN_REALTIME,
    };
    // Length of the token at the start of the bytes and its kind; 0 when it
    // needs more bytes (never when bFinal).
    static size_t NextToken(std::string_view bytes, bool bFinal, ETokenKind& eKind);
    void Apply(ETokenKind eKind, std::string_view token);
    void Consume(bool bFinal);
    void AddSegment(SSegment::EKind eKind, std::string_view bytes);
    void EndLine(SPrintLine::EEnd eEnd);

    std::string m_strPending; // bytes of an incomplete token
    SReceipt m_current;
    SPrintLine m_line;
    uint8_t m_nMode = 0;
    EJustify m_eJustify = JUSTIFY_LEFT;
    std::vector<SReceipt> m_vecDone;
};

// Decodes a whole stream: Feed + Finish.
std::vector<SReceipt> DecodeReceipts(std::string_view bytes);

// The receipt in the notation above, UTF-8, each line ended by "\n".
std::string ReceiptText(const SReceipt& receipt);
// Every receipt of a stream in that notation, one after another.
std::string StreamText(std::string_view bytes);

// One CP949 character (one byte of ASCII or a two-byte character) as UTF-8;
// false when CP949 does not define it.
bool Utf8FromCp949Char(std::string_view character, std::string& strUtf8);

} // namespace vprinter
