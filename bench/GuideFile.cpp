#include "GuideFile.h"

#include <QByteArray>
#include <QFile>

#include <zlib.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// xorshift64*: fast, and the same sequence on every machine.
class Random {
public:
    explicit Random(quint64 seed) : state_(seed * 0x9e3779b97f4a7c15ULL + 1) {}
    quint64 next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545f4914f6cdd1dULL;
    }
    int below(int n) { return int(next() % quint64(n)); }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }

private:
    quint64 state_;
};

// Picks 0..n-1 with falling likelihood, as words and shows are: a few often, most seldom.
class Zipf {
public:
    explicit Zipf(int n) : cumulative_(std::size_t(n)) {
        double sum = 0;
        for (int i = 0; i < n; ++i)
            cumulative_[std::size_t(i)] = sum += 1.0 / (i + 1);
        for (double &c : cumulative_)
            c /= sum;
    }
    int pick(Random &random) const {
        const double u = random.unit();
        std::size_t low = 0, high = cumulative_.size() - 1;
        while (low < high) {
            const std::size_t mid = (low + high) / 2;
            if (cumulative_[mid] < u)
                low = mid + 1;
            else
                high = mid;
        }
        return int(low);
    }

private:
    std::vector<double> cumulative_;
};

constexpr std::array<const char *, 24> Syllables{
    "ka",  "lo",  "mer", "tan", "vi", "sor", "del", "an", "re", "bo", "cu",  "fin",
    "gar", "hel", "is",  "jo",  "nu", "pe",  "qua", "ri", "st", "té", "wen", "ü"};
constexpr std::array<const char *, 12> Categories{
    "News",          "Sport", "Film",  "Series", "Documentary", "Children",
    "Entertainment", "Music", "Drama", "Comedy", "Lifestyle",   "Talk"};
constexpr std::array<int, 6> Minutes{15, 30, 45, 60, 90, 120};
constexpr std::array<int, 6> MinuteWeights{1, 6, 2, 6, 2, 1};

constexpr int Words = 8'000;
constexpr int Shows = 30'000;
constexpr int ShowsPerChannel = 40;

class Writer {
public:
    explicit Writer(gzFile file) : file_(file) { buffer_.reserve(Flush + 4096); }
    ~Writer() { flush(); }
    void add(const char *text) { buffer_.append(text); }
    void add(const QByteArray &text) { buffer_.append(text); }
    void escaped(const QByteArray &text) {
        for (const char c : text) {
            if (c == '&')
                buffer_.append("&amp;");
            else
                buffer_.append(c);
        }
    }
    void next() {
        if (buffer_.size() >= Flush)
            flush();
    }
    bool flush() {
        bytes_ += buffer_.size();
        const bool ok =
            buffer_.isEmpty() || gzwrite(file_, buffer_.data(), unsigned(buffer_.size())) > 0;
        buffer_.clear();
        ok_ = ok_ && ok;
        return ok_;
    }
    qint64 bytes() const { return bytes_; }
    bool ok() const { return ok_; }

private:
    static constexpr qsizetype Flush = 1 << 20;
    gzFile file_;
    QByteArray buffer_;
    qint64 bytes_ = 0;
    bool ok_ = true;
};

QByteArray word(int index) {
    Random random(quint64(index) + 1'000'003);
    QByteArray text;
    const int syllables = 1 + random.below(3) + (index > 200 ? 1 : 0);
    for (int s = 0; s < syllables; ++s)
        text += Syllables[std::size_t(random.below(int(Syllables.size())))];
    return text;
}

QByteArray sentence(Random &random, const Zipf &zipf, const std::vector<QByteArray> &words,
                    int count, bool capitalise) {
    QByteArray text;
    for (int w = 0; w < count; ++w) {
        QByteArray next = words[std::size_t(zipf.pick(random))];
        if ((capitalise || w == 0) && next[0] >= 'a' && next[0] <= 'z')
            next[0] = char(next[0] - 'a' + 'A');
        if (w > 0)
            text += ' ';
        text += next;
    }
    return text;
}

QByteArray time(qint64 utc) {
    const qint64 days = utc / 86'400;
    const qint64 second = utc % 86'400;
    // Civil date from days since 1970 (H. Hinnant).
    const qint64 z = days + 719'468;
    const qint64 era = z / 146'097;
    const qint64 doe = z - era * 146'097;
    const qint64 yoe = (doe - doe / 1'460 + doe / 36'524 - doe / 146'096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const qint64 day = doy - (153 * mp + 2) / 5 + 1;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 year = yoe + era * 400 + (month <= 2);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld%02lld%02lld%02lld%02lld00 +0000", year, month, day,
                  second / 3600, second / 60 % 60);
    return text;
}

} // namespace

