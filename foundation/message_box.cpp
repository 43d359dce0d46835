// The presenter registration, the logged box and the journal presenter.
#include "foundation/message_box.h"

#include "foundation/json_styled_writer.h"
#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "platform/file_system.h"
#include "platform/local_clock.h"

#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex& PresenterLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<IMessageBoxPresenter>& CurrentPresenter()
{
    static std::shared_ptr<IMessageBoxPresenter> pPresenter;
    return pPresenter;
}

const char* ButtonsName(unsigned nType)
{
    switch (nType & MB_BUTTON_MASK) {
    case MB_OKCANCEL:
        return "OKCANCEL";
    case MB_YESNO:
        return "YESNO";
    default:
        return "OK";
    }
}

const char* IconName(unsigned nType)
{
    switch (nType & MB_ICON_MASK) {
    case MB_ICONERROR:
        return "error";
    case MB_ICONQUESTION:
        return "question";
    case MB_ICONWARNING:
        return "warning";
    case MB_ICONINFORMATION:
        return "information";
    default:
        return "none";
    }
}

std::string Quote(const std::string& strText)
{
    return CJsonStyledWriter::QuoteString(strText.data(), strText.data() + strText.size());
}

// A scripted answer, given after the box has been open nHoldMs (0: at
// once); meanwhile the waiting thread pumps its messages, as a user's open
// box lets the main window go on.
struct SJournalAnswer
{
    int nAnswer;
    int nHoldMs;
};

class CJournalPresenter : public IMessageBoxPresenter
{
public:
    CJournalPresenter(std::string strPath, std::vector<SJournalAnswer> vAnswers)
        : m_strPath(std::move(strPath)), m_vAnswers(std::move(vAnswers))
    {
    }

    int Present(const SMessageBox& box) override
    {
        SJournalAnswer answer{DefaultMessageBoxAnswer(box.nType), 0};
        {
            std::lock_guard lock(m_Lock);
            if (m_nNext < m_vAnswers.size()) {
                answer = m_vAnswers[m_nNext++];
            }
            std::string strLine =
                "{\"pid\":" + std::to_string(::getpid()) +
                ",\"ms\":" + std::to_string(platform::GetMonotonicMs()) +
                ",\"id\":" + std::to_string(box.nStringId) + ",\"text\":" + Quote(box.strText) +
                ",\"caption\":" + Quote(box.strCaption) + ",\"buttons\":\"" +
                ButtonsName(box.nType) + "\",\"icon\":\"" + IconName(box.nType) +
                "\",\"topmost\":" + ((box.nType & MB_TOPMOST) ? "true" : "false") +
                ",\"owner\":" + (box.pOwner != nullptr ? "true" : "false") +
                ",\"answer\":" + std::to_string(answer.nAnswer) + "}\n";
            int hFile = platform::OpenWriteFile(m_strPath, true);
            if (hFile != platform::kInvalidFile) {
                platform::WriteFile(hFile, strLine.data(), strLine.size()); // one write per line
                platform::CloseFile(hFile);
            }
        }
        if (answer.nHoldMs > 0) {
            // Open as long as a user would keep it: the main thread's
            // messages go on meanwhile, as under a modal box.
            PumpMessagesFor(static_cast<uint32_t>(answer.nHoldMs));
        }
        return answer.nAnswer;
    }

private:
    std::mutex m_Lock;
    const std::string m_strPath;
    const std::vector<SJournalAnswer> m_vAnswers;
    size_t m_nNext = 0;
};

} // namespace

void SetMessageBoxPresenter(std::shared_ptr<IMessageBoxPresenter> pPresenter)
{
    std::shared_ptr<IMessageBoxPresenter> pOld;
    std::lock_guard lock(PresenterLock());
    pOld.swap(CurrentPresenter());
    CurrentPresenter() = std::move(pPresenter);
}

std::shared_ptr<IMessageBoxPresenter> GetMessageBoxPresenter()
{
    std::lock_guard lock(PresenterLock());
    return CurrentPresenter();
}

int PresentMessageBox(const SMessageBox& box)
{
    std::shared_ptr<IMessageBoxPresenter> pPresenter = GetMessageBoxPresenter();
    if (!pPresenter) {
        return 0;
    }
    try {
        return pPresenter->Present(box);
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] Exception [%s]", "PresentMessageBox", e.what());
        return 0;
    }
}

int ZelkorMessageBox(const char* pszTag, int nLogLevel, int nStringId, const std::string& strText,
                     unsigned nType, void* pOwner)
{
    LOG_PRINT(nLogLevel, "[%s] Messagebox : %s", pszTag, strText.c_str());
    SMessageBox box;
    box.nStringId = nStringId;
    box.strText = strText;
    box.strCaption = MESSAGEBOX_CAPTION;
    box.nType = nType;
    box.pOwner = pOwner;
    return PresentMessageBox(box);
}

std::string MessageBoxLines(const std::string& strText)
{
    std::string strLines;
    strLines.reserve(strText.size());
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r') {
            strLines += '\n';
            if (i + 1 < strText.size() && strText[i + 1] == '\n') {
                ++i;
            }
        } else {
            strLines += strText[i];
        }
    }
    return strLines;
}

int DefaultMessageBoxAnswer(unsigned nType)
{
    return (nType & MB_BUTTON_MASK) == MB_YESNO ? IDYES : IDOK;
}

std::shared_ptr<IMessageBoxPresenter> MakeJournalMessageBoxPresenter(std::string strJournalPath,
                                                                     std::vector<int> vAnswers)
{
    std::vector<SJournalAnswer> vHeld;
    for (int nAnswer : vAnswers) {
        vHeld.push_back({nAnswer, 0});
    }
    return std::make_shared<CJournalPresenter>(std::move(strJournalPath), std::move(vHeld));
}

std::shared_ptr<IMessageBoxPresenter> MessageBoxPresenterFromEnvironment()
{
    const char* pszJournal = std::getenv("ZELKOR_MESSAGEBOX_JOURNAL");
    if (pszJournal == nullptr || pszJournal[0] == '\0') {
        return nullptr;
    }
    std::vector<SJournalAnswer> vAnswers;
    const char* pszAnswers = std::getenv("ZELKOR_MESSAGEBOX_ANSWERS");
    for (const char* p = pszAnswers != nullptr ? pszAnswers : ""; *p != '\0';) {
        char* pEnd = nullptr;
        long nAnswer = std::strtol(p, &pEnd, 10);
        if (pEnd == p) {
            ++p; // a separator or stray character
            continue;
        }
        SJournalAnswer answer{static_cast<int>(nAnswer), 0};
        p = pEnd;
        if (*p == '@') {
            long nHoldMs = std::strtol(p + 1, &pEnd, 10);
            if (pEnd != p + 1 && nHoldMs > 0) {
                answer.nHoldMs = static_cast<int>(nHoldMs);
            }
            p = pEnd == p + 1 ? p + 1 : pEnd;
        }
        vAnswers.push_back(answer);
    }
    return std::make_shared<CJournalPresenter>(pszJournal, std::move(vAnswers));
}
