#include "remote/WebAddress.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace vl {

QString bandViewAddress(int port) {
    QString host = QStringLiteral("127.0.0.1");
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal())
                return QStringLiteral("http://%1:%2/").arg(a.toString()).arg(port);
        }
    }
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}

} // namespace vl
