// One corpus file through the readers, the description, the panels and the
// converter.
#include "support/corpus_run.h"
#include <commctrl.h>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <new>
#include "settings/settings.h"
#include "engine/convert/convert_file.h"
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "ui/format_panels.h"
#include "sources/source_entry.h"
#include "sources/format_description.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"

GuardedBytes::GuardedBytes(const void* data, size_t length)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    const size_t pages = (length + page - 1) / page;
    base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr)
        throw std::bad_alloc();
    DWORD old = 0;
    VirtualProtect(base_ + pages * page, page, PAGE_NOACCESS, &old);
    data_ = base_ + pages * page - length;
    if (length > 0)
        memcpy(data_, data, length);
}

GuardedBytes::~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }

namespace {
char WatchedStep[512];
volatile LONG WatchArmed = 0;
volatile LONG WatchStart = 0;
}  // namespace

namespace {
LPTOP_LEVEL_EXCEPTION_FILTER EarlierCrashReport = nullptr;

// Names the corpus file and step before the test program's own report ends
// the process.
LONG WINAPI ReportCrashedStep(EXCEPTION_POINTERS* exception)
{
    if (WatchArmed) {
        fprintf(stderr, "CRASH in %s\n", WatchedStep);
        fflush(stderr);
    }
    return EarlierCrashReport != nullptr ? EarlierCrashReport(exception) : EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

Watchdog::Watchdog(DWORD limitMs) : limit_(limitMs)
{
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LPTOP_LEVEL_EXCEPTION_FILTER earlier = SetUnhandledExceptionFilter(ReportCrashedStep);
    if (earlier != ReportCrashedStep)
        EarlierCrashReport = earlier;
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

Watchdog::~Watchdog()
{
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
}

void Watchdog::Arm(const std::string& what)
{
    InterlockedExchange(&WatchArmed, 0);
    lstrcpynA(WatchedStep, what.c_str(), sizeof(WatchedStep));
    InterlockedExchange(&WatchStart, LONG(GetTickCount()));
    InterlockedExchange(&WatchArmed, 1);
}

void Watchdog::Disarm() { InterlockedExchange(&WatchArmed, 0); }

DWORD WINAPI Watchdog::Watch(void* self)
{
    auto* dog = static_cast<Watchdog*>(self);
    while (WaitForSingleObject(dog->stop_, 100) == WAIT_TIMEOUT) {
        if (WatchArmed && GetTickCount() - DWORD(WatchStart) > dog->limit_) {
            fprintf(stderr, "HANG: no return within %lu ms from %s\n", static_cast<unsigned long>(dog->limit_),
                    WatchedStep);
            fflush(stderr);
            // The hung thread may hold any lock; end at once.
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
    return 0;
}

namespace {

HWND SharedMainWindow()
{
    static HWND window = CreateBatchWindow();
    return window;
}

void Pump() { PumpWaitingMessages(); }

std::vector<std::string> FolderFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The fields of a format as the panels show them: zeros beyond its length.
WAVEFORMATEX FieldsOf(const Bytes& format)
{
    WAVEFORMATEX fields = {};
    memcpy(&fields, format.data(), std::min(format.size(), sizeof(fields)));
    return fields;
}

std::string Number(unsigned long value) { return std::to_string(value); }

std::string ChannelsWords(unsigned channels)
{
    return Number(channels) + (channels == 1 ? " (Mono)" : channels == 2 ? " (Stereo)" : " (Multi-Channel)");
}
std::string BytesWords(unsigned count) { return Number(count) + (count == 1 ? " Byte" : " Bytes"); }
std::string BitsWords(unsigned bits) { return Number(bits) + (bits == 1 ? " Bit/Sample" : " Bits/Sample"); }

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool RateLooksRight(const std::string& text, uint32_t rate)
{
    if (rate < 1000)
        return text == Number(rate) + " Hz";
    const char* unit = rate >= 1000000000u ? " GHz" : rate >= 1000000u ? " MHz" : " kHz";
    return EndsWith(text, unit) && text.find('.') != std::string::npos;
}

bool DataRateLooksRight(const std::string& text, uint32_t rate)
{
    if (rate < 1024)
        return text == Number(rate) + (rate == 1 ? " Byte/sec." : " Bytes/sec.");
    const char* unit = rate >= 1073741824u ? " GBytes/sec." : rate >= 1048576u ? " MBytes/sec." : " kBytes/sec.";
    return EndsWith(text, unit);
}

void SelectAllRows(HWND list)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&state));
}

// Whether a destination holds the finished layout around the given format,
// with a "fact" chunk after it unless it is PCM; its audio bytes go to audio.
bool FinishedLayout(const Bytes& file, const Bytes& format, Bytes& audio, std::string& why)
{
    const size_t f = format.size();
    const size_t f2 = (f + 1) & ~size_t(1);
    const bool fact = f < 2 || format[0] != WAVE_FORMAT_PCM || format[1] != 0;
    const size_t h = 20 + f2 + (fact ? 12 : 0);  // where "data" stands
    if (file.size() < h + 8) {
        why = "shorter than its header";
        return false;
    }
    if (memcmp(file.data(), "RIFF", 4) != 0 || memcmp(file.data() + 8, "WAVE", 4) != 0 ||
        memcmp(file.data() + 12, "fmt ", 4) != 0 || memcmp(file.data() + h, "data", 4) != 0 ||
        (fact && (memcmp(file.data() + 20 + f2, "fact", 4) != 0 || ReadU32(file, 24 + f2) != 4))) {
        why = "codes out of place";
        return false;
    }
    if (ReadU32(file, 4) != file.size() - 8) {
        why = "RIFF size " + Number(ReadU32(file, 4)) + " for " + Number(file.size()) + " bytes";
        return false;
    }
    if (ReadU32(file, 16) != f || memcmp(file.data() + 20, format.data(), f) != 0 || (f2 != f && file[20 + f] != 0)) {
        why = "format chunk differs from the destination format";
        return false;
    }
    const size_t d = ReadU32(file, h + 4);
    const size_t d2 = (d + 1) & ~size_t(1);
    if (file.size() != h + 8 + d2 || (d2 != d && file.back() != 0)) {
        why = "data size " + Number(d) + " for " + Number(file.size()) + " bytes";
        return false;
    }
    audio.assign(file.begin() + long(h + 8), file.begin() + long(h + 8 + d));
    return true;
}

}  // namespace

CorpusRunner::CorpusRunner() : watchdog_(30000)
{
    window_ = SharedMainWindow();
    ResetSettingsToDefaults(Settings);
    const Bytes pcm = CorpusBaseFormat();
    const Bytes ima = SuggestFormat(pcm, WAVE_FORMAT_IMA_ADPCM);
    targets_ = {
        {"ima.wav", ima, 16},
        {"ima-4k.wav", ima, 4},
        {"pcm.wav", pcm, 16},
        {"pcm-1k.wav", pcm, 1},
    };
}

CorpusRunner::~CorpusRunner()
{
    ClearBatchRows(window_);
    Pump();
    ResetSettingsToDefaults(Settings);
}

CorpusOutcome CorpusRunner::Run(const CorpusFile& file)
{
    CorpusOutcome out;
    const std::string source = folder_.File("source.wav");
    for (const ConversionTarget& target : targets_)
        DeleteFileA(folder_.File(target.Name).c_str());
    WriteWholeFile(source, file.Content);
    const ExpectedReading expected = ReadByTheRules(file.Content);

    // The reader gets exactly the 1024 bytes it may fill.
    watchdog_.Arm(file.Name + ": ReadSourceFormat");
    Bytes fill(MaxFormatBytes, 0xEE);
    GuardedBytes buffer(fill.data(), fill.size());
    DWORD length = 0xFFFFFFFF;
    out.FormatRead = ReadSourceFormat(source.c_str(), buffer.Data(), &length);
    Bytes format;
    if (out.FormatRead) {
        if (length > MaxFormatBytes)
            out.Faults.push_back("ReadSourceFormat gave length " + Number(length));
        else
            format.assign(buffer.Data(), buffer.Data() + length);
    }
    if (out.FormatRead != expected.FormatRead)
        out.Faults.push_back(std::string("ReadSourceFormat ") + (out.FormatRead ? "succeeded" : "failed") +
                             " where the layout says otherwise");
    else if (out.FormatRead && format != expected.Format)
        out.Faults.push_back("ReadSourceFormat read other bytes than the format chunk's");

    watchdog_.Arm(file.Name + ": OpenWaveData");
    {
        WaveReader reader;
        out.DataOpened = OpenWaveData(source.c_str(), reader);
        if (out.DataOpened != expected.DataFound) {
            out.Faults.push_back(std::string("OpenWaveData ") + (out.DataOpened ? "succeeded" : "failed") +
                                 " where the layout says otherwise");
        } else if (out.DataOpened) {
            if (reader.DataSize != expected.DataSize)
                out.Faults.push_back("OpenWaveData gave data size " + Number(reader.DataSize));
            // The position is the first audio byte: what is read is what
            // stands there.
            size_t available = file.Content.size() > expected.DataOffset ? file.Content.size() - expected.DataOffset : 0;
            size_t want = std::min<size_t>(16, available);
            char first[16];
            LONG got = mmioRead(reader.File.Get(), first, 16);
            if (got != LONG(want) || memcmp(first, file.Content.data() + expected.DataOffset, want) != 0)
                out.Faults.push_back("OpenWaveData is not at the first audio byte");
        } else if (reader.File) {
            out.Faults.push_back("OpenWaveData failed but left the file open");
        }
    }

    char description[DescriptionChars];
    if (out.FormatRead) {
        watchdog_.Arm(file.Name + ": DescribeFormat");
        GuardedBytes exact(format.data(), format.size());
        memset(description, 0x55, sizeof(description));
        out.Described = DescribeFormat(exact.Data(), DWORD(format.size()), description);
        if (out.Described) {
            size_t textLength = strnlen(description, sizeof(description));
            if (textLength == sizeof(description) || std::string(description).find(" - ") == std::string::npos)
                out.Faults.push_back("DescribeFormat gave an ill-formed description");
        }
        watchdog_.Arm(file.Name + ": ShowFormatPanels");
        CheckPanels(file, format, out.Described ? description : nullptr, out);
    }

    Convert(file, out.FormatRead ? format : CorpusBaseFormat(), expected, out);
    watchdog_.Disarm();

    // Nothing but the source and the destinations, and the source as it was.
    for (const std::string& name : FolderFiles(folder_.Path())) {
        bool known = name == "source.wav";
        for (const ConversionTarget& target : targets_)
            known = known || name == target.Name;
        if (!known)
            out.Faults.push_back("unexpected file " + name + " in the folder");
    }
    if (ReadWholeFile(source) != file.Content)
        out.Faults.push_back("the source changed");
    return out;
}

void CorpusRunner::CheckPanels(const CorpusFile& file, const Bytes& format, const char* description,
                               CorpusOutcome& out)
{
    (void)file;
    HWND list = GetDlgItem(window_, IDC_FILE_LIST);
    ClearBatchRows(window_);
    HGLOBAL entry = CreateSourceEntry(format.data(), DWORD(format.size()));
    if (entry == nullptr) {
        out.Faults.push_back("no entry for a format that was read");
        return;
    }
    const Bytes& destination = targets_[2].Format;
    SetDestinationHandle(entry, CreateFormatBlock(destination.data(), DWORD(destination.size())));
    // A row whose format cannot be described still stays in the list.
    InsertSourceRow(window_, folder_.File("source.wav").c_str(), "0", entry);
    SelectAllRows(list);
    ShowFormatPanels(window_);

    const WAVEFORMATEX f = FieldsOf(format);
    auto expect = [&](int id, const std::string& wanted, const char* field) {
        std::string shown = ControlText(window_, id);
        if (shown != wanted)
            out.Faults.push_back(std::string(field) + " shows \"" + shown + "\", not \"" + wanted + "\"");
    };
    std::string tag = ControlText(window_, IDC_SRC_FORMATTAG);
    if (description != nullptr && tag != description)
        out.Faults.push_back("Audio Format shows \"" + tag + "\", not the description \"" + description + "\"");
    if (tag.empty())
        out.Faults.push_back("Audio Format is empty");
    expect(IDC_SRC_CHANNELS, ChannelsWords(f.nChannels), "Channels");
    expect(IDC_SRC_BLOCKALIGN, BytesWords(f.nBlockAlign), "Block Align");
    expect(IDC_SRC_RESOLUTION, BitsWords(f.wBitsPerSample), "Resolution");
    expect(IDC_SRC_EXTRA, format.size() > 16 ? BytesWords(f.cbSize) : "-----", "Extra Information");
    if (!RateLooksRight(ControlText(window_, IDC_SRC_SAMPLERATE), f.nSamplesPerSec))
        out.Faults.push_back("Sample Rate shows \"" + ControlText(window_, IDC_SRC_SAMPLERATE) + "\"");
    if (!DataRateLooksRight(ControlText(window_, IDC_SRC_DATARATE), f.nAvgBytesPerSec))
        out.Faults.push_back("Data Rate shows \"" + ControlText(window_, IDC_SRC_DATARATE) + "\"");
    expect(IDC_DST_CHANNELS, "1 (Mono)", "Destination Channels");
    expect(IDC_DST_RESOLUTION, "16 Bits/Sample", "Destination Resolution");

    // With a second row of the base format selected too, a field shows its
    // value where both agree and "-----" where they differ.
    const Bytes base = CorpusBaseFormat();
    HGLOBAL second = CreateSourceEntry(base.data(), DWORD(base.size()));
    InsertSourceRow(window_, "C:\\second.wav", "0", second);
    SelectAllRows(list);
    ShowFormatPanels(window_);
    const WAVEFORMATEX b = FieldsOf(base);
    expect(IDC_SRC_CHANNELS, f.nChannels == b.nChannels ? ChannelsWords(f.nChannels) : "-----", "Channels of two");
    expect(IDC_SRC_BLOCKALIGN, f.nBlockAlign == b.nBlockAlign ? BytesWords(f.nBlockAlign) : "-----",
           "Block Align of two");
    expect(IDC_SRC_EXTRA, "-----", "Extra Information of two");
    ClearBatchRows(window_);
    Pump();
}

void CorpusRunner::Convert(const CorpusFile& file, const Bytes& format, const ExpectedReading& expected,
                           CorpusOutcome& out)
{
    const std::string source = folder_.File("source.wav");
    for (const ConversionTarget& target : targets_) {
        if (target.Format.empty()) {
            out.Faults.push_back(std::string("no destination format for ") + target.Name);
            continue;
        }
        const std::string destination = folder_.File(target.Name);
        watchdog_.Arm(file.Name + ": ConvertFile to " + target.Name);
        GuardedBytes sourceFormat(format.data(), format.size());
        GuardedBytes destinationFormat(target.Format.data(), target.Format.size());
        ConvertOptions options;
        options.BlockSize = BlockSizeInBytes(target.BufferSize);
        ConvertResult result = ConvertFile(source.c_str(), sourceFormat.Data(), DWORD(format.size()),
                                           destination.c_str(), destinationFormat.Data(),
                                           DWORD(target.Format.size()), nullptr, options);
        Pump();
        out.Results.push_back(result);
        const std::string label = std::string(target.Name) + ": ";

        if (result == ConvertResult::Converted) {
            Bytes audio;
            std::string why;
            if (!FinishedLayout(ReadWholeFile(destination), target.Format, audio, why))
                out.Faults.push_back(label + "converted, but " + why);
            if (!expected.DataFound)
                out.Faults.push_back(label + "converted a file without a data chunk");
            // Between equal PCM formats the audio is copied: whole samples
            // of what the file holds of its declared data. (A codec's format
            // into itself is decoded and encoded again.)
            const bool pcm = format.size() >= 2 && format[0] == WAVE_FORMAT_PCM && format[1] == 0;
            if (expected.DataFound && pcm && format == target.Format) {
                size_t available = file.Content.size() > expected.DataOffset
                                       ? file.Content.size() - expected.DataOffset
                                       : 0;
                size_t present = std::min<size_t>(available, expected.DataSize) & ~size_t(1);
                if (audio.size() != present ||
                    memcmp(audio.data(), file.Content.data() + expected.DataOffset, audio.size()) != 0)
                    out.Faults.push_back(label + "copied " + Number(audio.size()) + " audio bytes of " +
                                         Number(present));
            }
        } else if (result == ConvertResult::Failed) {
            if (!expected.DataFound && FileExists(destination))
                out.Faults.push_back(label + "a destination was created for a source without data");
            if (FileExists(destination) && !HasPlaceholders(destination))
                out.Faults.push_back(label + "failed, leaving a destination without placeholder sizes");
        } else {
            out.Faults.push_back(label + "result " + Number(WORD(result)) + " without an abort request");
        }
    }
}
