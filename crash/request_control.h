// One HTTPS request per call: its own TCP connection, a verified TLS
// session, one HTTP/1.0 request, the answer read until the server closes.
#pragma once

#include "platform/tls_socket.h"

#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct x509_st X509;

// What one request holds while it runs; owned by SSL_Request for the call.
struct SslConnectInfo
{
    int nPort = 0;
    std::string strHost;
    std::string strPath;
    int nServiceType = 0; // scheme kind of the URL (3 http, 4 https)
    SSL_CTX* pCtx = nullptr;
    SSL* pSsl = nullptr;
    X509* pCert = nullptr;
    platform::CTlsSocket socket; // also keeps the resolved address
};

// Request methods and content types of MakeRequestText.
enum ERequestMethod
{
    REQUEST_METHOD_POST = 0,
    REQUEST_METHOD_GET = 1,
    REQUEST_METHOD_PUT = 2,
    REQUEST_METHOD_PATCH = 3,
    REQUEST_METHOD_DELETE = 4,
};
enum ERequestContentType
{
    REQUEST_CONTENT_NONE = 0,
    REQUEST_CONTENT_TEXT = 1,
    REQUEST_CONTENT_JSON = 2,
    REQUEST_CONTENT_FORM = 3,
};

// The server certificate must verify against the trust anchors (the
// system store, or the CA file when one is set) and name the host of the
// URL; the host name is sent for the server's certificate choice. Any
// other server is refused. One request at a time per object.
class RequestControl
{
public:
    RequestControl() = default;
    virtual ~RequestControl() = default;
    RequestControl(const RequestControl&) = delete;
    RequestControl& operator=(const RequestControl&) = delete;

    // PEM file of the trusted CAs; "" uses the system trust store.
    void SetCaFile(const std::string& strCaFile) { m_strCaFile = strCaFile; }

    // POSTs strBody (CP949, sent as UTF-8 JSON) to strUrl; strPath is
    // written into the request line; the connect and every read wait at
    // most nTimeoutMs. 1 when the answer has a header section and a 2xx
    // status: strResponse then holds what follows the header lines (it
    // begins with CR LF, then the body). 0 otherwise; strResponse is
    // filled the same way for an answer with another status (logged at
    // ERROR with it, see LastStatus), and untouched for no answer.
    int SSL_Request(const std::string& strUrl, const std::string& strPath,
                    const std::string& strBody, const std::string& strHeader,
                    std::string& strResponse, int nTimeoutMs);

    // Connects and completes the verified handshake. 1 or 0 (logged).
    int SSL_Init(SslConnectInfo& info, const std::string& strUrl, int nTimeoutMs);

    // Frees certificate, session, context and socket, each when present.
    void SSL_ResourceFree(SslConnectInfo& info);

    // The request text, byte for byte.
    static std::string MakeRequestText(int nMethod, const std::string& strPath,
                                       const std::string& strHost, int nContentType,
                                       const std::string& strHeader, const std::string& strBody);

    // "scheme://host[:port][/path]" into its parts; the port defaults to
    // 443 for https and 80 for http. False for text of another form.
    static bool SplitUrl(const std::string& strUrl, std::string& strHost, std::string& strPath,
                         int& nPort, int& nServiceType);

    // Splits the bytes of an answer at its first blank line. 1 when there is
    // a header section (the blank line does not open the answer):
    // strResponse then holds the blank line's CR LF and the body, and
    // strHeaderPart the header lines with their CR LFs. 0 otherwise, both
    // untouched.
    static int SplitResponse(const std::string& strReceived, std::string& strResponse,
                             std::string& strHeaderPart);

    // The status code of "HTTP/1.x NNN ..." at the start of a header part;
    // 0 when it is not a status line.
    static int StatusCode(const std::string& strHeaderPart);

    // Why the last SSL_Init failed ("" after a success).
    const std::string& GetErrorText() const { return m_strErrorText; }
    // The HTTP status of the last answer (0: no answer or no status line).
    int LastStatus() const { return m_nLastStatus; }

private:
    std::string m_strErrorText;
    int m_nLastStatus = 0;
    std::string m_strCaFile;
};
