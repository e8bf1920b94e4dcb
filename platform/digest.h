// The cryptographic digests of checksum lists (MD5, SHA-1, SHA-256,
// SHA-512), computed by the platform's own library: Windows CNG (bcrypt) in
// the Windows build, OpenSSL's libcrypto elsewhere. Nothing here is written
// by hand; CRC-32 has kernels of its own in core/.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

enum class DigestAlgorithm { Md5, Sha1, Sha256, Sha512 };

// The digest's length in bytes.
constexpr std::size_t DigestLength(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::Md5: return 16;
    case DigestAlgorithm::Sha1: return 20;
    case DigestAlgorithm::Sha256: return 32;
    case DigestAlgorithm::Sha512: return 64;
  }
  return 0;
}

// One digest being computed: bytes go in with Update, the digest comes out
// of Finish. A Digest the library could not make (Ok false) takes bytes and
// finishes with an empty text.
class Digest {
 public:
  explicit Digest(DigestAlgorithm algorithm);
  ~Digest();
  Digest(const Digest&) = delete;
  Digest& operator=(const Digest&) = delete;

  bool Ok() const { return state_ != nullptr; }
  void Update(const void* data, std::size_t size);
  // The digest's bytes, most significant first. The Digest takes no more
  // bytes afterwards.
  std::string Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
