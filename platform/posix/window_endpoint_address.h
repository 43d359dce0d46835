// The socket address of a window's endpoint, shared by its server and its
// client (POSIX side only).
#pragma once

#include "platform/runtime_dir.h"
#include "platform/window_endpoint_format.h"

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>

namespace platform {

// The path and address of nWindowId's socket in the runtime directory.
// False with the reason (no runtime directory, a path too long for a
// socket address).
inline bool WindowEndpointAddress(intptr_t nWindowId, std::string& strPath, sockaddr_un& address,
                                  std::string& strError)
{
    std::string strDirectory;
    if (!GetRuntimeDirectory(strDirectory, strError)) {
        return false;
    }
    strPath = WindowEndpointPath(strDirectory, nWindowId);
    address = {};
    address.sun_family = AF_UNIX;
    if (strPath.size() >= sizeof(address.sun_path)) {
        strError = "endpoint path " + strPath + " is longer than a socket path may be";
        return false;
    }
    std::memcpy(address.sun_path, strPath.c_str(), strPath.size() + 1);
    return true;
}

} // namespace platform
