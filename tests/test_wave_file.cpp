// Reading sources and writing destinations, byte for byte, and a fixed
// sample of malformed sources through every reader of a source: each ends in
// a failure or a valid destination, never in a crash, a hang, a read past a
// format, a stray file or a changed source.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <random>
#include "settings/settings.h"
#include "engine/batch/batch_steering.h"
#include "engine/convert/convert_file.h"
#include "engine/wave/riff_layout.h"
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "sources/compatibility_check.h"
#include "sources/format_names.h"
#include "ui/format_panels.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/format_description.h"
#include "sources/source_list.h"
#include "ui/conversion_control.h"
#include "support/batch_window.h"

namespace {

Bytes Filled(size_t length, uint8_t first = 1)
{
    Bytes out(length);
    for (size_t i = 0; i < length; ++i)
        out[i] = uint8_t(first + i * 7);
    return out;
}

Bytes WithRiffSize(Bytes file, uint32_t size)
{
    memcpy(file.data() + 4, &size, 4);
    return file;
}

// A copy that ends where an inaccessible page begins: one byte read past it
// ends the test program at once.
struct Guarded {
    explicit Guarded(const Bytes& bytes)
    {
        DWORD old;
        VirtualProtect(base + 0x10000, 0x10000, PAGE_NOACCESS, &old);
        memcpy(base + 0x10000 - bytes.size(), bytes.data(), bytes.size());
        data = base + 0x10000 - bytes.size();
    }
    ~Guarded() { VirtualFree(base, 0, MEM_RELEASE); }
    BYTE* base = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x20000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    const BYTE* data;
};

}  // namespace

