// zelkor-crash-notice ID: the notice to the user after a crash (string ID
// of the string table, normally 121) in a message box of a process of its
// own, since the crashed program may no longer be able to show a window.
// It ends when the box is closed. With ZELKOR_MESSAGEBOX_JOURNAL set, the
// box goes to the program's journal presenter instead (tests).
#include "foundation/message_box.h"
#include "platform/text_encoding.h"
#include "res/string_table.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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
    char* pEnd = nullptr;
    const long nId = argc == 2 ? std::strtol(argv[1], &pEnd, 10) : 0;
    if (argc != 2 || pEnd == argv[1] || *pEnd != '\0' || !HasStringText(static_cast<int>(nId))) {
        std::fprintf(stderr, "usage: zelkor-crash-notice ID (a string table id)\n");
        return 2;
    }
    SMessageBox box;
    box.nStringId = static_cast<int>(nId);
    box.strText = LoadStringText(box.nStringId);
    box.strCaption = MESSAGEBOX_CAPTION;
    box.nType = MB_OK;
    if (std::shared_ptr<IMessageBoxPresenter> pJournal = MessageBoxPresenterFromEnvironment()) {
        return pJournal->Present(box) == IDOK ? 0 : 1;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "zelkor-crash-notice: no display to show the notice on\n");
        return 4;
    }
    QApplication app(argc, argv);
    QMessageBox notice(QMessageBox::NoIcon,
                       QString::fromStdString(platform::Cp949ToUtf8(box.strCaption)),
                       QString::fromStdString(platform::Cp949ToUtf8(MessageBoxLines(box.strText))),
                       QMessageBox::Ok);
    notice.exec();
    return 0;
}
