// The settings' level as the converter takes it.
#include "sources/leveling.h"

Leveling LevelingOf(const AppSettings& settings)
{
    Leveling level;
    level.Mode = settings.LevelMode == LevelPeak     ? LevelingMode::Peak
                 : settings.LevelMode == LevelSpeech ? LevelingMode::Speech
                                                     : LevelingMode::AsRecorded;
    level.TargetTenths = settings.LevelTarget;
    return level;
}
