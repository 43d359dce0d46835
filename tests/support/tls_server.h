// A local HTTPS peer for the webhook client tests: a certificate authority
// made at test time, and a TLS server on 127.0.0.1 that records each
// request and answers as told (a reply, an immediate close, or a stall).
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A CA key and self-signed certificate, and server certificates it issues.
class CTestCertificateAuthority
{
public:
    explicit CTestCertificateAuthority(const std::string& strCommonName);
    ~CTestCertificateAuthority();
    CTestCertificateAuthority(const CTestCertificateAuthority&) = delete;
    CTestCertificateAuthority& operator=(const CTestCertificateAuthority&) = delete;

    // The CA certificate as PEM (what a client trusts).
    std::string CertificatePem() const;

    // A new key and a certificate naming the DNS names and IP addresses
    // in its subject alternative names, both as PEM.
    void Issue(const std::vector<std::string>& vecDnsNames,
               const std::vector<std::string>& vecIpAddresses, std::string& strCertPem,
               std::string& strKeyPem) const;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_pImpl;
};

class CTlsServer
{
public:
    enum class EMode
    {
        Reply,       // reads the whole request, sends strReply, closes
        CloseAtOnce, // closes right after the handshake, reads nothing
        Stall,       // reads the request, then keeps the connection open
    };
    struct Options
    {
        EMode eMode = EMode::Reply;
        std::string strReply;
        std::vector<std::string> vecDnsNames{"localhost"};
        std::vector<std::string> vecIpAddresses{"127.0.0.1"};
    };

    CTlsServer(const CTestCertificateAuthority& ca, const Options& options);
    ~CTlsServer();
    CTlsServer(const CTlsServer&) = delete;
    CTlsServer& operator=(const CTlsServer&) = delete;

    int Port() const { return m_nPort; }

    // Requests received so far (the bytes of each connection that
    // completed a handshake), and the server names the clients sent.
    std::vector<std::string> Requests() const;
    std::vector<std::string> ServerNames() const;
    // Connections accepted, and those whose handshake completed.
    int Connections() const { return m_nConnections; }
    int Handshakes() const { return m_nHandshakes; }

    // Waits until nCount connections have ended; false after nTimeoutMs.
    bool WaitForConnectionsEnded(int nCount, int nTimeoutMs) const;

    // A HTTP answer with this status line and body.
    static std::string HttpReply(const std::string& strStatus, const std::string& strBody);

private:
    void Run();
    void Serve(int hClient);

    Options m_Options;
    void* m_pCtx = nullptr; // SSL_CTX
    int m_hListen = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bStop{false};
    std::thread m_Thread;
    mutable std::mutex m_Lock;
    mutable std::condition_variable m_Changed;
    std::vector<std::string> m_vecRequests;
    std::vector<std::string> m_vecServerNames;
    int m_nEnded = 0;
    std::atomic<int> m_nConnections{0};
    std::atomic<int> m_nHandshakes{0};
};

} // namespace testsupport
