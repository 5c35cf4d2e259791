// Select Destination Format on the real main window: which formats the
// chooser offers for the selected rows, and what lands in the rows'
// destination format blocks afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "app/settings.h"
#include "res/resource.h"
#include "sources/format_choice.h"
#include "sources/source_entry.h"
#include "support/codec_catalogue.h"
#include "sources/format_panels.h"
#include "support/dialog_driver.h"
#include "support/test_files.h"
#include "ui/main_window.h"
#include "ui/user_prompts.h"

namespace {

struct ShownMessage {
    HWND owner;
    std::string text;
    std::string title;
    UINT style;
};
std::vector<ShownMessage> messages;

int RecordMessage(HWND owner, const char* text, const char* title, UINT style)
{
    messages.push_back({ owner, text, title, style });
    return IDOK;
}

std::vector<HWND> refreshes;
void RecordRefresh(HWND window) { refreshes.push_back(window); }

// What the platform's chooser was called with, and what a fake one answers.
struct ChooserCall {
    DWORD cbStruct;
    DWORD fdwStyle;
    HWND hwndOwner;
    DWORD cbwfx;
    std::string title;
    bool hasName;
    DWORD cchName;
    DWORD fdwEnum;
    bool hasEnumFormat;
    ACMFORMATCHOOSEHOOKPROCA hook;
};
std::vector<ChooserCall> chooserCalls;
MMRESULT fakeAnswer = MMSYSERR_NOERROR;
Bytes fakeChoice;  // written into the chooser's buffer

void RecordChooserCall(const ACMFORMATCHOOSEA* chooser)
{
    chooserCalls.push_back({ chooser->cbStruct, chooser->fdwStyle, chooser->hwndOwner, chooser->cbwfx,
                             chooser->pszTitle != nullptr ? chooser->pszTitle : "", chooser->pszName != nullptr,
                             chooser->cchName, chooser->fdwEnum, chooser->pwfxEnum != nullptr, chooser->pfnHook });
}

MMRESULT FakeChooser(ACMFORMATCHOOSEA* chooser)
{
    RecordChooserCall(chooser);
    if (fakeAnswer == MMSYSERR_NOERROR)
        memcpy(chooser->pwfx, fakeChoice.data(), std::min<size_t>(fakeChoice.size(), chooser->cbwfx));
    return fakeAnswer;
}

// The platform's own chooser, watched on its way through.
MMRESULT WatchedPlatformChooser(ACMFORMATCHOOSEA* chooser)
{
    RecordChooserCall(chooser);
    return acmFormatChooseA(chooser);
}

const Bytes CdSource = PcmFormat(2, 44100, 16);
const Bytes PhoneSource = PcmFormat(1, 8000, 8);

Bytes Destination(HGLOBAL entry)
{
    HGLOBAL block = GetDestinationHandle(entry);
    if (block == nullptr)
        return {};
    Bytes bytes(MaxKeptFormatBytes);
    DWORD length = 0;
    if (!CopyFormatBlock(block, bytes.data(), DWORD(bytes.size()), &length))
        return {};
    bytes.resize(length);
    return bytes;
}

// The raw length field of a row's destination block.
DWORD StoredLength(HGLOBAL entry)
{
    HGLOBAL block = GetDestinationHandle(entry);
    DWORD length = 0;
    if (void* bytes = GlobalLock(block)) {
        memcpy(&length, bytes, sizeof(length));
        GlobalUnlock(block);
    }
    return length;
}

const CodecFormat* FindFormat(const std::vector<CodecFormat>& formats, const std::string& name)
{
    for (const CodecFormat& format : formats)
        if (format.name == name)
            return &format;
    return nullptr;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// One main window for the whole program: under Wine without a window
// manager, taking a shown window down costs seconds.
class FormatChoice : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        MainDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                        MainDialogProc, 0);
    }

    void SetUp() override
    {
        ASSERT_NE(MainDialog, nullptr);
        list = GetDlgItem(MainDialog, IDC_FILE_LIST);
        ResetSettingsToDefaults(Settings);
        messages.clear();
        refreshes.clear();
        chooserCalls.clear();
        fakeAnswer = MMSYSERR_NOERROR;
        fakeChoice.clear();
        SetMessageBoxFunction(RecordMessage);
        AfterDestinationFormatChosen = RecordRefresh;
    }

    void TearDown() override
    {
        FinishDialogDriving();
        for (int row = 0; row < RowCount(); ++row)
            FreeSourceEntry(GetRowEntry(list, row));
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        SetMessageBoxFunction(nullptr);
        SetFormatChooseFunction(nullptr);
        AfterDestinationFormatChosen = ShowFormatPanels;
    }

    int RowCount() const { return int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

    // A row for a source file of this format; the name decides its place.
    HGLOBAL AddRow(const char* path, const Bytes& format, bool selected)
    {
        HGLOBAL entry = CreateSourceEntry(format.data(), DWORD(format.size()));
        EXPECT_NE(entry, nullptr);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = RowCount();
        item.pszText = const_cast<char*>(path);
        item.lParam = reinterpret_cast<LPARAM>(entry);
        int row = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_NE(row, -1);
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        state.state = selected ? LVIS_SELECTED : 0;
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&state));
        return entry;
    }

    static void GiveDestination(HGLOBAL entry, const Bytes& format)
    {
        ASSERT_TRUE(SetDestinationHandle(entry, CreateFormatBlock(format.data(), DWORD(format.size()))));
    }

    static void ChooseThroughFake(const Bytes& choice)
    {
        Settings.CompatibilityCheck = 0;
        SetFormatChooseFunction(FakeChooser);
        fakeChoice = choice;
        ChooseDestinationFormat(MainDialog);
    }

    HWND list = nullptr;
};

