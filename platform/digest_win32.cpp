// The digests through Windows CNG (bcrypt.dll, on every Windows since Vista).
#include "platform/digest.h"

#include <windows.h>

#include <bcrypt.h>

#include <climits>

namespace platform {

namespace {

const wchar_t* CngNameOf(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::Md5: return BCRYPT_MD5_ALGORITHM;
    case DigestAlgorithm::Sha1: return BCRYPT_SHA1_ALGORITHM;
    case DigestAlgorithm::Sha256: return BCRYPT_SHA256_ALGORITHM;
    case DigestAlgorithm::Sha512: return BCRYPT_SHA512_ALGORITHM;
  }
  return nullptr;
}

// An algorithm provider is costly to open and may be shared by threads: each
// one is opened once, on first use, and kept for the life of the process.
class Provider {
 public:
  explicit Provider(DigestAlgorithm algorithm) {
    if (BCryptOpenAlgorithmProvider(&handle_, CngNameOf(algorithm), nullptr, 0) != 0) handle_ = nullptr;
  }
  ~Provider() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE Handle() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE ProviderOf(DigestAlgorithm algorithm) {
  static const Provider md5(DigestAlgorithm::Md5), sha1(DigestAlgorithm::Sha1), sha256(DigestAlgorithm::Sha256),
      sha512(DigestAlgorithm::Sha512);
  switch (algorithm) {
    case DigestAlgorithm::Md5: return md5.Handle();
    case DigestAlgorithm::Sha1: return sha1.Handle();
    case DigestAlgorithm::Sha256: return sha256.Handle();
    case DigestAlgorithm::Sha512: return sha512.Handle();
  }
  return nullptr;
}

}  // namespace

struct Digest::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  std::size_t length = 0;
  ~State() {
    if (hash) BCryptDestroyHash(hash);
  }
};

Digest::Digest(DigestAlgorithm algorithm) {
  BCRYPT_ALG_HANDLE provider = ProviderOf(algorithm);
  if (!provider) return;
  auto state = std::make_unique<State>();
  state->length = DigestLength(algorithm);
  // With no object buffer given, CNG keeps the hash object itself.
  if (BCryptCreateHash(provider, &state->hash, nullptr, 0, nullptr, 0, 0) != 0) return;
  state_ = std::move(state);
}

Digest::~Digest() = default;

void Digest::Update(const void* data, std::size_t size) {
  if (!state_) return;
  auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));  // CNG only reads them
  while (size > 0) {
    const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
    BCryptHashData(state_->hash, bytes, piece, 0);
    bytes += piece;
    size -= piece;
  }
}

std::string Digest::Finish() {
  if (!state_) return std::string();
  std::string digest(state_->length, '\0');
  const bool done = BCryptFinishHash(state_->hash, reinterpret_cast<unsigned char*>(digest.data()),
                                     static_cast<ULONG>(digest.size()), 0) == 0;
  state_.reset();
  return done ? digest : std::string();
}

}  // namespace platform
