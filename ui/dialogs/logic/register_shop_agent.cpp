// The registration's agent calls over the agent library.
#include "ui/dialogs/logic/register_shop_agent.h"

namespace {

class CNubeqRegisterShopAgent : public IRegisterShopAgent
{
public:
    bool HasRegisterShopEx() override
    {
        CNubeqDllMngr& agent = NubeqDllMngr();
        agent.InitFunction();
        return agent.HasExport("RegisterShopEx");
    }
    int SetData(const std::string& strKey, const std::string& strValue) override
    {
        return NubeqDllMngr().Call_SetData(strKey, strValue);
    }
    int RegisterShopEx() override { return NubeqDllMngr().Call_RegisterShopEx(); }
};

} // namespace

std::unique_ptr<IRegisterShopAgent> MakeNubeqRegisterShopAgent()
{
    return std::make_unique<CNubeqRegisterShopAgent>();
}