TEST_F(FormatChoice, CancellingChangesNoRowAndRefreshesNothing)
{
    const Bytes earlier = PcmFormat(1, 22050, 16);
    HGLOBAL chosenBefore = AddRow("C:\\a.wav", CdSource, true);
    HGLOBAL without = AddRow("C:\\b.wav", PhoneSource, true);
    GiveDestination(chosenBefore, earlier);
    HGLOBAL earlierBlock = GetDestinationHandle(chosenBefore);

    // The program's own chooser, cancelled by the user.
    SetFormatChooseFunction(WatchedPlatformChooser);
    DriveDialogWhenShown("Destination Format", [](HWND dialog) { EXPECT_TRUE(PressButton(dialog, IDCANCEL)); });
    ChooseDestinationFormat(MainDialog);
    EXPECT_TRUE(FinishDialogDriving());

    // A platform chooser that is cancelled.
    SetFormatChooseFunction(FakeChooser);
    fakeAnswer = ACMERR_CANCELED;
    ChooseDestinationFormat(MainDialog);
    EXPECT_EQ(chooserCalls.size(), 2u);

    EXPECT_EQ(GetDestinationHandle(chosenBefore), earlierBlock);
    EXPECT_EQ(Destination(chosenBefore), earlier);
    EXPECT_EQ(GetDestinationHandle(without), nullptr);
    EXPECT_TRUE(refreshes.empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(FormatChoice, WithTheCheckOnlyFormatsEverySelectedSourceReachesAreOffered)
{
    HGLOBAL cd = AddRow("C:\\cd.wav", CdSource, true);
    HGLOBAL phone = AddRow("C:\\phone.wav", PhoneSource, true);
    // Not selected: a source no codec can convert must not narrow the offer.
    Bytes unknown = PcmFormat(1, 8000, 16);
    reinterpret_cast<WAVEFORMATEX*>(unknown.data())->wFormatTag = 0x7777;
    HGLOBAL other = AddRow("C:\\other.wav", unknown, false);

    const std::string pcmName = TagName(WAVE_FORMAT_PCM);
    const std::string imaName = TagName(WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(pcmName.empty());
    ASSERT_FALSE(imaName.empty());
    std::vector<std::string> expectedTags;
    for (const CodecTag& tag : InstalledTags())
        expectedTags.push_back(tag.name);
    const std::vector<std::string> pcmReachable = ReachableFormatNames(WAVE_FORMAT_PCM, { CdSource, PhoneSource });
    const std::vector<CodecFormat> pcmFormats = FormatsOfTag(WAVE_FORMAT_PCM);
    // The check must leave something out, or this case could not fail.
    ASSERT_LT(ReachableFormatNames(WAVE_FORMAT_IMA_ADPCM, { CdSource, PhoneSource }).size(),
              FormatsOfTag(WAVE_FORMAT_IMA_ADPCM).size());

    std::string title;
    std::vector<std::string> tags, pcmListed, imaListed;
    std::string picked;
    SetFormatChooseFunction(WatchedPlatformChooser);
    DriveDialogWhenShown("Destination Format", [&](HWND dialog) {
        title = WindowText(dialog);
        tags = ComboEntries(dialog, IDC_CHOOSER_TAG);
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, imaName));
        imaListed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, pcmName));
        pcmListed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        ASSERT_FALSE(pcmListed.empty());
        picked = pcmListed.back();
        ASSERT_TRUE(ChooseListEntry(dialog, IDC_CHOOSER_FORMATS, int(pcmListed.size()) - 1));
        ASSERT_TRUE(PressButton(dialog, IDOK));
    });
    ChooseDestinationFormat(MainDialog);
    ASSERT_TRUE(FinishDialogDriving());

    // The platform's chooser was asked first, with the hook.
    ASSERT_EQ(chooserCalls.size(), 1u);
    EXPECT_EQ(chooserCalls[0].cbStruct, sizeof(ACMFORMATCHOOSEA));
    EXPECT_EQ(chooserCalls[0].fdwStyle, DWORD(ACMFORMATCHOOSE_STYLEF_ENABLEHOOK));
    EXPECT_EQ(chooserCalls[0].hook, FormatChooseHook);
    EXPECT_EQ(chooserCalls[0].hwndOwner, MainDialog);

    EXPECT_EQ(title, "Destination Format");
    EXPECT_EQ(Sorted(tags), Sorted(expectedTags));
    EXPECT_EQ(Sorted(pcmListed), Sorted(pcmReachable));
    EXPECT_EQ(Sorted(imaListed), Sorted(ReachableFormatNames(WAVE_FORMAT_IMA_ADPCM, { CdSource, PhoneSource })));
    for (const std::string& name : pcmListed) {
        const CodecFormat* format = FindFormat(pcmFormats, name);
        ASSERT_NE(format, nullptr) << name;
        EXPECT_TRUE(CanConvert(CdSource, format->bytes)) << name;
        EXPECT_TRUE(CanConvert(PhoneSource, format->bytes)) << name;
    }

    const CodecFormat* chosen = FindFormat(pcmFormats, picked);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(StoredLength(cd), 16u);
    EXPECT_EQ(Destination(cd), chosen->bytes);
    EXPECT_EQ(Destination(phone), chosen->bytes);
    EXPECT_NE(GetDestinationHandle(cd), GetDestinationHandle(phone));
    EXPECT_EQ(GetDestinationHandle(other), nullptr);
    EXPECT_EQ(refreshes, std::vector<HWND>{ MainDialog });
    EXPECT_TRUE(messages.empty());
}

