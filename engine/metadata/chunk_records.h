// The fixed records of the chunks whose sample positions move with the rate
// ("cue ", "smpl", "bext", the "ltxt" of a label list): their sizes, whether
// a chunk's counts add up to its size, and each record rewritten in place
// for the destination. The records are little-endian, as the file holds them.
#pragma once
#include <cstdint>
#include "engine/metadata/frame_scale.h"

// "cue ": a count of points, then one record per point.
constexpr uint32_t CueCountBytes = 4;
constexpr uint32_t CuePointBytes = 24;
// "smpl": a header that counts its loops, one record per loop, then the
// sampler's own data.
constexpr uint32_t SamplerHeaderBytes = 36;
constexpr uint32_t SamplerLoopBytes = 24;
constexpr uint32_t SamplerLoopCountAt = 28;
// "bext": the fixed fields up to the coding history, which fills the rest.
constexpr uint32_t BroadcastFixedBytes = 602;
// "ltxt" in a label list: its fields up to the text.
constexpr uint32_t LabelTextBytes = 20;

// Reads the 32-bit little-endian field at offset of a record.
uint32_t RecordField(const uint8_t* record, uint32_t offset);

// A "cue " chunk adds up when its size is its count's records exactly: a
// wrong count would leave points unscaled or read past the chunk.
bool CuePointsAddUp(uint32_t chunkSize, uint32_t count);
// A "smpl" chunk adds up when its loops fit inside it.
bool SamplerLoopsFit(uint32_t chunkSize, uint32_t loops);

// The point's position in the playing order and in the data, scaled and
// clamped to the destination's last frame.
void ScaleCuePoint(uint8_t (&point)[CuePointBytes], const RateChange& change);
// The sample period for the destination's rate.
void ScaleSamplerHeader(uint8_t (&header)[SamplerHeaderBytes], const RateChange& change);
// The loop's start and end, scaled and clamped to the last frame.
void ScaleSamplerLoop(uint8_t (&loop)[SamplerLoopBytes], const RateChange& change);
// The time reference, samples since midnight, counted at the new rate.
void ScaleBroadcastFields(uint8_t (&fields)[BroadcastFixedBytes], const RateChange& change);
// The length of the stretch that a label text names.
void ScaleLabelText(uint8_t (&fields)[LabelTextBytes], const RateChange& change);