TEST(WaveReading, FindsFormatAndDataWhereTheLayoutPutsThem)
{
    ScratchFolder folder;
    const Bytes pcm = PcmFormat(1, 8000, 16), fmt = Chunk("fmt ", pcm), big = Filled(1024);
    const Bytes data = Chunk("data", Filled(5)), both = Join({fmt, data});  // odd: a pad byte follows
    auto wave = [](const Bytes& chunks) { return RiffForm("WAVE", chunks); };
    struct Case {
        const char* name;
        Bytes file;
        Bytes format;  // empty: the format cannot be read
        int dataSize;  // -1: no data chunk is found
    } cases[] = {
        {"plain", wave(both), pcm, 5},
        {"odd chunks first", wave(Join({Chunk("LIST", Filled(11)), data, fmt})), pcm, 5},
        {"fmt of 1024 bytes", wave(Join({Chunk("fmt ", big), data})), big, 5},
        {"fmt of 1025 bytes", wave(Join({Chunk("fmt ", Filled(1025)), data})), {}, 5},
        {"no fmt", wave(data), {}, 5},
        {"no data", wave(fmt), pcm, -1},
        {"more data declared than present", wave(Join({fmt, ChunkWithSize("data", 1000, Filled(10))})), pcm, 1000},
        {"lower-case form type", RiffForm("wave", both), {}, -1},
        {"no form", both, {}, -1},
        {"fmt behind the form", Join({wave(data), fmt}), {}, 5},
        {"form size near 4 GB", WithRiffSize(wave(both), 0xFFFFFFF9), pcm, 5},
        // Sizes that step back onto a chunk in 32 bits, or past what a seek reaches.
        {"size back onto itself", Join({ChunkWithSize("JUNK", 0xFFFFFFF8, Filled(8)), wave(both)}), {}, -1},
        {"size back before data", wave(Join({fmt, ChunkWithSize("fact", 0xFFFFFFF0, Filled(4)), data})), pcm, -1},
        {"size beyond reach", wave(Join({ChunkWithSize("fmt ", 0x80000000u, pcm), data})), {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File("a.wav");
        WriteWholeFile(path, c.file);
        Bytes buffer(MaxFormatBytes + 16, 0xEE);
        DWORD length = 0;
        bool read = ReadSourceFormat(path.c_str(), buffer.data(), &length);
        EXPECT_EQ(read ? Bytes(buffer.begin(), buffer.begin() + length) : Bytes(), c.format);
        EXPECT_EQ(Bytes(buffer.begin() + MaxFormatBytes, buffer.end()), Bytes(16, 0xEE)) << "written past the buffer";
        WaveReader reader;
        ASSERT_EQ(OpenWaveData(path.c_str(), reader), c.dataSize != -1);
        if (c.dataSize == -1)
            continue;
        EXPECT_EQ(reader.DataSize, DWORD(c.dataSize));
        char first[5] = {};
        EXPECT_EQ(mmioRead(reader.File.Get(), first, 5), 5);
        EXPECT_EQ(memcmp(first, Filled(5).data(), 5), 0) << "not at the first audio byte";
    }
}

TEST(WaveWriting, FinishedFilesMatchTheLayoutByteForByte)
{
    ScratchFolder folder;
    std::string path = folder.File("out.wav");
    WriteWholeFile(path, Filled(100000));  // a longer file there is replaced
    for (auto [formatLength, audioLength] : {std::pair{16, 1000}, {21, 7}, {17, 1}, {18, 3}, {16, 0}, {50, 1}}) {
        Bytes format = Filled(formatLength, 3), audio = Filled(audioLength, 9);
        for (bool finish : {true, false}) {
            const bool fact = formatLength > 18;  // as a compressed format has it
            const size_t dataAt = 20 + ((formatLength + 1) & ~1) + (fact ? 12 : 0);
            WaveWriter writer;
            ASSERT_TRUE(CreateWaveFile(path.c_str(), format.data(), DWORD(format.size()), writer, fact));
            EXPECT_EQ(mmioWrite(writer.File.Get(), reinterpret_cast<const char*>(audio.data()), LONG(audio.size())),
                      LONG(audio.size()));
            EXPECT_EQ(!finish || FinishWaveFile(writer, 777), true);
            EXPECT_TRUE(writer.File.Close());
            Bytes written = ReadWholeFile(path), count;
            AppendU32(count, finish ? 777 : 1);
            Bytes expected = RiffForm("WAVE", Join({Chunk("fmt ", format), fact ? Chunk("fact", count) : Bytes(), Chunk("data", audio)}));
            if (!finish) {
                // An unfinished file keeps 1 in both size fields and no pad byte yet.
                memcpy(expected.data() + 4, "\1\0\0\0", 4);
                memcpy(expected.data() + dataAt + 4, "\1\0\0\0", 4);
                expected.resize(dataAt + 8 + audioLength);
            }
            EXPECT_EQ(written, expected) << formatLength << " format, " << audioLength << " audio bytes, " << finish;
        }
    }
}

// The size arithmetic alone, at the 4 GiB limit that only a large mount
// reaches through a file: pad bytes after odd chunks, no 32-bit wrap, and
// the most audio whose form size still fits its field.
TEST(WaveWriting, RiffSizesPadOddChunksAndStopAtTheFieldsLimit)
{
    EXPECT_EQ(RiffFormSize(16, 1000), 1036u);
    EXPECT_EQ(RiffFormSize(21, 7), 50u);  // 4 + 8 + 22 + 8 + 8
    EXPECT_EQ(RiffFormSize(16, 0x100000000ull), 0x100000024ull);
    for (uint64_t format : {16u, 17u, 50u, 1024u, 0xFFFFFFD0u}) {
        uint64_t room = MaxAudioBytes(format);
        EXPECT_EQ(RiffFormSize(format, room), MaxRiffSize - 1) << format;  // an odd room would pad past it
        EXPECT_GT(RiffFormSize(format, room + 1), MaxRiffSize) << format;
    }
    EXPECT_EQ(MaxAudioBytes(16), 0xFFFFFFDAu);
    EXPECT_EQ(MaxAudioBytes(0xFFFFFFEBu), 0u);  // not even the format fits
    EXPECT_EQ(RiffFormSize(20, 7, true), RiffFormSize(20, 7) + 12);  // the "fact" chunk
    EXPECT_EQ(MaxAudioBytes(20, true), MaxAudioBytes(20) - 12);
}

// A fixed sample of seeded mutations of a valid file; the large run is the
// bad-input benchmark.
TEST(BadInput, MutatedSourcesEndInAFailureOrAValidFile)
{
    ScratchFolder folder;
    ResetSettingsToDefaults(Settings);
    HWND window = CreateBatchWindow();
    const Bytes pcm = PcmFormat(1, 22050, 16), ima = SuggestFormat(pcm, WAVE_FORMAT_IMA_ADPCM);
    const Bytes base = PcmWave(1, 22050, SineSamples(22050, 1, 3000, 440));
    const uint32_t odd[] = {0, 1, 2, 15, 17, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF8, 0xFFFFFFFF};
    // Besides: formats a codec divides by, or that end the process in the
    // PCM converter, which must fail like a pair no codec can convert.
    std::vector<Bytes> zeroed;
    for (size_t at : {22, 24, 28, 32, 34})
        zeroed.push_back(base), memset(zeroed.back().data() + at, 0, 2);
    std::mt19937 random(20240611);
    for (int round = 0; round < 125; ++round) {
        Bytes file = round < 5 ? zeroed[round] : base;
        switch (round < 5 ? -1 : round % 4) {
        case 0:  // a few bytes of the header changed
            for (int i = 0; i < 3; ++i)
                file[random() % 44] = uint8_t(random());
            break;
        case 1:  // a size or format field set to an unusual value
            memcpy(file.data() + std::vector<size_t>{4, 16, 40, 22, 24, 28, 32}[random() % 7], &odd[random() % 9], 4);
            break;
        case 2:  // cut anywhere
            file.resize(random() % file.size());
            break;
        case 3:  // a chunk of odd size in front of the format
            file = RiffForm("WAVE", Join({ChunkWithSize("JUNK", odd[random() % 9], Filled(random() % 9)),
                                          Bytes(base.begin() + 12, base.end())}));
        }
        SCOPED_TRACE(round);
        std::string source = folder.File("source.wav");
        WriteWholeFile(source, file);
        Bytes format(MaxFormatBytes);
        DWORD length = 0;
        if (!ReadSourceFormat(source.c_str(), format.data(), &length))
            format = pcm, length = 16;
        format.resize(length);
        Guarded exact(format);
        char description[DescriptionChars];
        DescribeFormat(exact.data, length, description);
        AddBatchRow(window, source, ima);
        SelectRows(window, {0});
        ShowFormatPanels(window);
        ClearBatchRows(window);
        for (const Bytes* target : {&pcm, &ima}) {
            std::string destination = folder.File(target == &pcm ? "pcm.wav" : "ima.wav");
            DeleteFileA(destination.c_str());
            Guarded to(*target);
            DWORD targetLength = DWORD(target->size());
            ConvertResult result =
                ConvertFile(source.c_str(), exact.data, length, destination.c_str(), to.data, targetLength);
            Bytes written = ReadWholeFile(destination);
            size_t fact = target == &ima ? 12 : 0;
            bool valid = (!FinishedAudio(destination).empty() || written.size() == 28 + targetLength + fact) &&
                         std::equal(target->begin(), target->end(), written.begin() + 20);
            bool failed = !FileExists(destination) || HasPlaceholders(destination);
            EXPECT_TRUE(result == ConvertResult::Converted ? valid : result == ConvertResult::Failed && failed);
        }
        EXPECT_EQ(ReadWholeFile(source), file) << "the source changed";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(folder.File("*").c_str(), &found);
        int files = 0;
        for (bool more = true; more; more = FindNextFileA(search, &found))
            files += found.cFileName[0] != '.';
        FindClose(search);
        EXPECT_LE(files, 3) << "a file beside the destinations";
    }
    DestroyWindow(window);
}

namespace {
// What the compatibility check hands the codecs: never more extra bytes than
// the stored format holds, never a zero the codecs divide by.
DWORD heldBytes = 0;
MMRESULT ACMAPI WatchedQuery(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX target,
                             LPWAVEFILTER filter, DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    WORD samplesPerBlock = 0;
    memcpy(&samplesPerBlock, source + 1, source->cbSize >= 2 ? 2 : 0);
    EXPECT_LE(18u + source->cbSize, heldBytes);
    EXPECT_TRUE(source->nChannels && source->nSamplesPerSec && source->nAvgBytesPerSec && source->nBlockAlign && samplesPerBlock);
    return acmStreamOpen(stream, driver, source, target, filter, callback, instance, flags);
}
// The user picks the PCM tag in the chooser, counts its formats and cancels.
LRESULT offeredPcm = -1;
void CALLBACK CountPcmAndCancel(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND chooser = FindWindowA(nullptr, "Destination Format"), tags = GetDlgItem(chooser, IDC_CHOOSER_TAG);
    char pcm[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = "";
    GetFormatTagName(WAVE_FORMAT_PCM, pcm);
    SendMessageA(tags, CB_SETCURSEL, SendMessageA(tags, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(pcm)), 0);
    SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_TAG, CBN_SELCHANGE), LPARAM(tags));
    offeredPcm = SendDlgItemMessageA(chooser, IDC_CHOOSER_FORMATS, LB_GETCOUNT, 0, 0);
    SendDlgItemMessageA(chooser, IDCANCEL, BM_CLICK, 0, 0);
}
}  // namespace

// An IMA ADPCM format whose extra byte count claims 65535 bytes, and one with
// each field zeroed that a codec divides by: dropped onto the list, checked
// by the chooser, shown in the panels and converted in a batch.
TEST(BadInput, MalformedFormatsReachNoCodecAsStored)
{
    ScratchFolder folder, out;
    ResetSettingsToDefaults(Settings);
    lstrcpynA(Settings.DestinationPath, out.Path().c_str(), sizeof(Settings.DestinationPath));
    HWND window = CreateBatchWindow();
    PumpWaitingMessages();  // an earlier window's quit message would end the chooser at once
    MessageRecorder recorder;
    CompatibilityQuery = WatchedQuery;
    AtScopeEnd restore([] { CompatibilityQuery = acmStreamOpen; });
    const Bytes pcm = PcmFormat(1, 8000, 16), ima = SuggestFormat(pcm, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_EQ(ima.size(), 20u);
    heldBytes = 20;
    const struct {
        size_t at, size;
        uint8_t fill;
    } cases[] = {{0, 0, 0}, {16, 2, 0xFF}, {2, 2, 0}, {4, 4, 0}, {8, 4, 0}, {12, 2, 0}, {18, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        Bytes format = ima;
        memset(format.data() + c.at, c.fill, c.size);
        // A zero byte rate is derived from the rest; a row no stage reads is
        // left out of the chooser's check, which then offers every format.
        const bool refused = c.fill == 0 && c.size != 0 && c.at != 8, ends = c.size == 0 || !refused;
        std::string source = folder.File("source.wav");
        WriteWholeFile(source, RiffForm("WAVE", Join({Chunk("fmt ", format), Chunk("data", Bytes(2560, 0x11))})));
        recorder.Clear();
        DropPaths(window, {source});
        SelectRows(window, {0});
        UpdateSelectionButtons(window);
        ShowFormatPanels(window);
        EXPECT_EQ(ControlText(window, IDC_SRC_EXTRA), "2 Bytes");
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_SELECT_FORMAT)));
        offeredPcm = -1;
        SetTimer(nullptr, 0, 50, CountPcmAndCancel);
        Press(window, IDC_SELECT_FORMAT);
        EXPECT_GT(offeredPcm, 0);
        SetDestinationHandle(GetRowEntry(GetDlgItem(window, IDC_FILE_LIST), 0), CreateFormatBlock(pcm.data(), 16));
        UpdateConvertButton(window);
        Press(window, IDC_CONVERT);
        ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
        std::vector<std::string> messages = {
            "Unable to describe the audio format of 1 of the dropped files, listed without a description:\n\n" + source,
            "Unable to convert audio file.\n" + source + ": the codec refuses the format (error 512)."};
        EXPECT_EQ(recorder.Texts(), ends ? std::vector<std::string>{} : messages);
        EXPECT_EQ(FileExists(out.File("source.wav")), ends);
        DeleteFileA(out.File("source.wav").c_str());
        ClearBatchRows(window);
    }
    DestroyWindow(window);
    PumpWaitingMessages();
}