QString guideChannelId(int channel) {
    return QStringLiteral("Channel%1.tv").arg(channel + 1, 4, 10, QLatin1Char('0'));
}

QString guideChannelName(int channel) {
    return QStringLiteral("Channel %1").arg(channel + 1);
}

bool writeGuideFile(const QString &path, const GuideFileShape &shape, GuideFileFacts &facts) {
    const QByteArray mode = "wb" + QByteArray::number(shape.gzipLevel);
    gzFile file = gzopen(QFile::encodeName(path).constData(), mode.constData());
    if (file == nullptr)
        return false;
    gzbuffer(file, 1 << 20);
    facts = {};
    std::vector<QByteArray> words;
    for (int w = 0; w < Words; ++w)
        words.push_back(word(w));
    const Zipf wordZipf(Words);
    const Zipf showZipf(Shows);
    const Zipf channelShowZipf(ShowsPerChannel);
    {
        Writer out(file);
        out.add("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
                "<tv generator-info-name=\"bench\" source-info-name=\"bench\">\n");
        for (int c = 0; c < shape.channels; ++c) {
            out.add("  <channel id=\"");
            out.add(guideChannelId(c).toUtf8());
            out.add("\">\n    <display-name lang=\"en\">");
            out.add(guideChannelName(c).toUtf8());
            out.add("</display-name>\n    <icon src=\"https://logos.example.org/");
            out.add(guideChannelId(c).toUtf8());
            out.add(".png\" />\n  </channel>\n");
            out.next();
        }
        const qint64 first = shape.firstUtc;
        const qint64 last = first + qint64(shape.days) * 86'400;
        int minuteTotal = 0;
        for (const int w : MinuteWeights)
            minuteTotal += w;
        for (int c = 0; c < shape.channels && out.ok(); ++c) {
            Random random(quint64(c) + 17);
            std::array<int, ShowsPerChannel> shows{};
            for (int &show : shows)
                show = showZipf.pick(random);
            std::array<int, ShowsPerChannel> episodes{};
            const QByteArray id = guideChannelId(c).toUtf8();
            for (qint64 start = first; start < last;) {
                int pick = random.below(minuteTotal);
                std::size_t d = 0;
                while (pick >= MinuteWeights[d])
                    pick -= MinuteWeights[d++];
                const qint64 stop = start + Minutes[d] * 60;
                const int slot = channelShowZipf.pick(random);
                const int show = shows[std::size_t(slot)];
                // A new episode mostly; now and then one aired before.
                int &aired = episodes[std::size_t(slot)];
                const int episode =
                    aired == 0 || random.unit() < 0.6 ? aired++ : random.below(aired);
                Random showRandom(quint64(show) * 7 + 3);
                const bool series = showRandom.below(3) != 0;
                Random episodeRandom(quint64(show) * 1'000'003 + quint64(episode));
                out.add("  <programme start=\"");
                out.add(time(start));
                out.add("\" stop=\"");
                out.add(time(stop));
                out.add("\" channel=\"");
                out.add(id);
                out.add("\">\n    <title lang=\"en\">");
                out.escaped(sentence(showRandom, wordZipf, words, 1 + showRandom.below(4), true));
                out.add("</title>\n");
                if (series) {
                    out.add("    <sub-title lang=\"en\">");
                    out.escaped(
                        sentence(episodeRandom, wordZipf, words, 2 + episodeRandom.below(5), true));
                    out.add("</sub-title>\n");
                }
                out.add("    <desc lang=\"en\">");
                out.escaped(
                    sentence(episodeRandom, wordZipf, words, 24 + episodeRandom.below(30), false));
                out.add(".</desc>\n");
                const int categories = 1 + showRandom.below(2);
                for (int k = 0; k < categories; ++k) {
                    out.add("    <category lang=\"en\">");
                    out.add(Categories[std::size_t(showRandom.below(int(Categories.size())))]);
                    out.add("</category>\n");
                }
                if (series) {
                    char number[128];
                    std::snprintf(number, sizeof number,
                                  "    <episode-num system=\"xmltv_ns\">%d.%d.</episode-num>\n",
                                  episode / 20, episode % 20);
                    out.add(number);
                }
                out.add("  </programme>\n");
                out.next();
                ++facts.programmes;
                start = stop;
            }
        }
        out.add("</tv>\n");
        out.flush();
        facts.xmlBytes = out.bytes();
        if (!out.ok()) {
            gzclose(file);
            return false;
        }
    }
    if (gzclose(file) != Z_OK)
        return false;
    facts.fileBytes = QFile(path).size();
    return true;
}
