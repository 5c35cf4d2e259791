// The last stage of a conversion: the destination's audio, written behind
// the converter, and where a codec encodes it, that codec's stream fed with
// the PCM the sample chain delivers.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/codec/codec_stream.h"
#include "engine/wave/write_behind.h"
#include "win/md5_digest.h"

// PCM gathered for the encoder before it converts, besides the end of each
// source block: the encoder's memory does not grow with the block size.
constexpr DWORD EncoderInputBytes = 256 * 1024;

class DestinationStage {
public:
    DestinationStage() = default;
    DestinationStage(const DestinationStage&) = delete;
    DestinationStage& operator=(const DestinationStage&) = delete;

    // Writes into file, through encoder unless it is empty, whose input is
    // PCM of pcmFrameBytes a frame. largestPut is the most one Put hands
    // over without an encoder. The audio may not pass audioLimit bytes.
    // outputBlock is one block of the encoder's format: the last PCM,
    // shorter than the encoder takes for it, is filled up with silence.
    bool Open(HMMIO file, DWORD largestPut, uint64_t audioLimit, AcmStream encoder, WORD pcmFrameBytes,
              DWORD outputBlock = 0);

    // Audio to write, or PCM for the encoder. False when writing failed or
    // the audio would pass its limit.
    bool Put(const BYTE* bytes, DWORD count);
    // The end of a source block: the encoder converts the whole blocks of
    // its format gathered so far, so the output keeps pace with the source.
    bool EndBlock() { return Encode(); }
    // Returns once everything is in the file. A tail of PCM shorter than one
    // block of the encoder's format is filled up with silence and encoded;
    // EncodedFrames counts only the PCM that was given.
    bool Flush();

    // Every byte of audio written from here on is added to digest too.
    void AddAudioTo(Md5Digest* digest) { digest_ = digest; }

    uint64_t Written() const { return written_; }
    // The frames of PCM the encoder has taken: the destination's samples.
    uint64_t EncodedFrames() const { return frameBytes_ == 0 ? 0 : encoded_ / frameBytes_; }
    // What failed, once Open, Put, EndBlock or Flush did.
    const Failure& Why() const { return failure_; }

private:
    bool Write(const BYTE* bytes, DWORD count);
    bool Encode();
    bool EncodeTail();

    CodecStream codec_;
    WriteBehind output_;  // stops before the encoder's buffers go
    Md5Digest* digest_ = nullptr;
    DWORD gathered_ = 0;  // PCM bytes waiting in the encoder's input
    WORD frameBytes_ = 0;
    uint64_t limit_ = 0;
    uint64_t written_ = 0;
    uint64_t encoded_ = 0;
    DWORD tailBlock_ = 0;  // the PCM bytes one block of the encoder takes; 0: unknown
    Failure failure_;
};
