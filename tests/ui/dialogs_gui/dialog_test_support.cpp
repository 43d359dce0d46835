// Dialog test support.
#include "tests/ui/dialogs_gui/dialog_test_support.h"

#include "tests/support/program_folder.h"

#include <json/reader.h>
#include <memory>
#include <sstream>

namespace dialogtest {

CBoxJournal::CBoxJournal(std::string strPath, std::vector<int> vAnswers)
    : m_strPath(std::move(strPath))
{
    SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(m_strPath, std::move(vAnswers)));
}

CBoxJournal::~CBoxJournal()
{
    SetMessageBoxPresenter(nullptr);
}

std::vector<Json::Value> CBoxJournal::Boxes() const
{
    std::vector<Json::Value> vBoxes;
    std::istringstream stream(testsupport::ReadWholeFile(m_strPath));
    std::string strLine;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> pReader(builder.newCharReader());
    while (std::getline(stream, strLine)) {
        Json::Value box;
        std::string strErrors;
        if (pReader->parse(strLine.data(), strLine.data() + strLine.size(), &box, &strErrors)) {
            vBoxes.push_back(box);
        }
    }
    return vBoxes;
}

std::vector<int> CBoxJournal::Ids() const
{
    std::vector<int> vIds;
    for (const Json::Value& box : Boxes()) {
        vIds.push_back(box["id"].asInt());
    }
    return vIds;
}

} // namespace dialogtest
