// The settings store in the registry of the test's private Wine prefix.
#include <gtest/gtest.h>
#include <string>
#include "app/settings.h"
#include "app/settings_store.h"

namespace {

const char StorePath[] = "Software\\Tonvelka";

class SettingsStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, StorePath); }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, StorePath);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    }

    static void Store(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, StorePath, &key), ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    static void StoreDword(const char* name, DWORD value) { Store(name, REG_DWORD, &value, sizeof(value)); }
    static void StoreText(const char* name, const std::string& text, DWORD type = REG_SZ)
    {
        Store(name, type, text.c_str(), DWORD(text.size() + 1));
    }

    struct Stored {
        DWORD Type = 0;
        std::string Bytes;
        DWORD Dword() const { return Bytes.size() == 4 ? *reinterpret_cast<const DWORD*>(Bytes.data()) : 0xDEAD; }
    };
    static Stored Read(const char* name)
    {
        Stored stored;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, StorePath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return stored;
        char data[1024];
        DWORD size = sizeof(data);
        if (RegQueryValueExA(key, name, nullptr, &stored.Type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
            stored.Bytes.assign(data, size);
        RegCloseKey(key);
        return stored;
    }
    static std::string CurrentDirectory()
    {
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        return current;
    }
};

}  // namespace

TEST_F(SettingsStore, AnEmptyStoreGivesTheDefaults)
{
    Settings = {};
    Settings.SelectionTimer = 999;
    LoadSettings();
    EXPECT_EQ(std::string(Settings.DestinationPath), CurrentDirectory());
    EXPECT_EQ(Settings.BufferSize, 16);
    EXPECT_EQ(Settings.PriorityClass, DWORD(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(Settings.Priority, 0);
    EXPECT_EQ(Settings.SelectionTimer, 50u);
    EXPECT_EQ(Settings.CompatibilityCheck, 1u);
    EXPECT_EQ(Settings.LowQuality, 0u);
    ApplyPriorities();
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_ABOVE_NORMAL);
}

TEST_F(SettingsStore, SavingWritesAllSevenValuesWithTheirTypes)
{
    LoadSettings();
    lstrcpyA(Settings.DestinationPath, "C:\\out");
    Settings.LowQuality = 7;
    SaveSettings();
    Stored path = Read("DestinationPath");
    EXPECT_EQ(path.Type, DWORD(REG_SZ));
    EXPECT_EQ(path.Bytes, std::string("C:\\out", 7));
    struct Expected {
        const char* Name;
        DWORD Value;
    } dwords[] = {{"BufferSize", 16}, {"PriorityClass", 32}, {"Priority", 0},
                  {"SelectionTimer", 50}, {"CompatibilityCheck", 1}, {"LowQuality", 1}};
    for (const Expected& e : dwords) {
        Stored stored = Read(e.Name);
        EXPECT_EQ(stored.Type, DWORD(REG_DWORD)) << e.Name;
        EXPECT_EQ(stored.Dword(), e.Value) << e.Name;
    }
}

TEST_F(SettingsStore, StoredValuesAreNormalisedOrIgnoredOneByOne)
{
    StoreDword("CompatibilityCheck", 5);
    StoreDword("BufferSize", 65552);
    StoreText("SelectionTimer", "200");
    StoreDword("PriorityClass", 16384);
    StoreDword("LowQuality", 0);
    StoreText("DestinationPath", "D:\\music", REG_EXPAND_SZ);
    LoadSettings();
    EXPECT_EQ(Settings.CompatibilityCheck, 1u);
    EXPECT_EQ(Settings.BufferSize, 16);
    EXPECT_EQ(Settings.SelectionTimer, 50u);
    EXPECT_EQ(Settings.PriorityClass, 16384u);
    EXPECT_EQ(Settings.LowQuality, 0u);
    EXPECT_EQ(std::string(Settings.DestinationPath), CurrentDirectory());

    SaveSettings();
    EXPECT_EQ(Read("CompatibilityCheck").Dword(), 1u);
    EXPECT_EQ(Read("BufferSize").Dword(), 16u);
    EXPECT_EQ(Read("SelectionTimer").Type, DWORD(REG_DWORD));
    EXPECT_EQ(Read("SelectionTimer").Dword(), 50u);
    EXPECT_EQ(Read("DestinationPath").Type, DWORD(REG_SZ));
}

TEST_F(SettingsStore, DestinationPathsMustEndWithin255Bytes)
{
    std::string fits(254, 'a');
    StoreText("DestinationPath", fits);
    LoadSettings();
    EXPECT_EQ(std::string(Settings.DestinationPath), fits);

    StoreText("DestinationPath", std::string(255, 'b'));
    LoadSettings();
    EXPECT_EQ(std::string(Settings.DestinationPath), CurrentDirectory());

    // 255 bytes of text and no terminator at all.
    std::string unterminated(255, 'c');
    Store("DestinationPath", REG_SZ, unterminated.data(), DWORD(unterminated.size()));
    LoadSettings();
    EXPECT_EQ(std::string(Settings.DestinationPath), CurrentDirectory());
}

TEST_F(SettingsStore, TheWindowThreadRunsOneStepAboveTheWorker)
{
    struct Case {
        DWORD Stored;
        int Window;
    } cases[] = {{DWORD(-15), -2}, {DWORD(-2), -1}, {DWORD(-1), 0}, {0, 1}, {1, 2}, {2, 15}, {7, 15}};
    for (const Case& c : cases) {
        StoreDword("Priority", c.Stored);
        LoadSettings();
        EXPECT_EQ(Settings.Priority, int(c.Stored));
        ApplyPriorities();
        EXPECT_EQ(GetThreadPriority(GetCurrentThread()), c.Window) << "stored " << int(c.Stored);
    }
}
