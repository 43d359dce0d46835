// The HTTPS request client over OpenSSL, its transport a platform socket.
#include "crash/request_control.h"

#include "crash/socket_error_text.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

constexpr size_t kReadBufferSize = 10000;

// The TLS session talks to the socket through this transport, so the
// sends never raise SIGPIPE on a peer that has gone and the socket calls
// stay in the platform layer.
int TransportWrite(BIO* pBio, const char* pData, size_t nSize, size_t* pWritten)
{
    BIO_clear_retry_flags(pBio);
    auto* pSocket = static_cast<platform::CTlsSocket*>(BIO_get_data(pBio));
    long nSent = pSocket->Send(pData, nSize);
    if (nSent <= 0) {
        *pWritten = 0;
        return 0;
    }
    *pWritten = static_cast<size_t>(nSent);
    return 1;
}

int TransportRead(BIO* pBio, char* pBuffer, size_t nSize, size_t* pRead)
{
    BIO_clear_retry_flags(pBio);
    auto* pSocket = static_cast<platform::CTlsSocket*>(BIO_get_data(pBio));
    long nReceived = pSocket->Receive(pBuffer, nSize);
    if (nReceived <= 0) {
        *pRead = 0;
        return 0;
    }
    *pRead = static_cast<size_t>(nReceived);
    return 1;
}

long TransportCtrl(BIO* /*pBio*/, int nCmd, long /*nArg*/, void* /*pArg*/)
{
    return nCmd == BIO_CTRL_FLUSH ? 1 : 0;
}

int TransportCreate(BIO* pBio)
{
    BIO_set_init(pBio, 1);
    return 1;
}

BIO_METHOD* TransportMethod()
{
    static BIO_METHOD* const pMethod = [] {
        BIO_METHOD* pNew =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "zelkor socket");
        if (pNew != nullptr) {
            BIO_meth_set_write_ex(pNew, TransportWrite);
            BIO_meth_set_read_ex(pNew, TransportRead);
            BIO_meth_set_ctrl(pNew, TransportCtrl);
            BIO_meth_set_create(pNew, TransportCreate);
        }
        return pNew;
    }();
    return pMethod;
}

bool IsIpAddress(const std::string& strHost)
{
    ASN1_OCTET_STRING* pIp = a2i_IPADDRESS(strHost.c_str());
    if (pIp == nullptr) {
        return false;
    }
    ASN1_OCTET_STRING_free(pIp);
    return true;
}

std::string LowerText(std::string strText)
{
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return strText;
}

} // namespace

bool RequestControl::SplitUrl(const std::string& strUrl, std::string& strHost, std::string& strPath,
                              int& nPort, int& nServiceType)
{
    size_t nSchemeEnd = strUrl.find("://");
    if (nSchemeEnd == std::string::npos) {
        return false;
    }
    std::string strScheme = LowerText(strUrl.substr(0, nSchemeEnd));
    int nDefaultPort = 0;
    if (strScheme == "https") {
        nServiceType = 4;
        nDefaultPort = 443;
    } else if (strScheme == "http") {
        nServiceType = 3;
        nDefaultPort = 80;
    } else {
        return false;
    }
    size_t nHostStart = nSchemeEnd + 3;
    size_t nHostEnd = strUrl.find_first_of("/?#", nHostStart);
    std::string strAuthority = strUrl.substr(
        nHostStart, nHostEnd == std::string::npos ? std::string::npos : nHostEnd - nHostStart);
    strPath = nHostEnd == std::string::npos ? "" : strUrl.substr(nHostEnd);
    nPort = nDefaultPort;
    size_t nColon = strAuthority.rfind(':');
    if (nColon != std::string::npos) {
        std::string strPort = strAuthority.substr(nColon + 1);
        if (strPort.empty() || strPort.size() > 5 ||
            !std::all_of(strPort.begin(), strPort.end(),
                         [](unsigned char ch) { return std::isdigit(ch) != 0; })) {
            return false;
        }
        nPort = std::stoi(strPort);
        if (nPort < 1 || nPort > 65535) {
            return false;
        }
        strAuthority.resize(nColon);
    }
    strHost = strAuthority;
    return !strHost.empty();
}

std::string RequestControl::MakeRequestText(int nMethod, const std::string& strPath,
                                            const std::string& strHost, int nContentType,
                                            const std::string& strHeader,
                                            const std::string& strBody)
{
    std::string strText;
    switch (nMethod) {
    case REQUEST_METHOD_POST:
        strText = "POST";
        break;
    case REQUEST_METHOD_PUT:
        strText = "PUT";
        break;
    case REQUEST_METHOD_PATCH:
        strText = "PATCH";
        break;
    case REQUEST_METHOD_DELETE:
        strText = "DELETE";
        break;
    default:
        strText = "GET";
        break;
    }
    if (!strPath.empty()) {
        strText += " " + strPath;
    }
    strText += " HTTP/1.0\r\n";
    strText += "Host: " + strHost + "\r\n";
    switch (nContentType) {
    case REQUEST_CONTENT_TEXT:
        strText += "Content-Type: text/plain\r\n";
        break;
    case REQUEST_CONTENT_JSON:
        strText += "Content-Type: application/json\r\n";
        break;
    case REQUEST_CONTENT_FORM:
        strText += "Content-Type: application/x-www-form-urlencoded\r\n";
        break;
    default:
        break;
    }
    if (!strHeader.empty()) {
        strText += strHeader + "\r\n";
    }
    if (!strBody.empty()) {
        strText += "Content-Length: " + std::to_string(strBody.size()) + "\r\n\r\n" + strBody;
    } else {
        strText += "\r\n\r\n";
    }
    return strText;
}

