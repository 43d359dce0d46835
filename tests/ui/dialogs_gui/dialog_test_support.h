// What the dialog tests share: the boxes the dialogs showed (journal
// presenter), and text conversions for widgets.
#pragma once

#include "foundation/message_box.h"

#include <json/value.h>
#include <string>
#include <vector>

namespace dialogtest {

// Installs the journal presenter for the object's life.
class CBoxJournal
{
public:
    CBoxJournal(std::string strPath, std::vector<int> vAnswers = {});
    ~CBoxJournal();
    // Every box shown so far.
    std::vector<Json::Value> Boxes() const;
    // The string table ids of the boxes so far, in order.
    std::vector<int> Ids() const;

private:
    std::string m_strPath;
};

} // namespace dialogtest
