// The process-wide entry for messages to the main window. The main window
// installs a post handler (queues the message on its thread) and a send
// handler (runs it on its thread while the caller waits); workers reach
// the window only through these calls.
#pragma once

#include <cstdint>
#include <functional>

using WindowPostHandler = std::function<bool(unsigned nMsg, uintptr_t wParam, intptr_t lParam)>;
using WindowSendHandler = std::function<intptr_t(unsigned nMsg, uintptr_t wParam, intptr_t lParam)>;

// Installs both handlers, replacing earlier ones. Calls already inside a
// replaced handler finish with it.
void InstallMainWindowSink(WindowPostHandler pfnPost, WindowSendHandler pfnSend);
// Removes the handlers; later posts and sends fail.
void RemoveMainWindowSink();
bool HasMainWindowSink();

// Queues the message for the main window. False (logged) with no window.
bool PostMainWindowMessage(unsigned nMsg, uintptr_t wParam, intptr_t lParam);
// Has the main window handle the message and returns when it has; the
// handler's result goes to pResult. False (logged) with no window.
bool SendMainWindowMessage(unsigned nMsg, uintptr_t wParam, intptr_t lParam,
                           intptr_t* pResult = nullptr);
