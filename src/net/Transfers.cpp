#include "net/Transfers.h"

#include "net/Addresses.h"

#include <QNetworkReply>
#include <QUrl>

namespace {

QString seconds(std::chrono::milliseconds time) {
    if (time == std::chrono::seconds(1))
        return QStringLiteral("1 second");
    return QStringLiteral("%1 seconds").arg(double(time.count()) / 1000.0);
}

} // namespace

QString errorText(const QIODevice &device) {
    QString text = device.errorString().trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString transferError(const QNetworkReply &reply, std::chrono::milliseconds stallTimeout,
                      const QString &what) {
    switch (reply.error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("the server refused the connection");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("the server %1 was not found").arg(reply.url().host());
    case QNetworkReply::RemoteHostClosedError:
        return brokenOff(what);
    // Transfers are only ever aborted by the readers after their signals are cut, so a cancelled
    // one reaching this point is one that the transfer time-out stopped.
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QStringLiteral("nothing came from the server for %1").arg(seconds(stallTimeout));
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("the secure connection failed (%1)").arg(errorText(reply));
    default:
        break;
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() / 100 != 2) {
        const QString phrase =
            reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
        return QStringLiteral("the server answered %1 %2")
            .arg(QString::number(status.toInt()), phrase)
            .trimmed();
    }
    if (reply.error() != QNetworkReply::NoError)
        return QStringLiteral("the transfer failed (%1)").arg(errorText(reply));
    return {};
}

QString brokenOff(const QString &what) {
    return QStringLiteral("the transfer broke off before the whole %1 came").arg(what);
}

QString redirectError(const QUrl &from, const QUrl &to, int redirects) {
    if (redirects > MaxRedirects)
        return QStringLiteral("the address redirects more than %1 times").arg(MaxRedirects);
    if (!isWebAddress(to)) {
        return QStringLiteral("the address redirects to %1, which is not an http or https address")
            .arg(to.toString());
    }
    if (from.scheme() == u"https" && to.scheme() == u"http")
        return QStringLiteral("the address redirects from https to plain http");
    return {};
}
