// The corpus of malformed WAVE files and the independent reading by the rules.
#include "support/wave_corpus.h"
#include <mmsystem.h>
#include <mmreg.h>
#include <algorithm>
#include <cstring>

namespace {

Bytes Pattern(size_t length, uint8_t seed = 3)
{
    Bytes out(length);
    for (size_t i = 0; i < length; ++i)
        out[i] = uint8_t(seed + i * 13);
    return out;
}

void PutU16(Bytes& bytes, size_t offset, uint16_t value)
{
    bytes.at(offset) = uint8_t(value);
    bytes.at(offset + 1) = uint8_t(value >> 8);
}

void PutU32(Bytes& bytes, size_t offset, uint32_t value)
{
    PutU16(bytes, offset, uint16_t(value));
    PutU16(bytes, offset + 2, uint16_t(value >> 16));
}

Bytes BaseAudio() { return SampleBytes(SineSamples(22050, 1, 3000, 440.0)); }

// A format record with every field given.
Bytes FormatFields(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avg, uint16_t align, uint16_t bits)
{
    Bytes out;
    AppendU16(out, tag);
    AppendU16(out, channels);
    AppendU32(out, rate);
    AppendU32(out, avg);
    AppendU16(out, align);
    AppendU16(out, bits);
    return out;
}

Bytes WithExtra(Bytes format, uint16_t cbSize, const Bytes& extra)
{
    AppendU16(format, cbSize);
    AppendRaw(format, extra.data(), extra.size());
    return format;
}

Bytes WaveOf(const Bytes& format, const Bytes& audio)
{
    return RiffForm("WAVE", Join({Chunk("fmt ", format), Chunk("data", audio)}));
}

// A 22050 Hz IMA ADPCM mono format as the codecs describe it: 512-byte
// blocks of 1017 samples.
Bytes ImaFormat()
{
    Bytes extra;
    AppendU16(extra, 1017);
    return WithExtra(FormatFields(WAVE_FORMAT_IMA_ADPCM, 1, 22050, 11100, 512, 4), 2, extra);
}

// A 22050 Hz mono Microsoft ADPCM format with its seven standard
// coefficient pairs: 512-byte blocks of 1012 samples.
Bytes MsAdpcmFormat()
{
    Bytes extra;
    AppendU16(extra, 1012);
    AppendU16(extra, 7);
    static const int16_t coefficients[] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
    for (int16_t c : coefficients)
        AppendU16(extra, uint16_t(c));
    return WithExtra(FormatFields(WAVE_FORMAT_ADPCM, 1, 22050, 11155, 512, 4), 32, extra);
}

Bytes ExtensibleFormat(uint16_t cbSize, const Bytes& subFormatTag, size_t extraLength)
{
    Bytes extra;
    AppendU16(extra, 16);          // valid bits per sample
    AppendU32(extra, 4);           // channel mask: front centre
    AppendRaw(extra, subFormatTag.data(), subFormatTag.size());
    static const uint8_t guidTail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                       0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    AppendRaw(extra, guidTail, sizeof(guidTail));
    extra.resize(extraLength);
    return WithExtra(FormatFields(WAVE_FORMAT_EXTENSIBLE, 1, 22050, 44100, 2, 16), cbSize, extra);
}

// Offsets of the size fields of every chunk header that the layout walk
// meets, top level and inside the first form.
std::vector<size_t> SizeFieldOffsets(const Bytes& file)
{
    std::vector<size_t> offsets;
    if (file.size() >= 8)
        offsets.push_back(4);
    // In 64 bits: a size near 4 GB would wrap a 32-bit position back to the
    // start of the file, and the walk would never end.
    uint64_t pos = 12;
    while (pos + 8 <= file.size()) {
        offsets.push_back(size_t(pos + 4));
        uint64_t size = ReadU32(file, size_t(pos + 4));
        pos += 8 + ((size + 1) & ~uint64_t(1));
    }
    return offsets;
}

// splitmix64: small, good enough, and the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t bound) { return bound == 0 ? 0 : size_t(Next() % bound); }

private:
    uint64_t state_;
};

const uint32_t InterestingSizes[] = {0,          1,          2,          3,          15,         16,
                                     17,         18,         1023,       1024,       1025,       0x7FFFFFFF,
                                     0x80000000, 0xFFFFFFF0, 0xFFFFFFF8, 0xFFFFFFFE, 0xFFFFFFFF};

}  // namespace

Bytes CorpusBaseFormat() { return PcmFormat(1, 22050, 16); }

