// The calls the shop registration makes into the agent interface library,
// behind a small interface so tests can put a fake (one that calls back
// into the dialog while it runs, for instance) in place of the library.
#pragma once

#include "agent/nubeq_dll_mngr.h"

#include <memory>
#include <string>

class IRegisterShopAgent
{
public:
    virtual ~IRegisterShopAgent() = default;
    // The library has the registration export at all.
    virtual bool HasRegisterShopEx() = 0;
    virtual int SetData(const std::string& strKey, const std::string& strValue) = 0;
    virtual int RegisterShopEx() = 0;
};

// Over the process's agent library (NubeqDllMngr).
std::unique_ptr<IRegisterShopAgent> MakeNubeqRegisterShopAgent();
