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
    // The library could be loaded at all.
    virtual bool IsLoaded() = 0;
    // The loaded library has the registration export.
    virtual bool HasRegisterShopEx() = 0;
    virtual int SetData(const std::string& strKey, const std::string& strValue) = 0;
    virtual int RegisterShopEx() = 0;
};

// Over an agent library manager (the process's one by default); it must
// outlive the object.
std::unique_ptr<IRegisterShopAgent>
MakeNubeqRegisterShopAgent(CNubeqDllMngr& agent = NubeqDllMngr());
