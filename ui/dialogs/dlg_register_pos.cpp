// CDlgRegisterPos.
#include "ui/dialogs/dlg_register_pos.h"

#include "foundation/ini_file.h"
#include "foundation/message_box.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "platform/file_system.h"
#include "platform/program_folder.h"
#include "res/picture_ids.h"
#include "ui/common/cp949_input.h"
#include "ui/common/dialog_key_filter.h"
#include "ui/common/png_resource.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

namespace {

constexpr int kFieldCharacters = 20;

std::string ConfigPath()
{
    return platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
}

} // namespace

CDlgRegisterPos::CDlgRegisterPos(std::string strBizNo, std::string strStoreId,
                                 AgentWindowHandle hMainWnd,
                                 std::unique_ptr<IRegisterShopAgent> pAgent, QWidget* pParent)
    : QDialog(pParent), m_strBizNo(std::move(strBizNo)), m_strStoreId(std::move(strStoreId)),
      m_hMainWnd(hMainWnd), m_pAgent(std::move(pAgent))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Zelkor"));
    setFixedSize(1024, 768);
    move(0, 0);
    BuildControls();
    SetMode(LOGIN_TYPE_BSNUM);
    if (!m_strBizNo.empty()) {
        m_pFirst->SetTextCp949(m_strBizNo);
    }
    if (!m_strStoreId.empty()) {
        m_pSecond->SetTextCp949(m_strStoreId);
    }
    // Enter logs in; Escape and Alt+F4 do nothing; Space goes to the fields.
    auto* pFilter = new CDialogKeyFilter(this, false);
    pFilter->SetEnterHandler([this] { LoginZelkor(); });
    m_pFirst->setFocus();
}

CDlgRegisterPos::~CDlgRegisterPos() = default;

void CDlgRegisterPos::BuildControls()
{
    auto* pBackground = new QLabel(this);
    pBackground->setPixmap(QPixmap::fromImage(LoadPngResource(picture::REGISTER_BACKGROUND)));
    pBackground->setGeometry(0, 0, 1024, 768);
    m_pFieldsPicture = new QLabel(this);
    m_pFieldsPicture->setGeometry(232, 175, 560, 200);

    auto makeEdit = [this](int nTop) {
        auto* pEdit = new CFlatEdit(this);
        pEdit->SetBackgroundColour(QColor(68, 68, 68));
        pEdit->SetTextColour(Qt::white);
        pEdit->m_nFontHeight = 34;
        pEdit->m_nBold = 1;
        pEdit->SetNoFrame(true);
        pEdit->ApplyFont();
        pEdit->setMaxLength(kFieldCharacters);
        pEdit->setGeometry(232 + 168, 175 + nTop, 364, 48);
        pEdit->CenterTextVertically();
        // Masking follows the mode whenever the text changes.
        connect(pEdit, &QLineEdit::textChanged, this, [this] { ApplyMasking(); });
        return pEdit;
    };
    m_pFirst = makeEdit(28);
    m_pSecond = makeEdit(104);

    auto addButton = [this](int nId, int nPicture, int nX, int nY) {
        auto* pButton = new CPictureButton(this);
        pButton->SetPicture(nPicture);
        const QSize size = pButton->sizeHint();
        pButton->setGeometry(nX, nY, size.width(), size.height());
        // A touch on a button must not take the focus from the field.
        pButton->setFocusPolicy(Qt::NoFocus);
        connect(pButton, &QAbstractButton::clicked, this, [this, nId] { OnKey(nId); });
        m_mapButtons[nId] = pButton;
        return pButton;
    };
    addButton(IDC_MODE_BSNUM, picture::REGISTER_MODE_BUSINESS_ON, 312, 105);
    addButton(IDC_MODE_ADMIN, picture::REGISTER_MODE_MANAGER_OFF, 512, 105);
    addButton(IDC_FIND_ID, picture::REGISTER_FIND_ID, 472, 380);
    addButton(IDC_FIND_PASSWORD, picture::REGISTER_FIND_PASSWORD, 632, 380);
    // Keypad: 1-9, 0, clear, backspace in three rows of four, in the grey
    // look whether pressed or not.
    const int aKeys[] = {IDC_KEY_1,     IDC_KEY_1 + 1, IDC_KEY_1 + 2, IDC_KEY_1 + 3,
                         IDC_KEY_1 + 4, IDC_KEY_1 + 5, IDC_KEY_1 + 6, IDC_KEY_1 + 7,
                         IDC_KEY_1 + 8, IDC_KEY_0,     IDC_KEY_CLEAR, IDC_KEY_BACKSPACE};
    for (int i = 0; i < 12; ++i) {
        const int nId = aKeys[i];
        const int nPicture = nId == IDC_KEY_CLEAR       ? picture::REGISTER_KEY_CLEAR
                             : nId == IDC_KEY_BACKSPACE ? picture::REGISTER_KEY_BACKSPACE
                             : nId == IDC_KEY_0         ? picture::REGISTER_KEY_0
                                                : picture::REGISTER_KEY_1 + (nId - IDC_KEY_1);
        addButton(nId, nPicture, 277 + (i % 4) * 120, 432 + (i / 4) * 76)->SetAlwaysGray(true);
    }
    addButton(IDC_OK, picture::REGISTER_OK, 302, 670);
    addButton(IDC_CANCEL, picture::REGISTER_CANCEL, 522, 670);
    addButton(IDC_UNINSTALL, picture::REGISTER_UNINSTALL, 890, 715);
}

