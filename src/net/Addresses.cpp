#include "net/Addresses.h"

#include "net/ControlCharacters.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<QByteArrayView, 2> WebSchemes = {"http", "https"};

// Schemes that only ever reach the network. Any other scheme could open a local file or device
// (file:, dvd://, dvb://, v4l2://, cdda://, fd://, edl://, av://, ...).
constexpr std::array<QByteArrayView, 19> NetworkSchemes = {
    "http", "https", "rtsp", "rtsps", "rtmp", "rtmpe", "rtmps", "rtmpt", "rtmpte", "rtmpts",
    "rtp",  "srtp",  "udp",  "mms",   "mmsh", "mmst",  "srt",   "rist",  "ftp"};

bool equalsNoCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

template <size_t N>
bool isOneOf(QByteArrayView scheme, const std::array<QByteArrayView, N> &schemes) {
    return std::any_of(schemes.begin(), schemes.end(),
                       [scheme](QByteArrayView s) { return equalsNoCase(s, scheme); });
}

bool isNetworkScheme(QByteArrayView scheme) {
    return isOneOf(scheme, NetworkSchemes);
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSchemeCharacter(char c) {
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// "/x", "~/x", "\\server\x", "C:\x": a file on this machine whatever the list's location; the
// engine reads them so, and playlists written for a disk name them so.
bool isLocalPath(QByteArrayView address) {
    return address.startsWith('/') || address.startsWith('~') || address.startsWith('\\') ||
           (address.size() >= 2 && isAsciiLetter(address[0]) && address[1] == ':');
}

} // namespace

bool isWebScheme(QByteArrayView scheme) {
    return isOneOf(scheme, WebSchemes);
}

bool isWebAddress(const QUrl &address) {
    return isWebScheme(address.scheme().toLatin1());
}

QByteArrayView schemeOf(QByteArrayView address) {
    qsizetype i = 0;
    while (i < address.size() &&
           (i == 0 ? isAsciiLetter(address[i]) : isSchemeCharacter(address[i])))
        ++i;
    if (i < 2 || i == address.size() || address[i] != ':')
        return {};
    return address.first(i);
}

ListOrigin::ListOrigin(const QUrl &location) : m_local(location.isLocalFile()) {
    if (!m_local && isNetworkScheme(location.scheme().toLatin1()))
        m_base = location;
}

Reach ListOrigin::reach(QByteArrayView address) const {
    if (address.isEmpty() || hasControlCharacter(address))
        return Reach::Broken;
    const QByteArrayView scheme = schemeOf(address);
    if (m_local)
        return scheme.isEmpty() && !isLocalPath(address) ? Reach::Relative : Reach::AsWritten;
    return reachFromNetwork(address, scheme);
}

// A relative address resolves against the list's own address, and so stays on the network.
Reach ListOrigin::reachFromNetwork(QByteArrayView address, QByteArrayView scheme) const {
    if (!scheme.isEmpty()) {
        if (!isNetworkScheme(scheme))
            return Reach::LeftOut;
        // "http:x" names no server.
        return address.sliced(scheme.size() + 1).startsWith("//") ? Reach::AsWritten
                                                                  : Reach::Broken;
    }
    if (m_base.isEmpty() || (isLocalPath(address) && !address.startsWith("//")))
        return Reach::LeftOut;
    // Read by Qt to be sure that it takes it for relative too, whatever characters it holds (it
    // reads "\uFEFFfile:///x" as a file), and that it names a server once resolved.
    const QUrl relative(QString::fromUtf8(address));
    if (!relative.isRelative())
        return isNetworkScheme(relative.scheme().toLatin1()) ? Reach::Broken : Reach::LeftOut;
    const QUrl resolved = m_base.resolved(relative);
    if (!resolved.isValid() || resolved.host().isEmpty())
        return Reach::Broken;
    return Reach::Relative;
}