void RequestControl::SSL_ResourceFree(SslConnectInfo& info)
{
    if (info.pCert != nullptr) {
        X509_free(info.pCert);
        info.pCert = nullptr;
    }
    if (info.pSsl != nullptr) {
        SSL_free(info.pSsl); // frees the transport too
        info.pSsl = nullptr;
    }
    if (info.pCtx != nullptr) {
        SSL_CTX_free(info.pCtx);
        info.pCtx = nullptr;
    }
    info.socket.Close();
}

int RequestControl::SSL_Init(SslConnectInfo& info, const std::string& strUrl, int nTimeoutMs)
{
    const char* const pszName = "RequestControl::SSL_Init";
    SSL_ResourceFree(info);
    info.nPort = 0;
    info.strHost.clear();
    info.strPath.clear();
    info.nServiceType = 0;
    m_strErrorText.clear();

    if (!SplitUrl(strUrl, info.strHost, info.strPath, info.nPort, info.nServiceType)) {
        m_strErrorText = "invalid URL";
        LOG_PRINT(LOG_ERROR, "[%s] Error: Cannot split the URL [%s]", pszName, strUrl.c_str());
        return 0;
    }

    if (OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS,
                         nullptr) != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] Could not initialize the OpenSSL library", pszName);
    }

    info.pCtx = SSL_CTX_new(TLS_client_method());
    if (info.pCtx == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Unable to create a new SSL context structure", pszName);
        m_strErrorText = "no SSL context";
        return 0;
    }
    // The peer must prove it is the host of the URL.
    SSL_CTX_set_verify(info.pCtx, SSL_VERIFY_PEER, nullptr);
    int nAnchors = m_strCaFile.empty()
                       ? SSL_CTX_set_default_verify_paths(info.pCtx)
                       : SSL_CTX_load_verify_locations(info.pCtx, m_strCaFile.c_str(), nullptr);
    if (nAnchors != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] Error: Cannot load the trusted certificates [%s]", pszName,
                  m_strCaFile.empty() ? "system store" : m_strCaFile.c_str());
        m_strErrorText = "no trust anchors";
        return 0;
    }
    info.pSsl = SSL_new(info.pCtx);
    if (info.pSsl == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Unable to create a new SSL context structure", pszName);
        m_strErrorText = "no SSL connection";
        return 0;
    }

    if (info.socket.Create() != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] socket(AF_INET,SOCK_STREAM, 0)) == INVALID_SOCKET", pszName);
        m_strErrorText = "no socket";
        return 0;
    }
    LOG_PRINT(LOG_INFO, "[%s] Created new socket. (Socket No : %d)", pszName, info.socket.Number());
    info.socket.SetReceiveTimeout(nTimeoutMs);
    info.socket.SetLingerReset();

    int nCode = info.socket.Resolve(info.strHost, info.nPort);
    if (nCode != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Error: Cannot resolve hostname. (Socket No : %d, Code : %d)",
                  pszName, info.socket.Number(), nCode);
        m_strErrorText = "cannot resolve host";
        return 0;
    }
    if (info.socket.Connect(nTimeoutMs) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Connect Error occured. (Socket No : %d)", pszName,
                  info.socket.Number());
        m_strErrorText = "cannot connect";
        return 0;
    }

    BIO* pBio = TransportMethod() != nullptr ? BIO_new(TransportMethod()) : nullptr;
    if (pBio == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Unable to create a new SSL context structure", pszName);
        m_strErrorText = "no transport";
        return 0;
    }
    BIO_set_data(pBio, &info.socket);
    SSL_set_bio(info.pSsl, pBio, pBio);
    // Name sent for the server's choice of certificate (not for addresses),
    // and checked against the certificate's names or addresses.
    if (!IsIpAddress(info.strHost)) {
        SSL_set_tlsext_host_name(info.pSsl, info.strHost.c_str());
    }
    SSL_set1_host(info.pSsl, info.strHost.c_str());

    ERR_clear_error();
    int nRes = SSL_connect(info.pSsl);
    if (nRes != 1) {
        unsigned long nErr = ERR_get_error();
        char szMsg[256] = {};
        ERR_error_string_n(nErr, szMsg, sizeof(szMsg));
        LOG_PRINT(LOG_ERROR,
                  "[%s] Error: Could not build a SSL session. (Socket No : %d, res : %d, err : "
                  "%lu, msg : %s",
                  pszName, info.socket.Number(), nRes, nErr, szMsg);
        long nVerify = SSL_get_verify_result(info.pSsl);
        if (nVerify != X509_V_OK) {
            LOG_PRINT(LOG_ERROR,
                      "[%s] Error: Server certificate refused. (Socket No : %d, Host : %s, "
                      "Reason : %s)",
                      pszName, info.socket.Number(), info.strHost.c_str(),
                      X509_verify_cert_error_string(nVerify));
            m_strErrorText = X509_verify_cert_error_string(nVerify);
        } else {
            m_strErrorText = szMsg;
        }
        return 0;
    }
    info.pCert = SSL_get1_peer_certificate(info.pSsl);
    if (info.pCert == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Error: Could not get a certificate (Socket No : %d)", pszName,
                  info.socket.Number());
        m_strErrorText = "no certificate";
        return 0;
    }
    return 1;
}

