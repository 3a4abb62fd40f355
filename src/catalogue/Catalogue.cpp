#include "catalogue/Catalogue.h"

// Every address points at a name or a network that is reserved for documentation (example.com,
// example.net, example.org and their subdomains; 192.0.2.0/24, 198.51.100.0/24, 203.0.113.0/24),
// so the built-in catalogue never sends a viewer's traffic to a third party. Odd forms (a leading
// space, two addresses in one text, no scheme) are kept: the player gets each text as written.
//
// The channel numbers skip "CH 00048": that channel has no label in any list, so no row.
constexpr std::array<ChannelEntry, 50> Catalogue{{
    {u"CCTV 9", u"CCTV 9", u"CH 00001", u"rtsp://192.0.2.9/live/cctv9 rtsp://192.0.2.9/live/cctv9",
     PlayMethod::Monitored},
    {u"QTV", u"QTV", u"CH 00002", u"mms://198.51.100.20/qtv/live.wsx", PlayMethod::Monitored},
    {u"Sky news", u"Sky news", u"CH 00003", u"mms://live.example.com/skynews",
     PlayMethod::Monitored},
    {u"BBC World", u"BBC World News", u"CH 00004", u"mms://media.example.net/bbc/worldnews.wmv",
     PlayMethod::Monitored},
    {u"Aljazeera news Eng", u"Aljazeera News (English)", u"CH 00005",
     u"http://www.example.org/aljazeera/english/player.swf", PlayMethod::FlashEarly},
    {u"Fjtv4", u"Fujian News", u"CH 00006", u"mms://stream.example.com/fjtv4?id=4",
     PlayMethod::Monitored},
    {u"Nasa Tv", u"Nasa HDTV", u"CH 0006", u"http://reflector.example.net/reflector:38210",
     PlayMethod::Monitored},
    {u"BBC Arabic", u"BBC News (Arabic)", u"CH 00007",
     u"http://player.example.org/bbcarabic/player.swf?channel=arabic", PlayMethod::Flash},
    {u"TVA", u"TVA", u"CH 00008",
     u"http://player.example.com/tva/player.swf?file=rtmp://fms.example.com/live/tva"
     u"&autostart=true&controlbar=none&stretching=fill",
     PlayMethod::Flash},
    {u"QatarSC", u"Qatar Sattelite Channel", u"CH 00009",
     u"http://www.example.net/qatar/player.swf?stream=qsc", PlayMethod::Flash},
    {u"IPTV", u"IPTV (China local)", u"CH 00010", u"mms://live.example.org/iptv",
     PlayMethod::Monitored},
    {u"fjtv1", u"fujian tv1 (China local)", u"CH 00011", u"mms://stream.example.com/fjtv1?id=1",
     PlayMethod::Monitored},
    {u"Chinese3", u"Chinese 3", u"CH 00012", u"mms://live.example.net/chinese3",
     PlayMethod::Monitored},
    {u"GDTV", u"Guangdong TV (Chinese local)", u"CH 00013", u"http://www.example.com/gdtv/live.asx",
     PlayMethod::Monitored},
    {u"MBC 1", u"MBC 1", u"CH 00014", u"http://player.example.net/mbc/player.swf?channel=mbc1",
     PlayMethod::Flash},
    {u"Syria TV", u"Syria TV", u"CH 00015", u"http://www.example.org/syriatv/player.swf",
     PlayMethod::Flash},
    {u"Palestine TV", u"Channel Palestine", u"CH 00016",
     u"http://tv.example.com/palestine/live.asx", PlayMethod::Flash},
    {u"Alaqsa TV", u"Alaqsa TV", u"CH 00017",
     u"http://viewer.example.net/alaqsa/viewer.swf?channel=alaqsa&size=large", PlayMethod::Flash},
    {u"Alquds TV", u"Alquds TV", u"CH 00018",
     u"http://player.example.org/alquds/player.swf?id=alquds", PlayMethod::Flash},
    {u"Noor TV", u"Noor TV", u"CH 00019", u"http://viewer.example.com/noor/viewer.swf?channel=noor",
     PlayMethod::Flash},
    {u"Lebanon TV", u"Lebanon TV", u"CH 00020",
     u"mms://wm.example.net/lebanon/live?bitrate=300&aspect=4x3&lang=ar&format=wmv&session=live"
     u"&user=3f9a1c27",
     PlayMethod::Flash},
    {u"ISTV", u"Iraqi Satellite TV", u"CH 00021",
     u"mms://wm.example.net/istv/live?bitrate=250&aspect=16x9&lang=ar&format=wmv&session=live"
     u"&user=b81e04d5",
     PlayMethod::Flash},
    {u"Peace TV", u"Peace TV", u"CH 00022",
     u"http://player.example.com/peacetv/player.swf?stream=peace&lang=en", PlayMethod::Flash},
    {u"Mohammed TV", u"Mohammed TV", u"CH 00023",
     u"http://media.example.org/mohammedtv/embed.swf?config=%7B%22playlist%22%3A%5B%7B%22fi"
     u"le%22%3A%22rtmp%3A%2F%2Ffms.example.org%2Flive%2Fmohammedtv_high%22%2C%22provider%22"
     u"%3A%22rtmp%22%2C%22title%22%3A%22Mohammed%20TV%20live%22%7D%5D%2C%22width%22%3A480%2"
     u"C%22height%22%3A360%2C%22autostart%22%3Atrue%2C%22stretching%22%3A%22fill%22%2C%22co"
     u"ntrolbar%22%3A%22bottom%22%2C%22skin%22%3A%22http%3A%2F%2Fmedia.example.org%2Fskins%"
     u"2Fglow.zip%22%2C%22logo%22%3A%7B%22file%22%3A%22http%3A%2F%2Fmedia.example.org%2Fimg"
     u"%2Flogo.png%22%2C%22position%22%3A%22top-right%22%7D%2C%22plugins%22%3A%7B%22sharing"
     u"%22%3A%7B%22link%22%3A%22http%3A%2",
     PlayMethod::Flash},
    {u"Gulf TV", u"Gulf TV", u"CH 00024",
     u"http://player.example.net/gulftv/live.swf?flashvars=%7B%22stream%22%3A%22rtmp%3A%2F%"
     u"2Flive.example.net%2Fgulf%2Fgulftv_main%22%2C%22buffer%22%3A5%2C%22autoplay%22%3A%22"
     u"yes%22%2C%22volume%22%3A80%2C%22mute%22%3A%22no%22%2C%22scale%22%3A%22fit%22%2C%22po"
     u"ster%22%3A%22http%3A%2F%2Fplayer.example.net%2Fgulftv%2Fposter.jpg%22%2C%22title%22%"
     u"3A%22Gulf%20TV%20-%20live%22%2C%22lang%22%3A%22ar%22%2C%22controls%22%3A%7B%22bar%22"
     u"%3A%22over%22%2C%22hide%22%3A3%7D%2C%22share%22%3A%22http%3A%2F%2Fwww.example.net%2F"
     u"gulftv%2Flive%22%2C%22more%22%3A%22http%3A%2F%2Fwww.example.net%2Fchannels%22%2C%22e"
     u"mbed%22%3A%22%3Cobject%20data%3D%5",
     PlayMethod::Flash},
    {u"Zee TV", u"Zee TV", u"CH 00025", u"chttp://media.example.net/zee/zeetv.flv",
     PlayMethod::Flash},
    {u"France 24", u"France 24", u"CH 00026",
     u"http://player.example.org/france24/player.swf?lang=ar", PlayMethod::Flash},
    {u"RT1", u"Russia Today (Arabic)", u"CH 00027", u"http://www.example.com/rt/arabic/player.swf",
     PlayMethod::Flash},
    {u"BBC Live News", u"BBC World News (English)", u"CH 00028",
     u"http://player.example.net/bbc/player.swf?streamer=rtmp://fms.example.net/live"
     u"&file=bbcworld.sdp",
     PlayMethod::Flash},
    {u"Cartoon Network", u"Cartoon Network", u"CH 00029",
     u"http://www.example.org/cartoon/player.swf", PlayMethod::Flash},
    {u"Disney TV", u"Disney TV", u"CH 00030", u"http://www.example.com/disney/player.swf",
     PlayMethod::Flash},
    {u"Ajman TV", u"Ajman TV", u"CH 00031", u"http://tv.example.net/ajman/player.swf",
     PlayMethod::Flash},
    {u"Yemen TV", u"Yemen TV", u"CH 00032", u"http://viewer.example.org/yemen/viewer.swf?ch=1",
     PlayMethod::Flash},
    {u"Saudi Sports", u"Saudi Sports channel", u"CH 00033",
     u"mms://203.0.113.34/sports?format=.asf", PlayMethod::Monitored},
    {u"Sahara", u"Sahara", u"CH 00034", u"http://player.example.com/sahara/player.swf?live=1",
     PlayMethod::Flash},
    {u"ZDF", u"ZDF(German)", u"CH 00035", u"http://www.example.net/zdf/live.asx",
     PlayMethod::Monitored},
    {u"3Sat", u"3Sat(German)", u"CH 00036", u"http://www.example.net/3sat/live.asx",
     PlayMethod::Monitored},
    {u"NBC", u"NBC", u"CH 00037", u"http://media.example.com/nbc/live.asx", PlayMethod::Monitored},
    {u"Satanta Sports", u"Satanta Sports (UK)", u"CH 00038",
     u"http://media.example.org/satanta/live.asx", PlayMethod::Monitored},
    {u"CBC Toronto", u"CBC Toronto", u"CH 00039", u" http://media.example.com/cbc/toronto.wmv",
     PlayMethod::Monitored},
    {u"Islamic TV", u"Islamic TV", u"CH 00040",
     u"rtmp://vod.example.net/ondemand?auth=6b2d~aifp=v001~slist=islamictv/live",
     PlayMethod::Monitored},
    {u"BBC Politics", u"BBC Politics", u"CH 00041", u" http://www.example.org/bbc/politics.asx",
     PlayMethod::Monitored},
    {u"DW Arabic", u"DWTV (Arabic)", u"CH 00042", u"http://www.example.com/dw/arabic/player.swf",
     PlayMethod::Flash},
    {u"CCTV Arabic", u"CCTV Arabic", u"CH 00043", u"http://tv.example.org/cctv/arabic.asx",
     PlayMethod::Monitored},
    {u"CNN News", u"CNN World News", u"CH 00044", u"http://www.example.net/cnn/player.swf",
     PlayMethod::Flash},
    {u"Fox TV", u"Fox TV", u"CH 00045",
     u"rtmp://fms.example.com/live/foxtv*http://www.example.com/foxtv/watch.php?channel=fox",
     PlayMethod::Flash},
    {u"ESPN", u"ESPN", u"CH 00046", u"www.example.com/espn/player.swf", PlayMethod::Flash},
    {u"Hope TV", u"Hope TV", u"CH 00047", u"http://media.example.net/hopetv/live.asx",
     PlayMethod::Monitored},
    {u"INTERACITV", u"INTRACITV (French)", u"CH 00049", u"http://tv.example.com/intra",
     PlayMethod::Monitored},
    {u"Nasa Tv2", u"Nasa TV2", u"CH 00050", u"http://reflector.example.net/reflector:38211",
     PlayMethod::Monitored},
}};

// The two longest addresses end inside a percent escape; they too go to the player as they are.
static_assert(Catalogue[23].StreamAddress.size() == 622 &&
              Catalogue[24].StreamAddress.size() == 622);

const ChannelEntry *FindChannel(const QString &text) {
    for (const ChannelEntry &row : Catalogue)
        if (row.ListLabel == text)
            return &row;
    return nullptr;
}
