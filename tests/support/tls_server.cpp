// Local HTTPS peer for the webhook client tests.
#include "tests/support/tls_server.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace testsupport {

namespace {

long long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void Require(bool bOk, const char* pszWhat)
{
    if (!bOk) {
        throw std::runtime_error(std::string("test TLS set-up failed: ") + pszWhat);
    }
}

std::string PemOf(X509* pCert)
{
    BIO* pBio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(pBio, pCert);
    char* pData = nullptr;
    long nLength = BIO_get_mem_data(pBio, &pData);
    std::string strPem(pData, static_cast<size_t>(nLength));
    BIO_free(pBio);
    return strPem;
}

std::string PemOf(EVP_PKEY* pKey)
{
    BIO* pBio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(pBio, pKey, nullptr, nullptr, 0, nullptr, nullptr);
    char* pData = nullptr;
    long nLength = BIO_get_mem_data(pBio, &pData);
    std::string strPem(pData, static_cast<size_t>(nLength));
    BIO_free(pBio);
    return strPem;
}

void AddExtension(X509* pCert, X509* pIssuer, int nNid, const std::string& strValue)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, pIssuer, pCert, nullptr, nullptr, 0);
    X509_EXTENSION* pExt = X509V3_EXT_conf_nid(nullptr, &ctx, nNid, strValue.c_str());
    Require(pExt != nullptr, "extension");
    X509_add_ext(pCert, pExt, -1);
    X509_EXTENSION_free(pExt);
}

// A certificate for pKey named strCommonName, valid from a day ago for a
// year; pIssuer null makes it self-signed.
X509* NewCertificate(EVP_PKEY* pKey, const std::string& strCommonName, X509* pIssuer, long nSerial)
{
    X509* pCert = X509_new();
    X509_set_version(pCert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(pCert), nSerial);
    X509_gmtime_adj(X509_getm_notBefore(pCert), -86400);
    X509_gmtime_adj(X509_getm_notAfter(pCert), 365L * 86400);
    X509_set_pubkey(pCert, pKey);
    X509_NAME* pName = X509_get_subject_name(pCert);
    X509_NAME_add_entry_by_txt(pName, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(strCommonName.c_str()), -1,
                               -1, 0);
    X509_set_issuer_name(pCert, pIssuer ? X509_get_subject_name(pIssuer) : pName);
    return pCert;
}

} // namespace

struct CTestCertificateAuthority::SImpl
{
    EVP_PKEY* pKey = nullptr;
    X509* pCert = nullptr;
    mutable long nSerial = 100;
};

CTestCertificateAuthority::CTestCertificateAuthority(const std::string& strCommonName)
    : m_pImpl(std::make_unique<SImpl>())
{
    m_pImpl->pKey = EVP_EC_gen("P-256");
    Require(m_pImpl->pKey != nullptr, "CA key");
    m_pImpl->pCert = NewCertificate(m_pImpl->pKey, strCommonName, nullptr, 1);
    AddExtension(m_pImpl->pCert, m_pImpl->pCert, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(m_pImpl->pCert, m_pImpl->pCert, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(m_pImpl->pCert, m_pImpl->pCert, NID_subject_key_identifier, "hash");
    Require(X509_sign(m_pImpl->pCert, m_pImpl->pKey, EVP_sha256()) > 0, "CA signature");
}

CTestCertificateAuthority::~CTestCertificateAuthority()
{
    X509_free(m_pImpl->pCert);
    EVP_PKEY_free(m_pImpl->pKey);
}

std::string CTestCertificateAuthority::CertificatePem() const
{
    return PemOf(m_pImpl->pCert);
}

void CTestCertificateAuthority::Issue(const std::vector<std::string>& vecDnsNames,
                                      const std::vector<std::string>& vecIpAddresses,
                                      std::string& strCertPem, std::string& strKeyPem) const
{
    EVP_PKEY* pKey = EVP_EC_gen("P-256");
    Require(pKey != nullptr, "server key");
    std::string strCommonName = vecDnsNames.empty() ? "server" : vecDnsNames.front();
    X509* pCert = NewCertificate(pKey, strCommonName, m_pImpl->pCert, ++m_pImpl->nSerial);
    std::string strNames;
    for (const std::string& strDns : vecDnsNames) {
        strNames += (strNames.empty() ? "DNS:" : ",DNS:") + strDns;
    }
    for (const std::string& strIp : vecIpAddresses) {
        strNames += (strNames.empty() ? "IP:" : ",IP:") + strIp;
    }
    AddExtension(pCert, m_pImpl->pCert, NID_basic_constraints, "CA:FALSE");
    AddExtension(pCert, m_pImpl->pCert, NID_ext_key_usage, "serverAuth");
    if (!strNames.empty()) {
        AddExtension(pCert, m_pImpl->pCert, NID_subject_alt_name, strNames);
    }
    Require(X509_sign(pCert, m_pImpl->pKey, EVP_sha256()) > 0, "server signature");
    strCertPem = PemOf(pCert);
    strKeyPem = PemOf(pKey);
    X509_free(pCert);
    EVP_PKEY_free(pKey);
}

CTlsServer::CTlsServer(const CTestCertificateAuthority& ca, const Options& options)
    : m_Options(options)
{
    // A client that goes away mid-answer must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);

    std::string strCertPem;
    std::string strKeyPem;
    ca.Issue(options.vecDnsNames, options.vecIpAddresses, strCertPem, strKeyPem);
    SSL_CTX* pCtx = SSL_CTX_new(TLS_server_method());
    Require(pCtx != nullptr, "server context");
    m_pCtx = pCtx;
    BIO* pCertBio = BIO_new_mem_buf(strCertPem.data(), static_cast<int>(strCertPem.size()));
    X509* pCert = PEM_read_bio_X509(pCertBio, nullptr, nullptr, nullptr);
    BIO_free(pCertBio);
    BIO* pKeyBio = BIO_new_mem_buf(strKeyPem.data(), static_cast<int>(strKeyPem.size()));
    EVP_PKEY* pKey = PEM_read_bio_PrivateKey(pKeyBio, nullptr, nullptr, nullptr);
    BIO_free(pKeyBio);
    Require(pCert != nullptr && pKey != nullptr, "server PEM");
    Require(SSL_CTX_use_certificate(pCtx, pCert) == 1, "use certificate");
    Require(SSL_CTX_use_PrivateKey(pCtx, pKey) == 1, "use key");
    X509_free(pCert);
    EVP_PKEY_free(pKey);

    m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int nOne = 1;
    setsockopt(m_hListen, SOL_SOCKET, SO_REUSEADDR, &nOne, sizeof(nOne));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Require(::bind(m_hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                ::listen(m_hListen, 8) == 0,
            "listen");
    socklen_t nLength = sizeof(address);
    getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &nLength);
    m_nPort = ntohs(address.sin_port);
    m_Thread = std::thread(&CTlsServer::Run, this);
}

CTlsServer::~CTlsServer()
{
    m_bStop = true;
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
    ::close(m_hListen);
    SSL_CTX_free(static_cast<SSL_CTX*>(m_pCtx));
}

std::string CTlsServer::HttpReply(const std::string& strStatus, const std::string& strBody)
{
    return "HTTP/1.1 " + strStatus +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(strBody.size()) +
           "\r\nConnection: close\r\n\r\n" + strBody;
}

std::vector<std::string> CTlsServer::Requests() const
{
    std::lock_guard lock(m_Lock);
    return m_vecRequests;
}

std::vector<std::string> CTlsServer::ServerNames() const
{
    std::lock_guard lock(m_Lock);
    return m_vecServerNames;
}

bool CTlsServer::WaitForConnectionsEnded(int nCount, int nTimeoutMs) const
{
    std::unique_lock lock(m_Lock);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_nEnded >= nCount; });
}

