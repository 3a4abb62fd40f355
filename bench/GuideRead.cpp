// Writes a gzip guide shaped like the public ones (GuideFile.h) into a temporary folder, then
// reads it from memory in the same process and prints "figure value" lines:
//   reader.programmes          programmes in the guide read
//   reader.xml_mb, reader.file_mb  the guide's size before and after compression
//   reader.floor_ms            decompressing it with zlib and finding its "<programme" with
//                             memchr: the least that any reader of it does (the best of two)
//   reader.read_ms             the guide builder's time, from its first byte to the guide
//   reader.ratio               the two, divided
//   reader.read_cpu_ms         the CPU time of all the process's threads while reading: the
//                              builder's work, apart from what the machine's other load costs
//   reader.programmes_per_s    programmes read per second
//   reader.memory_mb           what the guide holds in memory (Guide::memoryBytes), and
//   reader.programme_bytes     per programme
//   reader.text_mb             bytes of its distinct texts
//   reader.peak_mb             the process's peak resident memory while reading, over what it
//                             held before, and
//   reader.peak_over_guide_mb  that less the guide's own memory
// Settings (environment): BENCH_GUIDE_CHANNELS=4400, BENCH_GUIDE_DAYS=8. Given a file, it reads
// that one instead of writing one, and takes no floor's count for a check.

#include "GuideFile.h"
#include "ProcStat.h"

#include "guide/GuideBuilder.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <unordered_set>

namespace {

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

// Decompresses the file and counts its programmes' opening tags: the floor.
qint64 floorCount(const QByteArray &file) {
    z_stream z{};
    inflateInit2(&z, 16 + MAX_WBITS);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(file.data()));
    z.avail_in = uInt(file.size());
    static constexpr std::size_t Size = 256 * 1024;
    static constexpr std::string_view Tag = "<programme";
    std::vector<char> out(Size + Tag.size());
    std::size_t carried = 0; // a tag's beginning at the end of the last buffer
    qint64 count = 0;
    for (int status = Z_OK; status == Z_OK;) {
        z.next_out = reinterpret_cast<Bytef *>(out.data() + carried);
        z.avail_out = uInt(Size);
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t end = carried + Size - z.avail_out;
        const char *at = out.data();
        const char *stop = out.data() + end;
        while ((at = static_cast<const char *>(std::memchr(at, '<', std::size_t(stop - at))))) {
            if (std::size_t(stop - at) < Tag.size())
                break;
            count += std::memcmp(at, Tag.data(), Tag.size()) == 0;
            ++at;
        }
        carried = at == nullptr ? 0 : std::size_t(stop - at);
        std::memmove(out.data(), stop - carried, carried);
    }
    inflateEnd(&z);
    return count;
}

double msOf(qint64 start) {
    return double(monotonicNs() - start) / 1e6;
}

std::size_t distinctTextBytes(const Guide &guide) {
    std::unordered_set<std::string> texts;
    const auto add = [&](const QString &text) { texts.insert(text.toStdString()); };
    for (qsizetype c = 0; c < guide.channelCount(); ++c) {
        add(guide.channelId(c));
        add(guide.channelIcon(c));
        for (const QString &name : guide.displayNames(c))
            add(name);
    }
    for (qint32 p = 0; p < guide.programmeCount(); ++p) {
        const GuideProgramme programme = guide.programme(p);
        for (const QString *text : {&programme.title, &programme.subTitle, &programme.description,
                                    &programme.episode, &programme.icon})
            add(*text);
        for (const QString &category : programme.categories)
            add(category);
    }
    std::size_t bytes = 0;
    for (const std::string &text : texts)
        bytes += text.size();
    return bytes;
}

} // namespace

int main(int argc, char *argv[]) {
    GuideFileShape shape;
    shape.channels = qEnvironmentVariableIntValue("BENCH_GUIDE_CHANNELS") > 0
                         ? qEnvironmentVariableIntValue("BENCH_GUIDE_CHANNELS")
                         : shape.channels;
    shape.days = qEnvironmentVariableIntValue("BENCH_GUIDE_DAYS") > 0
                     ? qEnvironmentVariableIntValue("BENCH_GUIDE_DAYS")
                     : shape.days;
    QTemporaryDir folder;
    const bool given = argc > 1;
    const QString path =
        given ? QString::fromLocal8Bit(argv[1]) : folder.filePath(QStringLiteral("guide.xml.gz"));
    GuideFileFacts facts;
    if (!given && (!folder.isValid() || !writeGuideFile(path, shape, facts))) {
        std::fprintf(stderr, "bench_guide: cannot write %s\n", qPrintable(path));
        return 1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_guide: cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    if (!given) {
        file.remove();
        print("reader.xml_mb", double(facts.xmlBytes) / 1e6);
    }
    print("reader.file_mb", double(bytes.size()) / 1e6);

    double floorMs = 0;
    for (int run = 0; run < 2; ++run) {
        const qint64 start = monotonicNs();
        if (floorCount(bytes) != facts.programmes && !given) {
            std::fprintf(stderr, "bench_guide: the floor found other programmes than written\n");
            return 1;
        }
        floorMs = run == 0 ? msOf(start) : std::min(floorMs, msOf(start));
    }

    const qint64 baselineKb = statusKb(getpid(), "VmRSS:");
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // the peak starts again from here
    clear.close();
    const double cpuBefore = cpuSeconds(getpid());
    const qint64 start = monotonicNs();
    GuideBuilder builder;
    builder.begin();
    // In pieces, as a download comes.
    static constexpr qsizetype Piece = 64 * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += Piece)
        builder.feed(QByteArrayView(bytes).sliced(at, std::min(Piece, bytes.size() - at)));
    const GuideDocument document = builder.end();
    const std::shared_ptr<const Guide> guide = builder.finish();
    const double readMs = msOf(start);
    const double readCpuMs = (cpuSeconds(getpid()) - cpuBefore) * 1e3;
    const qint64 peakKb = statusKb(getpid(), "VmHWM:") - baselineKb;
    if (!document.stopped.isEmpty())
        std::fprintf(stderr, "bench_guide: the guide %s\n", qPrintable(document.stopped));

    const double memory = double(guide->memoryBytes());
    print("reader.programmes", double(guide->programmeCount()));
    print("reader.floor_ms", floorMs);
    print("reader.read_ms", readMs);
    print("reader.ratio", readMs / floorMs);
    print("reader.read_cpu_ms", readCpuMs);
    print("reader.programmes_per_s", double(guide->programmeCount()) / readMs * 1e3);
    print("reader.memory_mb", memory / 1e6);
    print("reader.programme_bytes",
          memory / double(std::max<qsizetype>(1, guide->programmeCount())));
    print("reader.text_mb", double(distinctTextBytes(*guide)) / 1e6);
    print("reader.peak_mb", double(peakKb) * 1024 / 1e6);
    print("reader.peak_over_guide_mb", (double(peakKb) * 1024 - memory) / 1e6);
    return 0;
}