CFlatEdit* CDlgRegisterPos::Edit(int nId) const
{
    return nId == IDC_EDIT_FIRST ? m_pFirst : (nId == IDC_EDIT_SECOND ? m_pSecond : nullptr);
}

CPictureButton* CDlgRegisterPos::Button(int nId) const
{
    auto it = m_mapButtons.find(nId);
    return it == m_mapButtons.end() ? nullptr : it->second;
}

void CDlgRegisterPos::setVisible(bool bVisible)
{
    // QDialog::setVisible gives the focus field a tab focus-in, which
    // selects its whole text; a selected text would be replaced by the first
    // key touched, so the selection goes after it.
    QDialog::setVisible(bVisible);
    if (bVisible) {
        m_pFirst->setFocus();
        m_pFirst->deselect();
        m_pFirst->end(false);
    }
}

int CDlgRegisterPos::DoModal()
{
    show();
    raise();
    activateWindow();
    return exec();
}

void CDlgRegisterPos::OnKey(int nId)
{
    if (nId >= IDC_KEY_1 && nId <= IDC_KEY_0) {
        const char szDigit[2] = {nId == IDC_KEY_0 ? '0' : static_cast<char>('1' + nId - IDC_KEY_1),
                                 '\0'};
        AppendStringFocusEditBox(szDigit, FIELD_EDIT_APPEND);
        return;
    }
    switch (nId) {
    case IDC_KEY_CLEAR:
        AppendStringFocusEditBox("", FIELD_EDIT_CLEAR);
        break;
    case IDC_KEY_BACKSPACE:
        AppendStringFocusEditBox("", FIELD_EDIT_DELETE);
        break;
    case IDC_CANCEL:
        done(REGISTER_RESULT_CANCEL);
        break;
    case IDC_OK:
        LoginZelkor();
        break;
    case IDC_MODE_BSNUM:
        SetMode(LOGIN_TYPE_BSNUM);
        break;
    case IDC_MODE_ADMIN:
        SetMode(LOGIN_TYPE_ADMIN);
        break;
    case IDC_FIND_ID:
        OpenRecoveryPage("/user/id");
        break;
    case IDC_FIND_PASSWORD:
        OpenRecoveryPage("/user/pw");
        break;
    case IDC_UNINSTALL:
        OnBnClickedButtonUninstall();
        break;
    default:
        break;
    }
}