TEST_F(FormatChoice, WithTheCheckOnOneSourceIsOfferedTheCompressedFormatsItReaches)
{
    HGLOBAL cd = AddRow("C:\\cd.wav", CdSource, true);
    const std::string imaName = TagName(WAVE_FORMAT_IMA_ADPCM);
    const std::vector<std::string> reachable = ReachableFormatNames(WAVE_FORMAT_IMA_ADPCM, { CdSource });
    ASSERT_FALSE(reachable.empty());
    const std::vector<CodecFormat> imaFormats = FormatsOfTag(WAVE_FORMAT_IMA_ADPCM);
    ASSERT_GT(imaFormats.size(), reachable.size());

    std::vector<std::string> listed;
    SetFormatChooseFunction(WatchedPlatformChooser);
    DriveDialogWhenShown("Destination Format", [&](HWND dialog) {
        ASSERT_TRUE(ChooseComboEntry(dialog, IDC_CHOOSER_TAG, imaName));
        listed = ListEntries(dialog, IDC_CHOOSER_FORMATS);
        ASSERT_FALSE(listed.empty());
        ASSERT_TRUE(ChooseListEntry(dialog, IDC_CHOOSER_FORMATS, 0));
        ASSERT_TRUE(PressButton(dialog, IDOK));
    });
    ChooseDestinationFormat(MainDialog);
    ASSERT_TRUE(FinishDialogDriving());

    EXPECT_EQ(Sorted(listed), Sorted(reachable));
    const CodecFormat* chosen = listed.empty() ? nullptr : FindFormat(imaFormats, listed[0]);
    ASSERT_NE(chosen, nullptr);
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(chosen->bytes.data());
    EXPECT_EQ(StoredLength(cd), 18u + format.cbSize);
    EXPECT_EQ(Destination(cd), chosen->bytes);
}

