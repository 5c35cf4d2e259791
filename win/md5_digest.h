// The MD5 digest of a stream of bytes, through the system's cryptographic
// provider: the checksum that archive tools keep of a file's audio.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr DWORD Md5Bytes = 16;

class Md5Digest {
public:
    Md5Digest() = default;
    ~Md5Digest();
    Md5Digest(const Md5Digest&) = delete;
    Md5Digest& operator=(const Md5Digest&) = delete;

    // Begins a digest; false when the provider cannot give one.
    bool Start();
    bool Started() const { return hash_ != 0; }
    // Adds bytes; a failure shows at Finish.
    void Add(const void* bytes, DWORD count);
    // The digest of everything added; false when there is none.
    bool Finish(uint8_t (&digest)[Md5Bytes]);

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    bool failed_ = false;
};
