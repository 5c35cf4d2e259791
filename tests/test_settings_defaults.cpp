// The in-memory settings record and its defaults.
#include <gtest/gtest.h>
#include "app/settings.h"

TEST(SettingsDefaults, MatchTheDocumentedValues)
{
    AppSettings settings;
    ResetSettingsToDefaults(settings);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STREQ(settings.DestinationPath, current);
    EXPECT_EQ(settings.BufferSize, 16);
    EXPECT_EQ(settings.PriorityClass, DWORD(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(settings.Priority, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(settings.SelectionTimer, 50u);
    EXPECT_EQ(settings.CompatibilityCheck, 1u);
    EXPECT_EQ(settings.LowQuality, 0u);
}

TEST(SettingsDefaults, BufferSizeZeroMeansTheDefaultBlock)
{
    EXPECT_EQ(BlockSizeInBytes(0), 16u * 1024);
    EXPECT_EQ(BlockSizeInBytes(16), 16u * 1024);
    EXPECT_EQ(BlockSizeInBytes(65535), 65535u * 1024);
}
