// How much memory the converter takes at the smallest usual block size and at
// the largest the settings allow: 70 MB of GSM 6.10 decoded to 16-bit PCM,
// ten times as much, with 16 KB blocks and then with 65,535 KB blocks.
// Prints the process's peak working set after each conversion (it only
// grows, so the second figure holds the larger run).
#include <windows.h>
#include <cstdio>
#include "settings/settings.h"
#include "engine/convert/convert_file.h"
#include "engine/batch/progress.h"
#include "engine/wave/wave_file.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/process_memory.h"
#include "support/test_files.h"
#include "ui/main_window.h"

namespace {

constexpr size_t SourceDataBytes = 70u * 1024 * 1024;

double Megabytes(SIZE_T bytes) { return double(bytes) / 1048576.0; }

// Ten seconds of a tone encoded once, its GSM blocks repeated up to the size.
bool WriteGsmSource(const ScratchFolder& folder, const Bytes& gsm, const std::string& path)
{
    const Bytes pcm = PcmFormat(1, 8000, 16);
    std::string tone = folder.File("tone.wav"), encoded = folder.File("encoded.wav");
    WriteWholeFile(tone, PcmWave(1, 8000, SineSamples(8000, 1, 80000, 440)));
    if (ConvertFile(tone.c_str(), pcm.data(), 16, encoded.c_str(), gsm.data(), DWORD(gsm.size())) != ConvertResult::Converted)
        return false;
    Bytes file = ReadWholeFile(encoded);
    size_t blockAlign = reinterpret_cast<const WAVEFORMATEX*>(gsm.data())->nBlockAlign;
    Bytes blocks(file.end() - 8000 / 320 * blockAlign * 9, file.end());  // nine seconds of whole blocks
    // Written piece by piece, so that making it leaves the peaks as they were.
    size_t count = SourceDataBytes / blocks.size();
    WriteWholeFile(path, RiffForm("WAVE", Join({Chunk("fmt ", gsm), ChunkWithSize("data", DWORD(count * blocks.size()), {})})));
    HANDLE out = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    for (size_t i = 0; i < count; ++i)
        WriteFile(out, blocks.data(), DWORD(blocks.size()), &written, nullptr);
    CloseHandle(out);
    return true;
}

}  // namespace

int main()
{
    ResetSettingsToDefaults(Settings);
    const Bytes pcm = PcmFormat(1, 8000, 16), gsm = SuggestFormat(pcm, WAVE_FORMAT_GSM610);
    ScratchFolder folder;
    std::string source = folder.File("source.wav"), output = folder.File("output.wav");
    if (gsm.empty() || !WriteGsmSource(folder, gsm, source)) {
        printf("no GSM 6.10 codec\n");
        return 1;
    }
    printf("%.0f MB of GSM 6.10 decoded to 16-bit mono 8 kHz PCM\n", Megabytes(SourceDataBytes));
    printf("before converting: peak working set %.1f MB\n", Megabytes(ProcessMemory().PeakWorkingSetSize));
    for (WORD kbytes : {WORD(16), WORD(65535)}) {
        ConvertOptions options;
        options.BlockSize = BlockSizeInBytes(kbytes);
        DWORD start = GetTickCount();
        ConvertResult result =
            ConvertFile(source.c_str(), gsm.data(), DWORD(gsm.size()), output.c_str(), pcm.data(), 16, nullptr, options);
        DWORD elapsed = GetTickCount() - start;
        PROCESS_MEMORY_COUNTERS memory = ProcessMemory();
        printf("%5u KB blocks: %s in %lu ms, %.0f MB written; peak working set %.1f MB\n", unsigned(kbytes),
               result == ConvertResult::Converted ? "converted" : "FAILED", static_cast<unsigned long>(elapsed),
               Megabytes(SIZE_T(FileSize(output))), Megabytes(memory.PeakWorkingSetSize));
        DeleteFileA(output.c_str());
    }
    return 0;
}
