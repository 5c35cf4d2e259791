// How long the window's thread is busy when a row is played in its
// destination format, for the slowest conversions a row can have: GSM 6.10
// from 8 kHz mono and IMA ADPCM from 44.1 kHz stereo, each from a source of
// ten minutes of which the first 30 s are converted. Prints the median and
// the longest of several runs (a) of the conversion alone and (b) of the
// whole command through the real main window: conversion, opening the
// device and starting playback. The command must stay well under 0.5 s.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "settings/settings.h"
#include "engine/convert/convert_file.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/destination_preview.h"
#include "ui/preview.h"
#include "ui/resources.h"

namespace {

constexpr int Runs = 7;

double Milliseconds(LARGE_INTEGER start)
{
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

void Print(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    printf("%-52s median %7.1f ms, longest %7.1f ms\n", what, times[times.size() / 2], times.back());
}

void Measure(const char* name, uint16_t channels, uint32_t rate, WORD tag, const ScratchFolder& folder)
{
    const std::string source = folder.File(std::string(name) + ".wav"), sample = folder.File("sample.wav");
    const Bytes format = PcmFormat(channels, rate, 16);
    WriteWholeFile(source, PcmWave(channels, rate, SineSamples(rate, channels, rate * 600, 440)));
    const Bytes destination = SuggestFormat(format, tag);
    if (destination.empty()) {
        printf("%s: the codecs offer no format\n", name);
        return;
    }

    std::vector<double> alone;
    ConvertOptions options;
    options.MaxSourceBytes = SampleSourceBytes(format.data(), DWORD(format.size()), SampleSeconds);
    for (int run = 0; run < Runs; ++run) {
        DeleteFileA(sample.c_str());
        LARGE_INTEGER start = Now();
        ConvertResult result = ConvertFile(source.c_str(), format.data(), DWORD(format.size()), sample.c_str(),
                                           destination.data(), DWORD(destination.size()), nullptr, options);
        alone.push_back(Milliseconds(start));
        if (result != ConvertResult::Converted) {
            printf("%s: the conversion failed\n", name);
            return;
        }
    }
    Print((std::string(name) + ", (a) conversion of 30 s").c_str(), alone);

    HWND window = CreateBatchWindow();
    AddBatchRow(window, source, destination);
    SelectRows(window, {0});
    std::vector<double> command;
    for (int run = 0; run < Runs; ++run) {
        LARGE_INTEGER start = Now();
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAY_DESTINATION, 0), 0);
        command.push_back(Milliseconds(start));
        if (Preview.PreviewState != PlayState::Playing) {
            printf("%s: the sample does not play\n", name);
            break;
        }
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_STOP_PLAY, 0), 0);
        PumpWaitingMessages();
    }
    Print((std::string(name) + ", (b) the whole command").c_str(), command);
    DestroyWindow(window);
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadProgramResources(GetModuleHandleA(nullptr));
    ResetSettingsToDefaults(Settings);
    ScratchFolder folder;
    Measure("GSM 6.10 from 8 kHz mono", 1, 8000, WAVE_FORMAT_GSM610, folder);
    Measure("IMA ADPCM from 44.1 kHz stereo", 2, 44100, WAVE_FORMAT_IMA_ADPCM, folder);
    return 0;
}
