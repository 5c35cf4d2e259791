// One open codec stream of a conversion with its two buffers and its
// prepared header, for the length of one file.
#pragma once
#include <windows.h>
#include "engine/codec/acm_header.h"
#include "win/failure.h"
#include "win/handles.h"

class CodecStream {
public:
    CodecStream() = default;
    CodecStream(const CodecStream&) = delete;
    CodecStream& operator=(const CodecStream&) = delete;

    // Takes the stream over and prepares it for inputBytes of input at once,
    // with room for all the output the codec says they may make. False when
    // the codec cannot say, or the memory cannot be had.
    bool Open(AcmStream stream, DWORD inputBytes);

    explicit operator bool() const { return static_cast<bool>(stream_); }
    BYTE* Input() const { return BytesOf(input_); }
    DWORD InputBytes() const { return inputBytes_; }
    const BYTE* Output() const { return BytesOf(output_); }
    DWORD OutputBytes() const { return outputBytes_; }

    // Converts the first count bytes of Input, as many whole blocks of them
    // as there are (ACM_STREAMCONVERTF_BLOCKALIGN); consumed and made are
    // the bytes taken from Input and given in Output. False when the codec
    // fails.
    bool Convert(DWORD count, DWORD* consumed, DWORD* made);

    // The input bytes that make outputBytes of output (one block of an
    // encoder's format: the PCM it takes for it); 0 when the codec cannot
    // say.
    DWORD InputBytesFor(DWORD outputBytes) const;

    // What failed, once Open or Convert did: the codec's MMRESULT, or the memory.
    const Failure& Why() const { return failure_; }

private:
    static BYTE* BytesOf(const GlobalMemory& memory)
    {
        return static_cast<BYTE*>(static_cast<void*>(memory.Get()));
    }

    // Released in reverse order: the header is unprepared before the stream
    // closes, and the buffers it refers to go last.
    GlobalMemory output_;
    GlobalMemory input_;
    AcmStream stream_;
    PreparedStreamHeader header_;
    DWORD inputBytes_ = 0;
    DWORD outputBytes_ = 0;
    Failure failure_;
};
