// The shop registration as the agent start sees it: a dialog created with
// the identity to start from (empty at a first start), which either runs
// modally (the user logs in or cancels) or registers silently with the
// stored identity. The shell pieces create it (CShellParts::
// CreateShopRegistration); the registration dialog implements it.
#pragma once

#include <string>

// Results of the modal run.
constexpr int REGISTER_RESULT_CANCEL = 2;
constexpr int REGISTER_RESULT_BSNUM = 10; // registered by business number and store id
constexpr int REGISTER_RESULT_ADMIN = 11; // registered as the store manager

class IShopRegistration
{
public:
    virtual ~IShopRegistration() = default;

    // Shows the dialog and returns when it ends: REGISTER_RESULT_CANCEL, or
    // a registered result. A registration hands the identity to the agent
    // library and writes it to Config.ini [POS] itself.
    virtual int DoModal() = 0;

    // Registers with these two values (business number and store id)
    // without showing the dialog: 0 registered, -1 not. bShowMessage 0:
    // a failure shows no message box.
    virtual int RunRegisterShop(const std::string& strFirst, const std::string& strSecond,
                                int bShowMessage) = 0;
};
