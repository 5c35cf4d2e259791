// The program's own format chooser, driven as a user drives it: what it lists,
// what it asks its hook, and what it hands back in the caller's record.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/format_chooser_dialog.h"
#include "support/codec_catalogue.h"
#include "support/dialog_driver.h"
#include "support/test_files.h"

namespace {

constexpr char Title[] = "Pick a Format";

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> NamesOf(const std::vector<CodecFormat>& formats)
{
    std::vector<std::string> names;
    for (const CodecFormat& format : formats)
        names.push_back(format.name);
    return names;
}

struct HookCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    WORD formatTag;  // of the candidate format, read while it is offered
};
std::vector<HookCall> hookCalls;
DWORD refusedTag = 0;

// Refuses every single format and one whole tag; leaves the rest alone.
UINT CALLBACK RefusingHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG || message == MM_ACM_FORMATCHOOSE) {
        bool format = message == MM_ACM_FORMATCHOOSE && wParam == FORMATCHOOSE_FORMAT_VERIFY;
        WORD tag = format ? reinterpret_cast<const WAVEFORMATEX*>(lParam)->wFormatTag : 0;
        hookCalls.push_back({ message, wParam, lParam, tag });
    }
    if (message != MM_ACM_FORMATCHOOSE)
        return FALSE;
    if (wParam == FORMATCHOOSE_FORMAT_VERIFY) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FALSE);
        return TRUE;
    }
    if (wParam == FORMATCHOOSE_FORMATTAG_VERIFY && DWORD(lParam) == refusedTag) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FALSE);
        return TRUE;
    }
    return FALSE;
}

struct Chooser {
    Bytes buffer = Bytes(1024, 0xCC);
    char name[50] = "unchanged";
    ACMFORMATCHOOSEA record = {};

    Chooser()
    {
        record.cbStruct = sizeof(record);
        record.pwfx = reinterpret_cast<WAVEFORMATEX*>(buffer.data());
        record.cbwfx = DWORD(buffer.size());
        record.pszTitle = Title;
        record.pszName = name;
        record.cchName = sizeof(name);
    }
};

class FormatChooserDialog : public testing::Test {
protected:
    void SetUp() override { hookCalls.clear(); }
    void TearDown() override { FinishDialogDriving(); }
};

TEST_F(FormatChooserDialog, ListsEveryTagAndHandsBackTheChosenFormatWithItsNames)
{
    const std::string adpcmName = TagName(WAVE_FORMAT_ADPCM);
    const std::vector<CodecFormat> adpcm = FormatsOfTag(WAVE_FORMAT_ADPCM);
    ASSERT_FALSE(adpcm.empty());
    std::vector<std::string> expectedTags;
    for (const CodecTag& tag : InstalledTags())
        expectedTags.push_back(tag.name);

    Chooser chooser;
    std::string title, picked;
    std::vector<std::string> tags, listed;
    DriveDialogWhenShown(Title, [&](HWND dialog) {
        title = WindowText(dialog);
        tags = ComboEntries(dialog, IDC_CHOOSER_TAG);
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, adpcmName));
        listed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        ASSERT_GE(listed.size(), 2u);
        // Nothing chosen yet: OK does nothing.
        EXPECT_FALSE(PressButton(dialog, IDOK));
        picked = listed[1];
        ASSERT_TRUE(ChooseListEntry(dialog, IDC_CHOOSER_FORMATS, 1));
        ASSERT_TRUE(PressButton(dialog, IDOK));
    });
    EXPECT_EQ(RunFormatChooser(&chooser.record), MMRESULT(MMSYSERR_NOERROR));
    ASSERT_TRUE(FinishDialogDriving());

    EXPECT_EQ(title, Title);
    EXPECT_EQ(Sorted(tags), Sorted(expectedTags));
    // Without a hook nothing is filtered, not even formats no codec encodes.
    EXPECT_EQ(Sorted(listed), Sorted(NamesOf(adpcm)));
    const auto found = std::find_if(adpcm.begin(), adpcm.end(),
                                    [&](const CodecFormat& format) { return format.name == picked; });
    ASSERT_NE(found, adpcm.end());
    EXPECT_EQ(Bytes(chooser.buffer.begin(), chooser.buffer.begin() + found->bytes.size()), found->bytes);
    EXPECT_EQ(chooser.buffer[found->bytes.size()], 0xCC);
    EXPECT_EQ(std::string(chooser.record.szFormatTag), adpcmName);
    EXPECT_EQ(std::string(chooser.record.szFormat), picked);
    EXPECT_EQ(std::string(chooser.name), "");
}

