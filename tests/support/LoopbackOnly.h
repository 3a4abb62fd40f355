#pragma once
// Whether this process's network is the loopback interface alone (tests/loopback-only), so that
// the real player may be handed addresses of other hosts without reaching any.

#include <QNetworkInterface>

#include <algorithm>

inline bool onlyLoopback() {
    const auto interfaces = QNetworkInterface::allInterfaces();
    return std::all_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface &i) {
        return i.flags().testFlag(QNetworkInterface::IsLoopBack);
    });
}
