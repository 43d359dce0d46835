// CDlgRegisterPos: the shop registration dialog of the first start and of
// a renewal, built for a touch screen (1024 x 768, topmost): two large
// fields, a numeric keypad whose buttons never take the focus from the
// field, business-number and store-manager modes, recovery links and the
// uninstall button. The registration itself (agent values, results,
// Config.ini) is ui/dialogs/logic/register_shop.h; this is its window.
#pragma once

#include "app/shop_registration.h"
#include "ui/dialogs/logic/register_shop.h"

#include <QDialog>
#include <map>
#include <memory>
#include <string>

class CFlatEdit;
class CPictureButton;
class QLabel;

class CDlgRegisterPos : public QDialog, public IShopRegistration
{
    Q_OBJECT
public:
    // Control ids, as the keypad and tests name them.
    enum EControl
    {
        IDC_EDIT_FIRST = 1000,
        IDC_EDIT_SECOND = 1001,
        IDC_KEY_1 = 1002, // 1002-1010: "1"-"9", 1011: "0"
        IDC_KEY_0 = 1011,
        IDC_KEY_CLEAR = 1012,
        IDC_KEY_BACKSPACE = 1013,
        IDC_UNINSTALL = 1014,
        IDC_CANCEL = 1028,
        IDC_OK = 1029,
        IDC_MODE_BSNUM = 1043,
        IDC_MODE_ADMIN = 1044,
        IDC_FIND_ID = 1045,
        IDC_FIND_PASSWORD = 1046,
    };

    // The identity to start from (may be empty), the main window given to
    // the agent as "REQ_HANDLE", and the agent calls (the library's by default).
    CDlgRegisterPos(std::string strBizNo, std::string strStoreId, AgentWindowHandle hMainWnd,
                    std::unique_ptr<IRegisterShopAgent> pAgent = MakeNubeqRegisterShopAgent(),
                    QWidget* pParent = nullptr);
    ~CDlgRegisterPos() override;

    int DoModal() override;
    // 0 registered, -1 not; with bShowMessage 1 a failure shows its box.
    int RunRegisterShop(const std::string& strFirst, const std::string& strSecond,
                        int bShowMessage) override;

    // The OK button and Enter: one login at a time.
    void LoginZelkor();
    // The keypad's edit of the focused field (field 1000 when neither has
    // the focus). nOperation: FIELD_EDIT_APPEND / _DELETE / _CLEAR.
    bool AppendStringFocusEditBox(const char* pszText, int nOperation);
    void OnBnClickedButtonUninstall();

    int LoginType() const { return m_nLoginType; }
    bool IsLoginRunning() const { return m_bProcessLogin != 0; }
    CFlatEdit* Edit(int nId) const;
    CPictureButton* Button(int nId) const;

    // Shown, the first field has the focus with the caret behind its given
    // text, nothing selected.
    void setVisible(bool bVisible) override;

private:
    void BuildControls();
    void OnKey(int nId);
    void SetMode(int nLoginType);
    void ApplyMasking();
    void OpenRecoveryPage(const char* pszPath);
    int ShowBox(const char* pszTag, int nLogLevel, int nStringId, unsigned nType);

    std::string m_strBizNo;
    std::string m_strStoreId;
    AgentWindowHandle m_hMainWnd;
    std::unique_ptr<IRegisterShopAgent> m_pAgent;
    int m_nLoginType = LOGIN_TYPE_BSNUM;
    int m_bProcessLogin = 0;
    QLabel* m_pFieldsPicture = nullptr;
    CFlatEdit* m_pFirst = nullptr;
    CFlatEdit* m_pSecond = nullptr;
    std::map<int, CPictureButton*> m_mapButtons;
};