void CTlsServer::Run()
{
    while (!m_bStop) {
        pollfd entry{m_hListen, POLLIN, 0};
        if (::poll(&entry, 1, 50) <= 0) {
            continue;
        }
        int hClient = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (hClient < 0) {
            continue;
        }
        ++m_nConnections;
        Serve(hClient);
        ::close(hClient);
        std::lock_guard lock(m_Lock);
        ++m_nEnded;
        m_Changed.notify_all();
    }
}

void CTlsServer::Serve(int hClient)
{
    // The handshake and the reads wait in short steps so that the
    // destructor is never held up for long.
    timeval tv{0, 100000};
    setsockopt(hClient, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    SSL* pSsl = SSL_new(static_cast<SSL_CTX*>(m_pCtx));
    SSL_set_fd(pSsl, hClient);
    long long nDeadline = NowMs() + 5000;
    int nAccepted = 0;
    while (!m_bStop && NowMs() < nDeadline) {
        nAccepted = SSL_accept(pSsl);
        if (nAccepted == 1 || SSL_get_error(pSsl, nAccepted) != SSL_ERROR_WANT_READ) {
            break;
        }
    }
    if (nAccepted != 1) {
        ERR_clear_error();
        SSL_free(pSsl);
        return;
    }
    ++m_nHandshakes;
    {
        const char* pszName = SSL_get_servername(pSsl, TLSEXT_NAMETYPE_host_name);
        std::lock_guard lock(m_Lock);
        m_vecServerNames.push_back(pszName ? pszName : "");
    }
    if (m_Options.eMode == EMode::CloseAtOnce) {
        SSL_free(pSsl);
        return;
    }

    // The request: header lines, then Content-Length bytes.
    std::string strRequest;
    char buffer[4096];
    while (!m_bStop && NowMs() < nDeadline) {
        size_t nHeaderEnd = strRequest.find("\r\n\r\n");
        if (nHeaderEnd != std::string::npos) {
            size_t nLength = 0;
            size_t nField = strRequest.find("Content-Length: ");
            if (nField != std::string::npos && nField < nHeaderEnd) {
                nLength = std::stoul(strRequest.substr(nField + 16));
            }
            if (strRequest.size() >= nHeaderEnd + 4 + nLength) {
                break;
            }
        }
        int nRead = SSL_read(pSsl, buffer, sizeof(buffer));
        if (nRead > 0) {
            strRequest.append(buffer, static_cast<size_t>(nRead));
        } else if (SSL_get_error(pSsl, nRead) != SSL_ERROR_WANT_READ) {
            break;
        }
    }
    ERR_clear_error();
    {
        std::lock_guard lock(m_Lock);
        m_vecRequests.push_back(strRequest);
    }

    if (m_Options.eMode == EMode::Reply) {
        SSL_write(pSsl, m_Options.strReply.data(), static_cast<int>(m_Options.strReply.size()));
        SSL_shutdown(pSsl);
    } else {
        // Stall: hold the connection until the client gives up.
        while (!m_bStop) {
            int nRead = SSL_read(pSsl, buffer, sizeof(buffer));
            if (nRead <= 0 && SSL_get_error(pSsl, nRead) != SSL_ERROR_WANT_READ) {
                break;
            }
        }
    }
    ERR_clear_error();
    SSL_free(pSsl);
}

} // namespace testsupport
