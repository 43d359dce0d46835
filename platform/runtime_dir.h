// The per-user runtime directory: where the program keeps what lives only
// while it runs (the instance lock, the main window's endpoint and its
// registration).
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR when it is set and names a directory. Otherwise
// /tmp/zelkor-<uid>, created with mode 0700 when missing; an existing one
// must be a real directory (not a symlink) owned by this user with no
// access for group or others, or it is refused: another user could have
// put it there to read or fake our sockets.
//
// True with the path (no trailing slash); false with a message for the
// user in strError ("runtime directory /tmp/zelkor-1000 is owned by uid 0").
bool GetRuntimeDirectory(std::string& strDirectory, std::string& strError);

// The check of the fallback directory: a directory (not a symlink) owned
// by this user and closed to everyone else. False with the reason.
bool CheckPrivateDirectory(const std::string& strPath, std::string& strError);

} // namespace platform