Bytes CorpusBaseWave() { return WaveOf(CorpusBaseFormat(), BaseAudio()); }

std::vector<CorpusFile> StructuredCorpus()
{
    std::vector<CorpusFile> corpus;
    auto add = [&](std::string name, Bytes content) { corpus.push_back({std::move(name), std::move(content)}); };

    const Bytes base = CorpusBaseWave();
    const Bytes format = CorpusBaseFormat();
    const Bytes audio = BaseAudio();
    const Bytes fmtChunk = Chunk("fmt ", format);
    const Bytes dataChunk = Chunk("data", audio);

    // Cut at every offset of the header and a little into the audio, and at a
    // few places further in.
    for (size_t length = 0; length <= 64; ++length)
        add("cut at " + std::to_string(length), Bytes(base.begin(), base.begin() + long(length)));
    for (size_t length : {size_t(1001), base.size() / 2, base.size() - 1})
        add("cut at " + std::to_string(length), Bytes(base.begin(), base.begin() + long(length)));

    // Size fields of each chunk set to the awkward values, alone and behind
    // a chunk of size 0 (a size that points back lands on it).
    const Bytes emptyJunk = Chunk("JUNK", {});
    for (uint32_t size : InterestingSizes) {
        std::string hex = std::to_string(size);
        Bytes riff = base;
        PutU32(riff, 4, size);
        add("RIFF size " + hex, riff);
        add("fmt size " + hex, RiffForm("WAVE", Join({ChunkWithSize("fmt ", size, format), dataChunk})));
        add("data size " + hex, RiffForm("WAVE", Join({fmtChunk, ChunkWithSize("data", size, audio)})));
        add("LIST size " + hex + " before fmt",
            RiffForm("WAVE", Join({emptyJunk, ChunkWithSize("LIST", size, Pattern(8)), fmtChunk, dataChunk})));
        add("fact size " + hex + " between fmt and data",
            RiffForm("WAVE", Join({fmtChunk, emptyJunk, ChunkWithSize("fact", size, Pattern(4)), dataChunk})));
        add("top-level JUNK size " + hex + " before the form",
            Join({emptyJunk, ChunkWithSize("JUNK", size, Pattern(6)), base}));
    }
    // Odd chunk sizes with and without the pad byte.
    {
        Bytes oddList = ChunkWithSize("LIST", 5, Pattern(5));  // padded
        add("odd LIST padded", RiffForm("WAVE", Join({oddList, fmtChunk, dataChunk})));
        Bytes unpadded = Join({Bytes{'L', 'I', 'S', 'T', 5, 0, 0, 0}, Pattern(5)});
        add("odd LIST without pad", RiffForm("WAVE", Join({unpadded, fmtChunk, dataChunk})));
        Bytes oddAudio(audio.begin(), audio.begin() + 4001);
        add("odd data", RiffForm("WAVE", Join({fmtChunk, Chunk("data", oddAudio)})));
    }
    // The RIFF size larger and smaller than the file.
    for (long delta : {-1L, -2L, -100L, -4000L, 1L, 2L, 1000L, 1000000L}) {
        Bytes riff = base;
        PutU32(riff, 4, uint32_t(long(base.size()) - 8 + delta));
        add("RIFF size off by " + std::to_string(delta), riff);
    }

    // Format chunks of every awkward length: the base format's bytes as far
    // as they go, then a pattern.
    for (size_t length : {0, 2, 14, 15, 16, 17, 18, 20, 1024, 1025}) {
        Bytes fmt = WithExtra(format, uint16_t(length > 18 ? length - 18 : 0), Pattern(length > 18 ? length - 18 : 0));
        fmt.resize(length);
        add("fmt of " + std::to_string(length) + " bytes", RiffForm("WAVE", Join({Chunk("fmt ", fmt), dataChunk})));
    }
    // An extra byte count larger than the chunk, for PCM and for tags whose
    // codecs read their extra bytes.
    for (uint16_t tag : {uint16_t(WAVE_FORMAT_PCM), uint16_t(WAVE_FORMAT_IMA_ADPCM), uint16_t(WAVE_FORMAT_ADPCM),
                         uint16_t(WAVE_FORMAT_GSM610), uint16_t(WAVE_FORMAT_MPEGLAYER3), uint16_t(0x7777)}) {
        Bytes fields = FormatFields(tag, 1, 22050, 11100, 512, 4);
        for (uint16_t cbSize : {uint16_t(2), uint16_t(100), uint16_t(0xFFFF)}) {
            add("tag " + std::to_string(tag) + " cbSize " + std::to_string(cbSize) + " in 18 bytes",
                WaveOf(WithExtra(fields, cbSize, {}), audio));
            add("tag " + std::to_string(tag) + " cbSize " + std::to_string(cbSize) + " in 20 bytes",
                WaveOf(WithExtra(fields, cbSize, Pattern(2)), audio));
        }
        Bytes seventeen = WithExtra(fields, 0xFF, {});
        seventeen.resize(17);
        add("tag " + std::to_string(tag) + " 17 bytes", WaveOf(seventeen, audio));
    }
    add("IMA ADPCM", WaveOf(ImaFormat(), Pattern(2048)));
    {
        Bytes ima = ImaFormat();
        PutU16(ima, 18, 0);
        add("IMA ADPCM with 0 samples per block", WaveOf(ima, Pattern(2048)));
        add("MS ADPCM", WaveOf(MsAdpcmFormat(), Pattern(2048)));
        // One field of the MS ADPCM format at a time, at its offset.
        const struct {
            size_t offset;
            uint16_t value;
            const char* what;
        } msFields[] = {{18, 0, "0 samples per block"}, {20, 0, "0 coefficients"}, {20, 0xFFFF, "65535 coefficients"},
                        {12, 0, "block align 0"},       {12, 1, "block align 1"},  {2, 0, "0 channels"}};
        for (const auto& field : msFields) {
            Bytes ms = MsAdpcmFormat();
            PutU16(ms, field.offset, field.value);
            add(std::string("MS ADPCM with ") + field.what, WaveOf(ms, Pattern(2048)));
        }
        Bytes gsm = WithExtra(FormatFields(WAVE_FORMAT_GSM610, 1, 8000, 1625, 65, 0), 2, Bytes{0x40, 0x01});
        add("GSM 6.10", WaveOf(gsm, Pattern(1300)));
        PutU16(gsm, 18, 0);
        add("GSM 6.10 with 0 samples per block", WaveOf(gsm, Pattern(1300)));
    }
    add("IMA ADPCM short of a block", WaveOf(ImaFormat(), Pattern(100)));

    // Forms nested and repeated.
    add("WAVE form inside a WAVE form", RiffForm("WAVE", base));
    add("WAVE form inside an AVI form", RiffForm("AVI ", base));
    add("AVI form before the WAVE form", Join({RiffForm("AVI ", Join({fmtChunk, dataChunk})), base}));
    add("two WAVE forms", Join({base, base}));
    add("WAVE form without fmt, then a full one", Join({RiffForm("WAVE", dataChunk), base}));
    add("WAVE form without data, then a full one", Join({RiffForm("WAVE", fmtChunk), base}));
    add("fmt only after the form", Join({RiffForm("WAVE", dataChunk), fmtChunk}));
    add("data only after the form", Join({RiffForm("WAVE", fmtChunk), dataChunk}));
    add("fmt inside a LIST", RiffForm("WAVE", Join({Chunk("LIST", Join({Bytes{'I', 'N', 'F', 'O'}, fmtChunk})), dataChunk})));
    add("form type only", RiffForm("WAVE", {}));
    add("lower-case codes", RiffForm("WAVE", Join({Chunk("FMT ", format), Chunk("DATA", audio)})));

    // Other chunks before and between fmt and data, and unusual orders.
    Bytes list = Chunk("LIST", Join({Bytes{'I', 'N', 'F', 'O'}, Chunk("INAM", Pattern(9))}));
    Bytes fact;
    AppendU32(fact, 3000);
    add("LIST fact JUNK before fmt",
        RiffForm("WAVE", Join({list, Chunk("fact", fact), Chunk("JUNK", Pattern(27)), fmtChunk, dataChunk})));
    add("LIST fact JUNK between fmt and data",
        RiffForm("WAVE", Join({fmtChunk, list, Chunk("fact", fact), Chunk("JUNK", Pattern(27)), dataChunk})));
    add("data before fmt", RiffForm("WAVE", Join({dataChunk, fmtChunk})));
    add("two data chunks", RiffForm("WAVE", Join({fmtChunk, dataChunk, Chunk("data", Pattern(300))})));
    add("two fmt chunks", RiffForm("WAVE", Join({Chunk("fmt ", PcmFormat(2, 8000, 8)), fmtChunk, dataChunk})));
    add("empty data", RiffForm("WAVE", Join({fmtChunk, Chunk("data", {})})));
    add("no data", RiffForm("WAVE", fmtChunk));
    add("no fmt", RiffForm("WAVE", dataChunk));
    add("empty file", {});
    add("text file", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});

    // Extensible sources.
    const Bytes pcmGuid = {0x01, 0x00};
    const Bytes floatGuid = {0x03, 0x00};
    add("extensible PCM", WaveOf(ExtensibleFormat(22, pcmGuid, 22), audio));
    add("extensible float", WaveOf(ExtensibleFormat(22, floatGuid, 22), audio));
    add("extensible unknown subformat", WaveOf(ExtensibleFormat(22, {0x77, 0x77}, 22), audio));
    add("extensible cbSize 22 in 10 extra bytes", WaveOf(ExtensibleFormat(22, pcmGuid, 10), audio));
    add("extensible cbSize 0", WaveOf(ExtensibleFormat(0, pcmGuid, 0), audio));
    add("extensible cbSize 0xFFFF", WaveOf(ExtensibleFormat(0xFFFF, pcmGuid, 22), audio));

    // Sample formats.
    add("8-bit PCM", WaveOf(PcmFormat(1, 22050, 8), Pattern(3000)));
    add("8-bit stereo PCM", WaveOf(PcmFormat(2, 11025, 8), Pattern(3000)));
    add("24-bit PCM", WaveOf(PcmFormat(2, 44100, 24), Pattern(6000)));
    add("32-bit PCM", WaveOf(PcmFormat(1, 48000, 32), Pattern(6000)));
    add("32-bit float", WaveOf(FormatFields(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 176400, 4, 32), Pattern(6000)));
    add("64-bit float", WaveOf(FormatFields(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 352800, 8, 64), Pattern(6000)));
    add("16-bit stereo PCM", WaveOf(PcmFormat(2, 22050, 16), audio));
    add("A-law", WaveOf(FormatFields(WAVE_FORMAT_ALAW, 1, 8000, 8000, 1, 8), Pattern(3000)));

    // Absurd field values in an otherwise valid 16-byte PCM format.
    struct Fields {
        const char* name;
        uint16_t channels;
        uint32_t rate;
        uint32_t avg;
        uint16_t align;
        uint16_t bits;
    };
    const Fields fieldCases[] = {
        {"0 channels", 0, 22050, 44100, 2, 16},
        {"0 Hz", 1, 0, 44100, 2, 16},
        {"block align 0", 1, 22050, 44100, 0, 16},
        {"0 bytes per second", 1, 22050, 0, 2, 16},
        {"0 bits", 1, 22050, 44100, 2, 0},
        {"all zero", 0, 0, 0, 0, 0},
        {"65535 channels", 0xFFFF, 22050, 44100, 2, 16},
        {"rate 0xFFFFFFFF", 1, 0xFFFFFFFF, 44100, 2, 16},
        {"bytes per second 0xFFFFFFFF", 1, 22050, 0xFFFFFFFF, 2, 16},
        {"block align 65535", 1, 22050, 44100, 0xFFFF, 16},
        {"block align 1 for 16 bits", 1, 22050, 44100, 1, 16},
        {"block align 3 for 16 bits", 1, 22050, 44100, 3, 16},
        {"65535 bits", 1, 22050, 44100, 2, 0xFFFF},
        {"7 bits", 1, 22050, 22050, 1, 7},
        {"3 channels", 3, 22050, 132300, 6, 16},
        {"1 Hz", 1, 1, 2, 2, 16},
        {"rate 1000000000", 1, 1000000000, 2000000000, 2, 16},
    };
    for (const Fields& f : fieldCases)
        add(f.name, WaveOf(FormatFields(WAVE_FORMAT_PCM, f.channels, f.rate, f.avg, f.align, f.bits), audio));
    return corpus;
}