int RequestControl::StatusCode(const std::string& strHeaderPart)
{
    // "HTTP/1.x NNN reason"
    if (strHeaderPart.compare(0, 5, "HTTP/") != 0) {
        return 0;
    }
    size_t nSpace = strHeaderPart.find(' ');
    if (nSpace == std::string::npos || nSpace + 4 > strHeaderPart.size()) {
        return 0;
    }
    int nCode = 0;
    for (size_t i = nSpace + 1; i < nSpace + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(strHeaderPart[i]))) {
            return 0;
        }
        nCode = nCode * 10 + (strHeaderPart[i] - '0');
    }
    const char chAfter = nSpace + 4 < strHeaderPart.size() ? strHeaderPart[nSpace + 4] : ' ';
    return chAfter == ' ' || chAfter == '\r' ? nCode : 0;
}

int RequestControl::SplitResponse(const std::string& strReceived, std::string& strResponse,
                                  std::string& strHeaderPart)
{
    // Only an answer with a header section counts; what follows the
    // header lines (the blank line's CR LF, then the body) is the response.
    size_t nEnd = strReceived.find("\r\n\r\n");
    if (nEnd == std::string::npos || nEnd == 0) {
        return 0;
    }
    strResponse = strReceived.substr(nEnd + 2);
    strHeaderPart = strReceived.substr(0, nEnd + 2);
    return 1;
}

int RequestControl::SSL_Request(const std::string& strUrl, const std::string& strPath,
                                const std::string& strBody, const std::string& strHeader,
                                std::string& strResponse, int nTimeoutMs)
{
    const char* const pszName = "RequestControl::SSL_Request";
    m_nLastStatus = 0;
    SslConnectInfo info;
    if (SSL_Init(info, strUrl, nTimeoutMs) != 1) {
        int nCode = info.socket.LastError();
        LOG_PRINT(LOG_INFO,
                  "[%s] Error Code Information (Socket No : %d, Code : %d, Description : %s)",
                  pszName, info.socket.Number(), nCode, GetSocketErrorText(nCode));
        SSL_ResourceFree(info);
        return 0;
    }
    const int nSocket = info.socket.Number();

    std::string strRequest = MakeRequestText(REQUEST_METHOD_POST, strPath, info.strHost,
                                             REQUEST_CONTENT_JSON, strHeader, ToUtf8(strBody));
    int nSent = SSL_write(info.pSsl, strRequest.data(), static_cast<int>(strRequest.size()));
    if (nSent <= 0) {
        int nCode = info.socket.LastError();
        LOG_PRINT(LOG_INFO,
                  "[%s] Error Code Information (Socket No : %d, Code : %d, Description : %s)",
                  pszName, nSocket, nCode, GetSocketErrorText(nCode));
        SSL_ResourceFree(info);
        return 0;
    }

    std::string strReceived;
    char buffer[kReadBufferSize];
    for (;;) {
        int nRead = SSL_read(info.pSsl, buffer, static_cast<int>(sizeof(buffer)));
        if (nRead <= 0) {
            break; // closed, timed out or failed
        }
        strReceived.append(buffer, strnlen(buffer, static_cast<size_t>(nRead)));
    }

    std::string strHeaderPart;
    int nResult = SplitResponse(strReceived, strResponse, strHeaderPart);
    m_nLastStatus = nResult == 1 ? StatusCode(strHeaderPart) : 0;
    if (nResult == 1 && (m_nLastStatus < 200 || m_nLastStatus > 299)) {
        // The server refused the message (or answered no HTTP): it is not
        // delivered, whatever the body says.
        LOG_PRINT(LOG_ERROR, "[%s] HTTP status [%d] refused (Socket no : %d, Status line : %s)",
                  pszName, m_nLastStatus, nSocket,
                  strHeaderPart.substr(0, strHeaderPart.find("\r\n")).c_str());
        nResult = 0;
    }
    LOG_PRINT(LOG_INFO,
              "[%s] Commproc Result. (Socket no : %d, ret : %d, Send length :%d, \r\nData : %s)",
              pszName, nSocket, nResult, nSent, strHeaderPart.c_str());

    SSL_ResourceFree(info);
    LOG_PRINT(LOG_TRACE, "[%s] Socket Commproc ended. SSL_ResourceFree Called.", pszName);
    return nResult;
}
