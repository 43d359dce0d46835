// The program's message boxes, through one presenter seam. The core asks
// for a box with a text from the string table (CP949, CR LF line breaks),
// a caption, buttons and an icon; whoever installed the presenter shows it
// (the Qt host on its main thread, a test journal, ...) and the answer
// comes back as the Windows button ids the callers test for.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Buttons (low four bits), icon (next four) and the topmost flag, with the
// Windows values, so call sites read as the message box calls they are.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_BUTTON_MASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30; // the exclamation mark
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICON_MASK = 0xF0;
constexpr unsigned MB_TOPMOST = 0x40000;

// Answers. 0: the box could not be shown (no presenter).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The caption of every box of the program.
constexpr const char* MESSAGEBOX_CAPTION = "Zelkor";

struct SMessageBox
{
    int nStringId = 0;      // string table id of the text; 0 for a text of its own
    std::string strText;    // CP949, CR LF between lines
    std::string strCaption; // CP949
    unsigned nType = MB_OK; // buttons | icon | MB_TOPMOST
    void* pOwner = nullptr; // owner window, opaque here; null: no owner
};

// Shows one box and returns the answer when it has been closed. May be
// called on any thread: a presenter that must show boxes on a UI thread
// hands the box over and waits there, without blocking that thread.
class IMessageBoxPresenter
{
public:
    virtual ~IMessageBoxPresenter() = default;
    virtual int Present(const SMessageBox& box) = 0;
};

// Installs the presenter (null removes it). Boxes already open finish
// with the one they started with.
void SetMessageBoxPresenter(std::shared_ptr<IMessageBoxPresenter> pPresenter);
std::shared_ptr<IMessageBoxPresenter> GetMessageBoxPresenter();

// Shows the box through the installed presenter; 0 without one.
int PresentMessageBox(const SMessageBox& box);

// The program's box with a logged text: "[%s] Messagebox : %s" at
// nLogLevel with the tag and the text, then the box with caption "Zelkor".
int ZelkorMessageBox(const char* pszTag, int nLogLevel, int nStringId, const std::string& strText,
                     unsigned nType, void* pOwner = nullptr);

// The text as a presenter shows it: every CR LF (and a lone CR) a line
// break "\n".
std::string MessageBoxLines(const std::string& strText);

// The answer of a box nobody answers (the first button): IDOK or IDYES.
int DefaultMessageBoxAnswer(unsigned nType);

// A presenter for tests and headless runs: each box is one JSON line
//   {"pid":12,"ms":3456,"id":112,"text":"...","caption":"Zelkor",
//    "buttons":"OK","icon":"warning","topmost":false,"owner":false,"answer":1}
// appended to strJournalPath (texts as CP949 bytes, JSON-escaped; "ms" is
// the monotonic clock), answered with the next of vAnswers, then with the
// default answer once they are used up.
std::shared_ptr<IMessageBoxPresenter> MakeJournalMessageBoxPresenter(std::string strJournalPath,
                                                                     std::vector<int> vAnswers);

// The journal presenter when ZELKOR_MESSAGEBOX_JOURNAL names a file
// (answers from ZELKOR_MESSAGEBOX_ANSWERS, comma-separated ids such as
// "7,6", each held open for a while with "@MS": "7@3000,6"); null
// otherwise. Hosts install it in place of their own.
std::shared_ptr<IMessageBoxPresenter> MessageBoxPresenterFromEnvironment();
