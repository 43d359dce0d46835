// The shop's files in the program folder as every printed order reads them:
// Config.ini and the origin notice Store_Orgin.dat. Each is kept as it was
// last read and read again only when its stamp (identity, size, times; one
// stat) changes, so an order costs no file reads while the files stay as
// they are, and the next order after a change (by the agent, the settings
// dialog or an event) sees the change.
#pragma once

#include "foundation/ini_file.h"
#include "platform/file_stamp.h"

#include <memory>
#include <mutex>
#include <string>

// The origin notice file as read: the text up to its first NUL, at most
// kMaxBytes of the file and then without a character cut in two.
struct SOriginNoticeFile
{
    // An origin notice is a few lines for the foot of a receipt. A larger
    // file is read only this far, so that a runaway file cannot exhaust
    // memory (and flood the log) on every order.
    static constexpr long kMaxBytes = 64 * 1024;

    bool bRead = false; // the file was opened and is not empty
    std::string strText;
    int nCount = 0; // bytes read
    int nSize = 0;  // size of the file
};

class CShopFiles
{
public:
    // Config.ini of the program folder as it is now (empty when missing).
    std::shared_ptr<const CIniSnapshot> GetConfig();
    // Store_Orgin.dat of the program folder as it is now.
    std::shared_ptr<const SOriginNoticeFile> GetOriginNotice();

private:
    template <class T>
    struct SEntry
    {
        std::string strPath;
        platform::FileStamp stamp;
        std::shared_ptr<const T> pValue;
    };

    // The entry's value, read again by fnRead when the path or the file's
    // stamp changed.
    template <class T, class Reader>
    std::shared_ptr<const T> Current(SEntry<T>& entry, const std::string& strPath, Reader fnRead);

    std::mutex m_Lock;
    SEntry<CIniSnapshot> m_Config;
    SEntry<SOriginNoticeFile> m_Notice;
};

// The process-wide copy, shared by every worker that reads an order.
CShopFiles& ShopFiles();
