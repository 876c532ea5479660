// The sync's HTTP over Qt Network, built as the module quillmar-sync so that the program loads Qt Network
// only when a list is set up for sync.

#include "exchange/sync/SyncTransport.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>

namespace {
// Requests in flight at once: what Qt opens per host anyway.
constexpr size_t kParallel = 6;
constexpr int kDefaultTimeoutMs = 30000;

SyncResponse::CertificateProblem problemOf(QSslError::SslError error)
{
    using P = SyncResponse::CertificateProblem;
    switch (error) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return P::SelfSigned;
    case QSslError::CertificateExpired:
        return P::Expired;
    case QSslError::CertificateNotYetValid:
        return P::NotYetValid;
    case QSslError::HostNameMismatch:
        return P::WrongHost;
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return P::UnknownIssuer;
    case QSslError::CertificateRevoked:
        return P::Revoked;
    default:
        return P::Other;
    }
}

SyncResponse::Failure failureOf(QNetworkReply::NetworkError error)
{
    using F = SyncResponse::Failure;
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return F::Refused;
    case QNetworkReply::HostNotFoundError:
        return F::HostNotFound;
    // Only the transfer timeout cancels a request.
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return F::TimedOut;
    case QNetworkReply::SslHandshakeFailedError:
        return F::Tls;
    case QNetworkReply::RemoteHostClosedError:
        return F::Dropped;
    default:
        return F::Other;
    }
}

class QtSyncTransport : public SyncTransport
{
public:
    std::vector<SyncResponse> exchange(const std::vector<SyncRequest>& requests) override;
    void setTimeout(int milliseconds) override { m_timeout = milliseconds; }
    void setTrustedCertificate(const QByteArray& sha256) override { m_trusted = sha256; }

private:
    QNetworkReply* start(const SyncRequest& request, SyncResponse& response);

    QNetworkAccessManager m_network;
    int m_timeout = kDefaultTimeoutMs;
    QByteArray m_trusted;
};

QNetworkReply* QtSyncTransport::start(const SyncRequest& request, SyncResponse& response)
{
    QNetworkRequest r(request.url);
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setTransferTimeout(m_timeout);
    r.setRawHeader("User-Agent", "Quillmar/" QUILLMAR_VERSION);
    for (const auto& [name, value] : request.headers)
        r.setRawHeader(name, value);
    QNetworkReply* reply = m_network.sendCustomRequest(r, request.method, request.body);
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [this, reply, &response](const QList<QSslError>& errors) {
                         const QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
                         const QByteArray digest = certificate.digest(QCryptographicHash::Sha256);
                         if (!m_trusted.isEmpty() && digest == m_trusted) {
                             reply->ignoreSslErrors(errors);
                             return;
                         }
                         response.untrustedCertificate = digest;
                         for (const QSslError& e : errors) {
                             const SyncResponse::CertificateProblem problem = problemOf(e.error());
                             if (!response.certificateProblems.contains(problem))
                                 response.certificateProblems.append(problem);
                         }
                         response.certificateSubject =
                             certificate.subjectInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
                         response.certificateIssuer =
                             certificate.issuerInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
                     });
    return reply;
}

std::vector<SyncResponse> QtSyncTransport::exchange(const std::vector<SyncRequest>& requests)
{
    std::vector<SyncResponse> responses(requests.size());
    if (requests.empty())
        return responses;
    QEventLoop loop;
    size_t next = 0, done = 0;
    std::function<void()> launch = [&] {
        while (next < requests.size() && next - done < kParallel) {
            const size_t i = next++;
            SyncResponse& response = responses[i];
            QNetworkReply* reply = start(requests[i], response);
            QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
                const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                response.status = status.isValid() ? status.toInt() : 0;
                for (const auto& [name, value] : reply->rawHeaderPairs())
                    response.headers.append({name, value});
                // A reply that timed out or lost its connection is closed: nothing to read.
                if (reply->isOpen())
                    response.body = reply->readAll();
                if (response.status == 0) {
                    response.failure = failureOf(reply->error());
                    response.networkCode = int(reply->error());
                }
                reply->deleteLater();
                ++done;
                if (done == requests.size())
                    loop.quit();
                else
                    launch();
            });
        }
    };
    launch();
    loop.exec();
    return responses;
}
} // namespace

extern "C" Q_DECL_EXPORT SyncTransport* quillmarCreateSyncTransport()
{
    return new QtSyncTransport;
}