TEST_F(FormatChooserDialog, RefusesAFormatLargerThanTheCallersBufferAndCancels)
{
    const std::string adpcmName = TagName(WAVE_FORMAT_ADPCM);
    const std::string pcmName = TagName(WAVE_FORMAT_PCM);

    Chooser small;
    small.record.cbwfx = 49;  // one byte short of a Microsoft ADPCM format
    DriveDialogWhenShown(Title, [&](HWND dialog) {
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, adpcmName));
        ASSERT_TRUE(ChooseListEntry(dialog, IDC_CHOOSER_FORMATS, 0));
        ASSERT_TRUE(PressButton(dialog, IDOK));
    });
    EXPECT_EQ(RunFormatChooser(&small.record), MMRESULT(ACMERR_NOTPOSSIBLE));
    EXPECT_TRUE(FinishDialogDriving());
    EXPECT_EQ(small.buffer, Bytes(1024, 0xCC));

    // A PCM format fits in 16 bytes.
    Chooser pcm;
    pcm.record.cbwfx = 16;
    DriveDialogWhenShown(Title, [&](HWND dialog) {
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, pcmName));
        ASSERT_TRUE(ChooseListEntry(dialog, IDC_CHOOSER_FORMATS, 0));
        ASSERT_TRUE(PressButton(dialog, IDOK));
    });
    EXPECT_EQ(RunFormatChooser(&pcm.record), MMRESULT(MMSYSERR_NOERROR));
    EXPECT_TRUE(FinishDialogDriving());
    EXPECT_EQ(reinterpret_cast<const WAVEFORMATEX*>(pcm.buffer.data())->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(pcm.buffer[16], 0xCC);
    EXPECT_EQ(pcm.buffer[17], 0xCC);

    Chooser cancelled;
    DriveDialogWhenShown(Title, [&](HWND dialog) { ASSERT_TRUE(PressButton(dialog, IDCANCEL)); });
    EXPECT_EQ(RunFormatChooser(&cancelled.record), MMRESULT(ACMERR_CANCELED));
    EXPECT_TRUE(FinishDialogDriving());
    EXPECT_EQ(cancelled.buffer, Bytes(1024, 0xCC));
}

TEST_F(FormatChooserDialog, AsksTheHookAboutEveryCandidateAndKeepsTagsWhoseFormatsItRefuses)
{
    refusedTag = WAVE_FORMAT_GSM610;
    const std::string refusedName = TagName(refusedTag);
    const std::string imaName = TagName(WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(refusedName.empty());
    std::vector<std::string> expectedTags;
    for (const CodecTag& tag : InstalledTags())
        if (tag.tag != refusedTag)
            expectedTags.push_back(tag.name);

    Chooser chooser;
    chooser.record.fdwStyle = ACMFORMATCHOOSE_STYLEF_ENABLEHOOK;
    chooser.record.pfnHook = RefusingHook;
    chooser.record.lCustData = 0x5A5A;
    std::vector<std::string> tags, firstListed, imaListed;
    DriveDialogWhenShown(Title, [&](HWND dialog) {
        tags = ComboEntries(dialog, IDC_CHOOSER_TAG);
        firstListed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, imaName));
        imaListed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        EXPECT_FALSE(PressButton(dialog, IDOK));
        ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    });
    EXPECT_EQ(RunFormatChooser(&chooser.record), MMRESULT(ACMERR_CANCELED));
    ASSERT_TRUE(FinishDialogDriving());

    EXPECT_EQ(Sorted(tags), Sorted(expectedTags));
    EXPECT_TRUE(firstListed.empty());
    EXPECT_TRUE(imaListed.empty());

    ASSERT_FALSE(hookCalls.empty());
    EXPECT_EQ(hookCalls[0].message, UINT(WM_INITDIALOG));
    EXPECT_EQ(hookCalls[0].lParam, 0x5A5A);
    // Every format of the two tags shown went past the hook.
    size_t tagsAsked = 0;
    std::vector<WORD> formatTagsAsked;
    for (const HookCall& call : hookCalls) {
        if (call.message != MM_ACM_FORMATCHOOSE)
            continue;
        if (call.wParam == FORMATCHOOSE_FORMATTAG_VERIFY)
            ++tagsAsked;
        if (call.wParam == FORMATCHOOSE_FORMAT_VERIFY)
            formatTagsAsked.push_back(call.formatTag);
    }
    EXPECT_EQ(tagsAsked, InstalledTags().size());
    const DWORD firstTag = InstalledTags().at(0).tag == refusedTag ? InstalledTags().at(1).tag
                                                                    : InstalledTags().at(0).tag;
    size_t expectedAsks = FormatsOfTag(firstTag).size() + FormatsOfTag(WAVE_FORMAT_IMA_ADPCM).size();
    EXPECT_EQ(formatTagsAsked.size(), expectedAsks);
    EXPECT_EQ(size_t(std::count(formatTagsAsked.begin(), formatTagsAsked.end(), WAVE_FORMAT_IMA_ADPCM)),
              FormatsOfTag(WAVE_FORMAT_IMA_ADPCM).size());
}

TEST_F(FormatChooserDialog, RefusesRecordsItCannotServeWithoutShowingAnything)
{
    Chooser tooSmall;
    tooSmall.record.cbStruct = sizeof(ACMFORMATCHOOSEA) - 1;
    EXPECT_EQ(RunFormatChooser(&tooSmall.record), MMRESULT(MMSYSERR_INVALPARAM));

    Chooser noHook;
    noHook.record.fdwStyle = ACMFORMATCHOOSE_STYLEF_ENABLEHOOK;
    EXPECT_EQ(RunFormatChooser(&noHook.record), MMRESULT(MMSYSERR_INVALPARAM));

    Chooser noBuffer;
    noBuffer.record.pwfx = nullptr;
    EXPECT_EQ(RunFormatChooser(&noBuffer.record), MMRESULT(MMSYSERR_INVALPARAM));

    Chooser initial;
    initial.record.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
    EXPECT_EQ(RunFormatChooser(&initial.record), MMRESULT(MMSYSERR_NOTSUPPORTED));

    Chooser restricted;
    restricted.record.fdwEnum = ACM_FORMATENUMF_NCHANNELS;
    EXPECT_EQ(RunFormatChooser(&restricted.record), MMRESULT(MMSYSERR_NOTSUPPORTED));
}

}  // namespace
