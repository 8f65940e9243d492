// The line-mark decoder on any byte stream cut into reads at any points: what it gives back,
// read by read, must add up to what a plain decoder makes of the whole stream at once.
#include "FuzzRequire.h"
#include "platform/SerialMarks.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quillmark;

namespace {

using fuzz::require;

struct Decoded {
    QByteArray data;
    int markedBytes = 0;
    bool endsInsideMark = false;
};

// 0xFF 0xFF is one 0xFF, 0xFF 0x00 c is a bad byte c, 0xFF followed by anything else is kept
// as it came; a mark cut off by the end of the stream gives nothing yet.
Decoded referenceDecode(const QByteArray& stream) {
    Decoded out;
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(stream.at(i)); };
    qsizetype i = 0;
    while (i < stream.size()) {
        if (at(i) != 0xFF) {
            out.data.append(stream.at(i));
            i += 1;
        } else if (i + 1 >= stream.size()) {
            out.endsInsideMark = true;
            i += 1;
        } else if (at(i + 1) == 0xFF) {
            out.data.append('\xFF');
            i += 2;
        } else if (at(i + 1) == 0x00) {
            if (i + 2 >= stream.size()) {
                out.endsInsideMark = true;
                i += 2;
            } else {
                out.data.append(stream.at(i + 2));
                ++out.markedBytes;
                i += 3;
            }
        } else {
            out.data.append(stream.mid(i, 2));
            i += 2;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The first bytes say where the reads end; the rest is the stream.
    std::vector<std::size_t> cuts;
    const std::size_t cutCount = input.ConsumeIntegralInRange<std::size_t>(0, 16);
    for (std::size_t i = 0; i < cutCount; ++i) {
        cuts.push_back(input.ConsumeIntegralInRange<std::size_t>(0, 64));
    }
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray stream(rest.data(), static_cast<qsizetype>(rest.size()));

    SerialMarks marks;
    Decoded pieces;
    qsizetype from = 0;
    for (const std::size_t cut : cuts) {
        const qsizetype length =
            std::min<qsizetype>(static_cast<qsizetype>(cut), stream.size() - from);
        const SerialMarks::Result read = marks.feed(stream.mid(from, length));
        pieces.data.append(read.data);
        pieces.markedBytes += read.markedBytes;
        require(read.markedBytes <= read.data.size());
        from += length;
    }
    const SerialMarks::Result last = marks.feed(stream.mid(from));
    pieces.data.append(last.data);
    pieces.markedBytes += last.markedBytes;

    const Decoded whole = referenceDecode(stream);
    require(pieces.data == whole.data);
    require(pieces.markedBytes == whole.markedBytes);
    require(marks.holdsPartialMark() == whole.endsInsideMark);
    marks.reset();
    require(!marks.holdsPartialMark());
    return 0;
}