std::vector<CorpusFile> MutatedCorpus(uint64_t seed, size_t count)
{
    Bytes fact;
    AppendU32(fact, 3000);
    const Bytes audio = BaseAudio();
    const Bytes starts[] = {
        CorpusBaseWave(),
        WaveOf(PcmFormat(2, 11025, 8), Pattern(2000)),
        RiffForm("WAVE", Join({Chunk("LIST", Join({Bytes{'I', 'N', 'F', 'O'}, Chunk("INAM", Pattern(9))})),
                               Chunk("fmt ", WithExtra(CorpusBaseFormat(), 0, {})), Chunk("fact", fact),
                               Chunk("data", audio)})),
        WaveOf(ImaFormat(), Pattern(2048)),
    };
    constexpr size_t startCount = sizeof(starts) / sizeof(starts[0]);

    Random random(seed);
    std::vector<CorpusFile> corpus;
    corpus.reserve(count);
    for (size_t n = 0; n < count; ++n) {
        size_t which = random.Below(startCount);
        Bytes file = starts[which];
        std::string name = "mutation " + std::to_string(n) + " of start " + std::to_string(which) + ":";
        size_t steps = 1 + random.Below(3);
        for (size_t step = 0; step < steps && !file.empty(); ++step) {
            switch (random.Below(4)) {
            case 0: {  // flip bits, mostly in the header
                size_t span = random.Below(2) ? std::min<size_t>(file.size(), 80) : file.size();
                size_t at = random.Below(span);
                uint8_t mask = uint8_t(1 + random.Below(255));
                file[at] ^= mask;
                name += " flip " + std::to_string(at);
                break;
            }
            case 1: {  // cut short
                size_t at = random.Below(2) ? random.Below(std::min<size_t>(file.size(), 80)) : random.Below(file.size());
                file.resize(at);
                name += " cut " + std::to_string(at);
                break;
            }
            case 2: {  // a size field set to an awkward or random value
                std::vector<size_t> fields = SizeFieldOffsets(file);
                fields.erase(std::remove_if(fields.begin(), fields.end(),
                                            [&](size_t at) { return at + 4 > file.size(); }),
                             fields.end());
                if (fields.empty())
                    break;
                size_t at = fields[random.Below(fields.size())];
                uint32_t value = random.Below(2)
                                     ? InterestingSizes[random.Below(sizeof(InterestingSizes) / sizeof(uint32_t))]
                                     : uint32_t(ReadU32(file, at) + uint32_t(random.Below(64)) - 32);
                PutU32(file, at, value);
                name += " size at " + std::to_string(at) + " := " + std::to_string(value);
                break;
            }
            default: {  // a format field set to an awkward value
                size_t at = 20 + 2 * random.Below(9);
                if (at + 2 > file.size())
                    break;
                static const uint16_t values[] = {0, 1, 2, 3, 0x7FFF, 0x8000, 0xFFFF};
                uint16_t value = values[random.Below(sizeof(values) / sizeof(values[0]))];
                PutU16(file, at, value);
                name += " u16 at " + std::to_string(at) + " := " + std::to_string(value);
                break;
            }
            }
        }
        corpus.push_back({std::move(name), std::move(file)});
    }
    return corpus;
}

