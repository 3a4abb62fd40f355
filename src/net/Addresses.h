#pragma once
// Which addresses are opened, and for whom. A list fetched from the network (an IPTV playlist, an
// ASX document) may name streams on the network alone: a local file or device would let whoever
// serves the list read, or hold open, something on this machine.

#include <QByteArrayView>
#include <QUrl>

// http or https, in any case: what is fetched with Qt Network, and what shows as a web address.
bool isWebScheme(QByteArrayView scheme);
bool isWebAddress(const QUrl &address);

// The scheme of an absolute address as written; empty for a relative one and for a drive letter
// ("C:\x").
QByteArrayView schemeOf(QByteArrayView address);

enum class Reach {
    AsWritten, // opened as written
    Relative,  // resolved against the list's location first
    LeftOut,   // a local file or device, or a protocol that may open one, named from the network
    Broken,    // names nothing that can be opened
};

// Where a list came from, which decides what the addresses it names may reach.
class ListOrigin {
public:
    // `location`: the file: URL of a local list, or the address that a list was fetched from.
    explicit ListOrigin(const QUrl &location);

    bool isLocalFile() const { return m_local; }
    // What relative addresses of a list from the network resolve against; empty for a local list,
    // and for one from an address of no network protocol, whose relative addresses are left out.
    const QUrl &base() const { return m_base; }

    // How the list may use `address` (UTF-8, trimmed).
    Reach reach(QByteArrayView address) const;

private:
    Reach reachFromNetwork(QByteArrayView address, QByteArrayView scheme) const;

    bool m_local;
    QUrl m_base;
};
