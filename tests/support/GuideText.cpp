#include "support/GuideText.h"

#include "guide/GuideBuilder.h"
#include "support/PlaylistText.h"

#include <QDateTime>

#include <zlib.h>

namespace {

QByteArray escaped(const QString &text) {
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray xmltvText(const QList<XmltvChannel> &channels, const QList<XmltvProgramme> &programmes) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
    for (const XmltvChannel &channel : channels) {
        xml += "  <channel id=\"" + escaped(channel.id) + "\">\n";
        for (const QString &name : channel.names)
            xml += "    <display-name>" + escaped(name) + "</display-name>\n";
        xml += "  </channel>\n";
    }
    for (const XmltvProgramme &programme : programmes) {
        xml += "  <programme start=\"" + xmltvTime(programme.start) + "\" stop=\"" +
               xmltvTime(programme.stop) + "\" channel=\"" + escaped(programme.channel) +
               "\">\n    <title>" + escaped(programme.title) + "</title>\n  </programme>\n";
    }
    return xml + "</tv>\n";
}

QByteArray xmltvTime(GuideTime time) {
    return QDateTime::fromSecsSinceEpoch(time, Qt::UTC)
               .toString(QStringLiteral("yyyyMMddHHmmss"))
               .toLatin1() +
           " +0000";
}

std::shared_ptr<const Guide> guideOf(const QByteArray &xml) {
    GuideBuilder builder;
    builder.begin();
    builder.feed(xml);
    const GuideDocument document = builder.end();
    if (!document.stopped.isEmpty()) {
        qWarning("the guide was not read whole: %s", qPrintable(document.stopped));
        return nullptr;
    }
    return builder.finish();
}

std::shared_ptr<const ChannelGuide> channelGuideOf(const QByteArray &playlist,
                                                   const QByteArray &xml) {
    const ParsedPlaylist parsed = parsePlaylist(playlist, M3uLocation);
    if (!parsed.playlist) {
        qWarning("the playlist cannot be read: %s", qPrintable(parsed.error));
        return nullptr;
    }
    std::shared_ptr<const Guide> guide = guideOf(xml);
    return guide ? std::make_shared<const ChannelGuide>(std::move(guide), *parsed.playlist)
                 : nullptr;
}

QByteArray gzipped(const QByteArray &bytes) {
    z_stream stream{};
    // 16 more window bits: a gzip header and trailer rather than zlib's.
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}
