// Message boxes on Qt: the presenter the program installs when no test
// presenter is chosen. A box asked for on the main thread is modal there;
// one asked for on another thread opens on the main thread without
// blocking it, and the asking thread waits for the answer.
#pragma once

#include "foundation/message_box.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

class QMessageBox;
class QObject;

class CQtMessageBoxPresenter : public IMessageBoxPresenter
{
public:
    // Built on the main thread, with the application object.
    CQtMessageBoxPresenter();
    ~CQtMessageBoxPresenter() override;

    int Present(const SMessageBox& box) override;

    // Before the application object dies: closes nothing, but releases
    // every thread waiting for an answer (it gets 0) and refuses new boxes.
    void Shutdown();

    // The box as Qt shows it (text converted from CP949, CR LF as line
    // breaks, buttons, icon, topmost).
    static QMessageBox* CreateBox(const SMessageBox& box);
    // The Windows answer of a closed box.
    static int Answer(QMessageBox& box);

private:
    struct SPending
    {
        std::mutex lock;
        std::condition_variable done;
        bool bFinished = false;
        int nAnswer = 0;
    };

    const std::thread::id m_MainThread;
    std::unique_ptr<QObject> m_pContext;
    std::mutex m_Lock;
    bool m_bShutdown = false;
    std::set<std::shared_ptr<SPending>> m_Pending;
};