void CDlgRegisterPos::SetMode(int nLoginType)
{
    const bool bChange = m_nLoginType != nLoginType || m_pFieldsPicture->pixmap().isNull();
    if (bChange) {
        m_nLoginType = nLoginType;
        const bool bBsnum = nLoginType == LOGIN_TYPE_BSNUM;
        m_pFieldsPicture->setPixmap(QPixmap::fromImage(LoadPngResource(
            bBsnum ? picture::REGISTER_FIELDS_BUSINESS : picture::REGISTER_FIELDS_MANAGER)));
        m_pFirst->clear();
        m_pSecond->clear();
        Button(IDC_MODE_BSNUM)
            ->SetPicture(bBsnum ? picture::REGISTER_MODE_BUSINESS_ON
                                : picture::REGISTER_MODE_BUSINESS_OFF);
        Button(IDC_MODE_ADMIN)
            ->SetPicture(bBsnum ? picture::REGISTER_MODE_MANAGER_OFF
                                : picture::REGISTER_MODE_MANAGER_ON);
        Button(IDC_FIND_ID)->setVisible(!bBsnum);
        Button(IDC_FIND_PASSWORD)->setVisible(!bBsnum);
        ApplyMasking();
    }
    m_pFirst->setFocus();
}

void CDlgRegisterPos::ApplyMasking()
{
    const bool bMask = m_nLoginType == LOGIN_TYPE_ADMIN;
    if ((m_pSecond->echoMode() == QLineEdit::Password) != bMask) {
        m_pSecond->setEchoMode(bMask ? QLineEdit::Password : QLineEdit::Normal);
    }
}

bool CDlgRegisterPos::AppendStringFocusEditBox(const char* pszText, int nOperation)
{
    const char* const pszTag = "CDlgRegisterPos::AppendStringFocusEditBox";
    QWidget* pFocus = focusWidget();
    if (pFocus != m_pFirst && pFocus != m_pSecond) {
        m_pFirst->setFocus();
        pFocus = m_pFirst;
    }
    auto* pEdit = static_cast<CFlatEdit*>(pFocus);
    if (pEdit == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] GetFocus() is NULL", pszTag);
        return false;
    }
    SFieldState field;
    if (!pEdit->TextCp949(field.strText)) {
        field.strText.clear();
    }
    // Positions count characters; every CP949 character is one UTF-16 unit.
    field.nCaret = pEdit->cursorPosition();
    if (pEdit->hasSelectedText()) {
        field.nSelStart = pEdit->selectionStart();
        field.nSelEnd = pEdit->selectionEnd();
    } else {
        field.nSelStart = field.nSelEnd = field.nCaret;
    }
    if (!EditField(field, nOperation, pszText)) {
        return false;
    }
    const int nLimit = pEdit->maxLength();
    if (static_cast<int>(Cp949Characters(field.strText).size()) > nLimit) {
        return true; // the field is full: the key does nothing, as typing would
    }
    pEdit->SetTextCp949(field.strText);
    pEdit->setCursorPosition(field.nCaret);
    ApplyMasking();
    pEdit->update();
    return true;
}

int CDlgRegisterPos::ShowBox(const char* pszTag, int nLogLevel, int nStringId, unsigned nType)
{
    return ZelkorMessageBox(pszTag, nLogLevel, nStringId, LoadResString(nStringId), nType, this);
}

void CDlgRegisterPos::LoginZelkor()
{
    const char* const pszTag = "CDlgRegisterPos::LoginZelkor";
    if (m_bProcessLogin != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] m_bProcessLogin : %d return.", pszTag, m_bProcessLogin);
        return;
    }
    m_bProcessLogin = 1;
    std::string strFirst;
    std::string strSecond;
    m_pFirst->TextCp949(strFirst);
    m_pSecond->TextCp949(strSecond);
    if (strFirst.empty() || strSecond.empty()) {
        ShowBox(pszTag, LOG_ERROR, 127, MB_OK | MB_ICONWARNING);
    } else if (RunRegisterShop(strFirst, strSecond, 1) == 0) {
        m_bProcessLogin = 0;
        done(m_nLoginType == LOGIN_TYPE_BSNUM ? REGISTER_RESULT_BSNUM : REGISTER_RESULT_ADMIN);
        return;
    }
    m_bProcessLogin = 0;
}

