// The records of the chunks that carry sample positions.
#include "engine/metadata/chunk_records.h"
#include <cstring>

namespace {

// Where the fields that count samples stand in each record.
constexpr uint32_t CuePositionAt = 4, CueSampleOffsetAt = 20;
constexpr uint32_t SamplePeriodAt = 8;
constexpr uint32_t LoopStartAt = 8, LoopEndAt = 12;
constexpr uint32_t TimeReferenceAt = 338;
constexpr uint32_t LabelLengthAt = 4;

void SetField(uint8_t* record, uint32_t offset, uint32_t value) { memcpy(record + offset, &value, sizeof(value)); }

void ScalePositionField(uint8_t* record, uint32_t offset, const RateChange& change)
{
    SetField(record, offset, ScalePosition(RecordField(record, offset), change));
}

}  // namespace

uint32_t RecordField(const uint8_t* record, uint32_t offset)
{
    uint32_t value;
    memcpy(&value, record + offset, sizeof(value));
    return value;
}

bool CuePointsAddUp(uint32_t chunkSize, uint32_t count)
{
    return chunkSize >= CueCountBytes && uint64_t(count) * CuePointBytes == chunkSize - CueCountBytes;
}

bool SamplerLoopsFit(uint32_t chunkSize, uint32_t loops)
{
    return SamplerHeaderBytes + uint64_t(loops) * SamplerLoopBytes <= chunkSize;
}

void ScaleCuePoint(uint8_t (&point)[CuePointBytes], const RateChange& change)
{
    ScalePositionField(point, CuePositionAt, change);
    ScalePositionField(point, CueSampleOffsetAt, change);
}

void ScaleSamplerHeader(uint8_t (&header)[SamplerHeaderBytes], const RateChange& change)
{
    SetField(header, SamplePeriodAt, SamplePeriodNanoseconds(change.To));
}

void ScaleSamplerLoop(uint8_t (&loop)[SamplerLoopBytes], const RateChange& change)
{
    ScalePositionField(loop, LoopStartAt, change);
    ScalePositionField(loop, LoopEndAt, change);
}

void ScaleBroadcastFields(uint8_t (&fields)[BroadcastFixedBytes], const RateChange& change)
{
    uint64_t reference;
    memcpy(&reference, fields + TimeReferenceAt, sizeof(reference));
    reference = ScaleFrames(reference, change.From, change.To);
    memcpy(fields + TimeReferenceAt, &reference, sizeof(reference));
}

void ScaleLabelText(uint8_t (&fields)[LabelTextBytes], const RateChange& change)
{
    SetField(fields, LabelLengthAt, ScaleLength(RecordField(fields, LabelLengthAt), change));
}
