#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

// One HTTP request of the CalDAV client.
struct SyncRequest
{
    QByteArray method;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

// What came back: an HTTP status, or (status 0) why there was none.
struct SyncResponse
{
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Why no answer came; None when one did. The words for it are the language table's.
    enum class Failure
    {
        None,
        Refused,
        HostNotFound,
        TimedOut,
        // The secure connection could not be set up (other than for the certificate, see below).
        Tls,
        // The server closed the connection before it answered.
        Dropped,
        Other
    };
    Failure failure = Failure::None;
    // Qt Network's number of the error, for Other.
    int networkCode = 0;
    // Set when the server's certificate failed the checks (and was not the trusted one): its SHA-256,
    // what is wrong with it, and whom it was issued to and by, for the question whether to trust it.
    QByteArray untrustedCertificate;
    enum class CertificateProblem
    {
        SelfSigned,
        Expired,
        NotYetValid,
        WrongHost,
        UnknownIssuer,
        Revoked,
        Other
    };
    QList<CertificateProblem> certificateProblems;
    QString certificateSubject;
    QString certificateIssuer;

    // The first header of that name (case-insensitive); empty when there is none.
    QByteArray header(QByteArrayView name) const;
    bool answered() const { return status > 0; }
};

// The HTTP side of the sync, implemented with Qt Network in the module quillmar-sync (so that the program
// itself does not load Qt Network), and by fakes in tests. Calls block; a transport is used by the thread
// that made it.
class SyncTransport
{
public:
    virtual ~SyncTransport() = default;
    // Sends every request, several at a time, and waits for all answers; the answers come in the order of
    // the requests. Redirects are not followed.
    virtual std::vector<SyncResponse> exchange(const std::vector<SyncRequest>& requests) = 0;
    // How long a request may go without progress before it is given up; 0 waits for ever.
    virtual void setTimeout(int milliseconds) = 0;
    // SHA-256 of a certificate the user chose to trust although it failed the checks; empty for none.
    virtual void setTrustedCertificate(const QByteArray& sha256) = 0;

    SyncResponse send(const SyncRequest& request) { return exchange({request}).front(); }
};

// The one function the module exports, by this name: a new transport, owned by the caller.
using CreateSyncTransport = SyncTransport* (*)();
inline constexpr char kCreateSyncTransport[] = "quillmarCreateSyncTransport";