TEST_F(FormatChoice, WithTheCheckOffThePlatformChooserIsAskedWithoutHook)
{
    std::vector<CodecFormat> adpcm = FormatsOfTag(WAVE_FORMAT_ADPCM);
    ASSERT_FALSE(adpcm.empty());
    const Bytes& choice = adpcm.front().bytes;
    ASSERT_EQ(reinterpret_cast<const WAVEFORMATEX*>(choice.data())->cbSize, 32);
    // No installed codec here encodes it, so the check would have hidden it.
    HGLOBAL first = AddRow("C:\\first.wav", CdSource, true);
    HGLOBAL second = AddRow("C:\\second.wav", PhoneSource, true);
    HGLOBAL kept = AddRow("C:\\third.wav", PhoneSource, false);
    const Bytes keptFormat = PcmFormat(2, 48000, 16);
    GiveDestination(kept, keptFormat);
    HGLOBAL keptBlock = GetDestinationHandle(kept);

    ChooseThroughFake(choice);

    ASSERT_EQ(chooserCalls.size(), 1u);
    const ChooserCall& call = chooserCalls[0];
    EXPECT_EQ(call.cbStruct, sizeof(ACMFORMATCHOOSEA));
    EXPECT_EQ(call.fdwStyle, 0u);
    EXPECT_EQ(call.hook, nullptr);
    EXPECT_EQ(call.hwndOwner, MainDialog);
    EXPECT_EQ(call.cbwfx, 1024u);
    EXPECT_EQ(call.title, "Destination Format");
    EXPECT_TRUE(call.hasName);
    EXPECT_EQ(call.cchName, 50u);
    EXPECT_EQ(call.fdwEnum, 0u);
    EXPECT_FALSE(call.hasEnumFormat);

    EXPECT_EQ(StoredLength(first), 50u);
    EXPECT_EQ(Destination(first), choice);
    EXPECT_EQ(Destination(second), choice);
    EXPECT_EQ(GetDestinationHandle(kept), keptBlock);
    EXPECT_EQ(Destination(kept), keptFormat);
    EXPECT_EQ(refreshes, std::vector<HWND>{ MainDialog });
}

TEST_F(FormatChoice, PcmIsStoredInSixteenBytesAndChoosingAgainReplacesTheBlock)
{
    HGLOBAL first = AddRow("C:\\first.wav", CdSource, true);
    HGLOBAL second = AddRow("C:\\second.wav", PhoneSource, true);
    HGLOBAL unselected = AddRow("C:\\third.wav", PhoneSource, false);

    // A PCM record whose cbSize field holds rubbish: it must not count.
    Bytes pcm = PcmFormat(1, 11025, 8);
    AppendU16(pcm, 0x1234);
    ChooseThroughFake(pcm);
    EXPECT_EQ(StoredLength(first), 16u);
    EXPECT_EQ(Destination(first), Bytes(pcm.begin(), pcm.begin() + 16));
    HGLOBAL firstBlocks[] = { GetDestinationHandle(first), GetDestinationHandle(second) };

    Bytes ima = FormatsOfTag(WAVE_FORMAT_IMA_ADPCM).at(0).bytes;
    ChooseThroughFake(ima);
    HGLOBAL secondBlocks[] = { GetDestinationHandle(first), GetDestinationHandle(second) };
    EXPECT_EQ(Destination(first), ima);
    EXPECT_EQ(Destination(second), ima);
    EXPECT_EQ(StoredLength(second), 18u + reinterpret_cast<const WAVEFORMATEX*>(ima.data())->cbSize);
    EXPECT_EQ(GetDestinationHandle(unselected), nullptr);
    // The first blocks were released: a handle that is still live was handed
    // out again for one of the new blocks.
    for (HGLOBAL old : firstBlocks) {
        bool reused = old == secondBlocks[0] || old == secondBlocks[1];
        EXPECT_TRUE(reused || !IsLiveBlock(old));
    }
    EXPECT_EQ(refreshes.size(), 2u);
}

