// zelkor-crash-notice ID TEXT: the notice to the user after a crash, in a
// message box of a process of its own (the crashed program may no longer
// be able to show a window). TEXT is CP949, as the program keeps it. With
// ZELKOR_NOTICE_JOURNAL set, the notice is appended to that file as one
// line instead of shown: "ID<TAB>caption<TAB>buttons<TAB>text", with CR
// and LF in the text written as \r and \n (tests).
#include "platform/text_encoding.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kCaption = "Zelkor";

int JournalNotice(const char* pszJournal, const char* pszId, const std::string& strText)
{
    std::string strLine = std::string(pszId) + "\t" + kCaption + "\tOK\t";
    for (char ch : strText) {
        if (ch == '\r') {
            strLine += "\\r";
        } else if (ch == '\n') {
            strLine += "\\n";
        } else {
            strLine += ch;
        }
    }
    strLine += '\n';
    FILE* pFile = std::fopen(pszJournal, "ab");
    if (pFile == nullptr) {
        return 3;
    }
    bool bOk = std::fwrite(strLine.data(), 1, strLine.size(), pFile) == strLine.size();
    return std::fclose(pFile) == 0 && bOk ? 0 : 3;
}

bool HasDisplay()
{
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* pszValue = std::getenv(pszName);
        if (pszValue != nullptr && *pszValue != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelkor-crash-notice ID TEXT\n");
        return 2;
    }
    const char* pszJournal = std::getenv("ZELKOR_NOTICE_JOURNAL");
    if (pszJournal != nullptr && *pszJournal != '\0') {
        return JournalNotice(pszJournal, argv[1], argv[2]);
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "zelkor-crash-notice: no display to show the notice on\n");
        return 4;
    }
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kCaption),
                    QString::fromStdString(platform::Cp949ToUtf8(argv[2])), QMessageBox::Ok);
    box.exec();
    return 0;
}