namespace {

bool CodeAt(const Bytes& file, uint64_t at, const char* code)
{
    return at + 4 <= file.size() && memcmp(file.data() + at, code, 4) == 0;
}

// The first chunk with the code from `from` on, stepping over the others by
// their even size, while its header starts before `end`. Returns the offset
// of the header.
bool FindChunk(const Bytes& file, uint64_t from, uint64_t end, const char* code, uint64_t* found)
{
    for (uint64_t pos = from; pos < end && pos + 8 <= file.size();) {
        if (CodeAt(file, pos, code)) {
            *found = pos;
            return true;
        }
        uint64_t size = ReadU32(file, size_t(pos + 4));
        pos += 8 + ((size + 1) & ~uint64_t(1));
    }
    return false;
}

}  // namespace

ExpectedReading ReadByTheRules(const Bytes& file)
{
    ExpectedReading expected;
    // The WAVE form among the top-level chunks.
    uint64_t form = 0;
    for (uint64_t pos = 0;; ) {
        if (!FindChunk(file, pos, UINT64_MAX, "RIFF", &form))
            return expected;
        if (CodeAt(file, form + 8, "WAVE"))
            break;
        uint64_t size = ReadU32(file, size_t(form + 4));
        pos = form + 8 + ((size + 1) & ~uint64_t(1));
    }
    const uint64_t formEnd = form + 8 + ReadU32(file, size_t(form + 4));

    uint64_t fmt = 0;
    if (FindChunk(file, form + 12, formEnd, "fmt ", &fmt)) {
        uint32_t size = ReadU32(file, size_t(fmt + 4));
        if (size <= 1024 && fmt + 8 + size <= file.size()) {
            expected.FormatRead = true;
            expected.Format.assign(file.begin() + long(fmt + 8), file.begin() + long(fmt + 8 + size));
        }
    }
    uint64_t data = 0;
    if (FindChunk(file, form + 12, UINT64_MAX, "data", &data)) {
        expected.DataFound = true;
        expected.DataSize = ReadU32(file, size_t(data + 4));
        expected.DataOffset = size_t(data + 8);
    }
    return expected;
}