TEST_F(FormatChoice, FailuresAreReportedAndChangeNoRow)
{
    HGLOBAL row = AddRow("C:\\a.wav", CdSource, true);
    const Bytes earlier = PcmFormat(1, 22050, 16);
    GiveDestination(row, earlier);

    fakeAnswer = MMSYSERR_ERROR;
    ChooseThroughFake({});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Unable to open a dialog for choosing the destination audio format.");
    EXPECT_EQ(messages[0].title, "Error");
    EXPECT_EQ(messages[0].style, UINT(MB_OK | MB_ICONHAND));
    EXPECT_EQ(messages[0].owner, MainDialog);

    // A compressed format whose extra bytes do not fit the reserved buffer.
    fakeAnswer = MMSYSERR_NOERROR;
    Bytes huge = FormatsOfTag(WAVE_FORMAT_IMA_ADPCM).at(0).bytes;
    reinterpret_cast<WAVEFORMATEX*>(huge.data())->cbSize = 1024 - 18 + 1;
    ChooseThroughFake(huge);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "Selected destination format needs more memory than is reserved.");
    EXPECT_EQ(messages[1].title, "Error");

    EXPECT_EQ(Destination(row), earlier);
    EXPECT_TRUE(refreshes.empty());
}

TEST_F(FormatChoice, TheHookAnswersFormatVerificationOnlyThroughTheDialogResult)
{
    HGLOBAL entry = AddRow("C:\\cd.wav", CdSource, true);
    std::vector<CodecFormat> pcm = FormatsOfTag(WAVE_FORMAT_PCM);
    ASSERT_FALSE(pcm.empty());
    Bytes reachable = pcm.front().bytes;
    reachable.resize(sizeof(WAVEFORMATEX), 0);
    Bytes unknown = reachable;
    reinterpret_cast<WAVEFORMATEX*>(unknown.data())->wFormatTag = 0x7777;

    // The main window is a dialog too, so it can carry the answer.
    HWND dialog = MainDialog;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 7);
    EXPECT_EQ(FormatChooseHook(dialog, MM_ACM_FORMATCHOOSE, FORMATCHOOSE_FORMATTAG_VERIFY, WAVE_FORMAT_PCM), 0u);
    EXPECT_EQ(FormatChooseHook(dialog, WM_INITDIALOG, 0, 0), 0u);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), 7);

    EXPECT_EQ(FormatChooseHook(dialog, MM_ACM_FORMATCHOOSE, FORMATCHOOSE_FORMAT_VERIFY,
                               reinterpret_cast<LPARAM>(reachable.data())),
              UINT(TRUE));
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), TRUE);
    EXPECT_EQ(FormatChooseHook(dialog, MM_ACM_FORMATCHOOSE, FORMATCHOOSE_FORMAT_VERIFY,
                               reinterpret_cast<LPARAM>(unknown.data())),
              UINT(TRUE));
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), FALSE);

    // With nothing selected every format is offered.
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    FreeSourceEntry(entry);
    EXPECT_EQ(FormatChooseHook(dialog, MM_ACM_FORMATCHOOSE, FORMATCHOOSE_FORMAT_VERIFY,
                               reinterpret_cast<LPARAM>(unknown.data())),
              UINT(TRUE));
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), TRUE);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
}

}  // namespace
