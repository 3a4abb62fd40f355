#pragma once
// Live streams of every kind that channels send, each from a real server of its kind on
// 127.0.0.1 that the tests start and stop: the test server over HTTP (MPEG-TS, Flash Video,
// Windows Media, and ASX playlists naming its streams), ffmpeg writing live HLS and DASH
// served over HTTP, GStreamer's RTSP server, and nginx's RTMP module fed by ffmpeg.

#include <QByteArray>
#include <QString>

#include <memory>

enum class StreamKind {
    HttpTs,
    HttpFlv,
    HttpAsf,
    Hls,
    Dash,
    RtspTcp,
    RtspUdp,
    Rtmp,
    AsxXml,
    AsxReference,
    // No server of this kind exists to test against: its address leads to the test server,
    // which is no MMS server, and the stream fails.
    Mms,
};

class LiveServer {
public:
    virtual ~LiveServer() = default;

    // Starts a server of `kind` with its stream live. Whatever does not start leaves a server
    // whose `failure()` says why.
    static std::unique_ptr<LiveServer> start(StreamKind kind);

    // Why the server is not serving its stream; empty while it is.
    virtual QString failure() const = 0;
    // The address a player tunes to.
    virtual QString address() const = 0;
    // The header `name` of the last request that reached a server over HTTP; null from servers
    // of other protocols.
    virtual QByteArray lastHeader(const QByteArray &name) const {
        Q_UNUSED(name);
        return {};
    }

    // The stream stops coming, as when the server or its feed is held up, and comes again.
    virtual void stall() = 0;
    virtual void flow() = 0;
    // The server accepts connections but answers nothing, and goes on again.
    virtual void hang() = 0;
    virtual void answer() = 0;
    // The server, and what feeds it, are gone for good.
    virtual void goAway() = 0;
};
