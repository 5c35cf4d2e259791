// The level that a batch, and a row played in its destination format, gives
// the files by the settings.
#pragma once
#include "engine/chain/level_meter.h"
#include "settings/settings.h"

Leveling LevelingOf(const AppSettings& settings);
