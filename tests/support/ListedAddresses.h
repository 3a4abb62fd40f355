#pragma once
// What a list fetched from the network may name, the same for every kind of list the program
// reads: each address as a list writes it, and what comes of it.

#include <QString>

// Where the lists come from.
inline const QString RemoteList = QStringLiteral("http://radio.example/live/list");

enum class Listed {
    Opened,  // played, at `opened`
    LeftOut, // a local file or device, or a protocol that may open one: counted as left out
    Broken,  // names nothing to play: dropped without a word
};

struct ListedAddress {
    const char *written;
    Listed outcome;
    const char *opened = nullptr;
};

inline constexpr ListedAddress ListedAddresses[] = {
    {"http://a.example/1", Listed::Opened, "http://a.example/1"},
    {"https://a.example/1", Listed::Opened, "https://a.example/1"},
    {"mms://a.example/2", Listed::Opened, "mms://a.example/2"},
    {"rtsp://cam.example:554/1", Listed::Opened, "rtsp://cam.example:554/1"},
    {"rtmp://r.example/live", Listed::Opened, "rtmp://r.example/live"},
    {"udp://239.0.0.1:1234", Listed::Opened, "udp://239.0.0.1:1234"},
    {"srt://a.example:9000", Listed::Opened, "srt://a.example:9000"},
    {"srtp://a.example:5004", Listed::Opened, "srtp://a.example:5004"},
    {"rist://a.example:5000", Listed::Opened, "rist://a.example:5000"},
    {"ftp://a.example/x.ts", Listed::Opened, "ftp://a.example/x.ts"},
    {"stream.ts", Listed::Opened, "http://radio.example/live/stream.ts"},
    {"../hd/stream.ts", Listed::Opened, "http://radio.example/hd/stream.ts"},
    {"//cdn.example/x.ts", Listed::Opened, "http://cdn.example/x.ts"},
    {"file:///etc/passwd", Listed::LeftOut},
    {"FILE:/dev/zero", Listed::LeftOut},
    {"\xEF\xBB\xBF"
     "file:///etc/passwd",
     Listed::LeftOut},
    {"/etc/passwd", Listed::LeftOut},
    {"~/x.ts", Listed::LeftOut},
    {"C:\\Music\\a.wma", Listed::LeftOut},
    {"\\\\server\\share\\a.wma", Listed::LeftOut},
    {"dvd://1", Listed::LeftOut},
    {"dvb://1", Listed::LeftOut},
    {"v4l2:///dev/video0", Listed::LeftOut},
    {"cdda://1", Listed::LeftOut},
    {"av://v4l2:/dev/video0", Listed::LeftOut},
    {"fd://3", Listed::LeftOut},
    {"smb://server/share/a.ts", Listed::LeftOut},
    {"http:a.example/1", Listed::Broken},
    {"rtsp:cam.example/1", Listed::Broken},
    {"//", Listed::Broken},
    {"http://a.example/\tx", Listed::Broken},
    {"http://a.example/\xC2\x85x", Listed::Broken},
};