int CDlgRegisterPos::RunRegisterShop(const std::string& strFirst, const std::string& strSecond,
                                     int bShowMessage)
{
    const char* const pszTag = "CDlgRegisterPos::RunRegisterShop";
    const int nResult =
        RegisterShop(*m_pAgent, m_nLoginType, strFirst, strSecond, m_hMainWnd, ConfigPath());
    if (nResult > 0) {
        return 0;
    }
    if (bShowMessage == 1) {
        const int nId = RegisterShopMessageId(nResult);
        const std::string strText = LoadResString(nId);
        LOG_PRINT(LOG_ERROR, "[%s] nErrorValue : %d Messagebox : %s", pszTag, nResult,
                  strText.c_str());
        SMessageBox box;
        box.nStringId = nId;
        box.strText = strText;
        box.strCaption = MESSAGEBOX_CAPTION;
        box.nType = MB_OK | MB_ICONWARNING;
        box.pOwner = this;
        PresentMessageBox(box);
    } else {
        LOG_PRINT(LOG_ERROR, "[%s] nErrorValue : %d", pszTag, nResult);
    }
    return -1;
}

void CDlgRegisterPos::OpenRecoveryPage(const char* pszPath)
{
    // The partner site's host is a deployment setting of Config.ini.
    const std::string strHost = IniGetString("POS", "PartnerSite", "", ConfigPath().c_str());
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    if (strHost.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] [POS] PartnerSite Not Set", "CDlgRegisterPos::OpenRecoveryPage");
        return;
    }
    QDesktopServices::openUrl(QUrl(FromCp949(strHost + pszPath)));
}

void CDlgRegisterPos::OnBnClickedButtonUninstall()
{
    const char* const pszTag = "CDlgRegisterPos::OnBnClickedButtonUninstall";
    LOG_PRINT(LOG_DEBUG, "[%s] Click...", pszTag);
    const std::string strQuestion = LoadResString(106);
    const int nAnswer = ShowBox(pszTag, LOG_DEBUG, 106, MB_YESNO | MB_ICONINFORMATION);
    LOG_PRINT(LOG_DEBUG, "[%s] %s. Result(%d)", pszTag, strQuestion.c_str(), nAnswer);
    if (nAnswer != IDOK && nAnswer != IDYES) {
        return;
    }
    const std::string strFolder = platform::GetProgramFolder();
    std::string strUninstaller;
    for (const char* pszName : {"ZelkorUnInstall.exe", "unins000.exe"}) {
        if (platform::FileExists(platform::JoinPath(strFolder, pszName))) {
            strUninstaller = pszName;
            break;
        }
    }
    LOG_PRINT(LOG_DEBUG, "[%s] GetUnInstallPath [%s]", pszTag, strUninstaller.c_str());
    if (!strUninstaller.empty()) {
        unsigned long nError = 0;
        if (RunProcess(strUninstaller.c_str(), "", &nError, 100, 1000)) {
            LOG_PRINT(LOG_TRACE, "[%s] ExcuteProcess Success... [%s]", pszTag,
                      strUninstaller.c_str());
            LOG_PRINT(LOG_TRACE, "[%s] ExcuteUnInstall Success... [%s]", pszTag,
                      strUninstaller.c_str());
            return;
        }
        LOG_PRINT(LOG_ERROR, "[%s] ExcuteProcess Fail... [%s : %lu]", pszTag,
                  strUninstaller.c_str(), nError);
    }
    LOG_PRINT(LOG_ERROR, "[%s] ExcuteUnInstall Fail... [%s]", pszTag, strUninstaller.c_str());
    ShowBox(pszTag, LOG_ERROR, 107, MB_OK | MB_ICONERROR);
    done(REGISTER_RESULT_CANCEL);
}
