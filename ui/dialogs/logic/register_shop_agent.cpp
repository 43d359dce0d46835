// The registration's agent calls over the agent library.
#include "ui/dialogs/logic/register_shop_agent.h"

namespace {

class CNubeqRegisterShopAgent : public IRegisterShopAgent
{
public:
    explicit CNubeqRegisterShopAgent(CNubeqDllMngr& agent) : m_Agent(agent) {}
    bool IsLoaded() override
    {
        m_Agent.InitFunction();
        return m_Agent.IsLoaded();
    }
    bool HasRegisterShopEx() override { return m_Agent.HasExport("RegisterShopEx"); }
    int SetData(const std::string& strKey, const std::string& strValue) override
    {
        return m_Agent.Call_SetData(strKey, strValue);
    }
    int RegisterShopEx() override { return m_Agent.Call_RegisterShopEx(); }

private:
    CNubeqDllMngr& m_Agent;
};

} // namespace

std::unique_ptr<IRegisterShopAgent> MakeNubeqRegisterShopAgent(CNubeqDllMngr& agent)
{
    return std::make_unique<CNubeqRegisterShopAgent>(agent);
}
