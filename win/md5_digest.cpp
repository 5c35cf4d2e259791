// MD5 through the system's provider.
#include "win/md5_digest.h"

Md5Digest::~Md5Digest()
{
    if (hash_ != 0)
        CryptDestroyHash(hash_);
    if (provider_ != 0)
        CryptReleaseContext(provider_, 0);
}

bool Md5Digest::Start()
{
    // No key store: only hashing is asked of the provider.
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        provider_ = 0;
        return false;
    }
    if (!CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) {
        hash_ = 0;
        return false;
    }
    return true;
}

void Md5Digest::Add(const void* bytes, DWORD count)
{
    if (hash_ != 0 && count > 0 && !CryptHashData(hash_, static_cast<const BYTE*>(bytes), count, 0))
        failed_ = true;
}

bool Md5Digest::Finish(uint8_t (&digest)[Md5Bytes])
{
    DWORD length = Md5Bytes;
    return hash_ != 0 && !failed_ && CryptGetHashParam(hash_, HP_HASHVAL, digest, &length, 0) && length == Md5Bytes;
}
