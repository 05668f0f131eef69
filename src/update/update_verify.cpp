#include "update/update_verify.h"

#include <wincrypt.h>

#include <algorithm>

#include "base/scoped_handles.h"

namespace {

// One SHA-256 over data added in pieces, then checked against a signature with the imported key.
class SignatureCheck {
public:
    explicit SignatureCheck(const std::vector<uint8_t>& publicKey) {
        if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
            provider_ = 0;
            return;
        }
        if (!CryptImportKey(provider_, publicKey.data(), static_cast<DWORD>(publicKey.size()), 0, 0, &key_)) {
            key_ = 0;
            return;
        }
        if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
    }
    ~SignatureCheck() {
        if (hash_) CryptDestroyHash(hash_);
        if (key_) CryptDestroyKey(key_);
        if (provider_) CryptReleaseContext(provider_, 0);
    }
    SignatureCheck(const SignatureCheck&) = delete;
    SignatureCheck& operator=(const SignatureCheck&) = delete;

    bool Add(const void* data, size_t size) {
        return hash_ && CryptHashData(hash_, static_cast<const BYTE*>(data), static_cast<DWORD>(size), 0);
    }
    // True when signature, big-endian as openssl writes it, verifies; *digest is the hash either way.
    bool Finish(const std::vector<uint8_t>& signature, Sha256* digest) {
        DWORD size = static_cast<DWORD>(digest->size());
        if (!hash_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest->data(), &size, 0) || size != digest->size())
            return false;
        // CryptoAPI takes the signature little-endian.
        std::vector<uint8_t> reversed(signature.rbegin(), signature.rend());
        return CryptVerifySignatureW(hash_, reversed.data(), static_cast<DWORD>(reversed.size()), key_, nullptr, 0);
    }

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTKEY key_ = 0;
    HCRYPTHASH hash_ = 0;
};

bool SignatureFitsKey(const std::vector<uint8_t>& signature, const std::vector<uint8_t>& publicKey) {
    const std::optional<size_t> modulus = PublicKeyModulusBytes(publicKey);
    return modulus && signature.size() == *modulus;
}

// Hashes the whole file from the start; false when it cannot be read or is not size bytes long.
bool HashFile(HANDLE file, uint64_t size, SignatureCheck* check) {
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(file, &length) || static_cast<uint64_t>(length.QuadPart) != size) return false;
    std::vector<uint8_t> buffer(64 * 1024);
    uint64_t total = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return total == size;
        total += got;
        if (!check->Add(buffer.data(), got)) return false;
    }
}

} // namespace

bool IsSignedBy(std::string_view text, const std::vector<uint8_t>& signature, const std::vector<uint8_t>& publicKey) {
    if (!SignatureFitsKey(signature, publicKey)) return false;
    SignatureCheck check(publicKey);
    Sha256 digest{};
    return check.Add(text.data(), text.size()) && check.Finish(signature, &digest);
}

DownloadVerdict CheckDownload(const DownloadedFile& file, const std::vector<uint8_t>& signature,
                              const std::vector<uint8_t>& publicKey, const std::optional<Sha256>& expected,
                              HANDLE* verified) {
    *verified = nullptr;
    if (!IsDownloadComplete(file.facts)) return DownloadVerdict::Incomplete;
    if (!IsGuiPe32(file.head.data(), file.head.size(), file.facts.received)) return DownloadVerdict::NotAProgram;
    if (!expected || !SignatureFitsKey(signature, publicKey)) return DownloadVerdict::NotVerified;
    ScopedHandle handle(CreateFileW(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) return DownloadVerdict::Incomplete;
    SignatureCheck check(publicKey);
    if (!HashFile(handle.get(), file.facts.received, &check)) return DownloadVerdict::Incomplete;
    Sha256 digest{};
    if (!check.Finish(signature, &digest) || digest != *expected) return DownloadVerdict::NotVerified;
    *verified = handle.Release();
    return DownloadVerdict::Accepted;
}

const char* DownloadVerdictMessage(DownloadVerdict verdict) {
    switch (verdict) {
    case DownloadVerdict::Incomplete: return kMsgDownloadIncomplete;
    case DownloadVerdict::NotAProgram: return kMsgNotAProgram;
    case DownloadVerdict::NotVerified: return kMsgNotVerified;
    case DownloadVerdict::Accepted: break;
    }
    return "";
}
