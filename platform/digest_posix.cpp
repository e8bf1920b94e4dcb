// The digests through OpenSSL's EVP interface.
#include "platform/digest.h"

#include <openssl/evp.h>

namespace platform {

namespace {

const EVP_MD* EvpOf(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::Md5: return EVP_md5();
    case DigestAlgorithm::Sha1: return EVP_sha1();
    case DigestAlgorithm::Sha256: return EVP_sha256();
    case DigestAlgorithm::Sha512: return EVP_sha512();
  }
  return nullptr;
}

}  // namespace

struct Digest::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Digest::Digest(DigestAlgorithm algorithm) {
  auto state = std::make_unique<State>();
  state->context = EVP_MD_CTX_new();
  if (state->context && EVP_DigestInit_ex(state->context, EvpOf(algorithm), nullptr) == 1) state_ = std::move(state);
}

Digest::~Digest() = default;

void Digest::Update(const void* data, std::size_t size) {
  if (state_ && size > 0) EVP_DigestUpdate(state_->context, data, size);
}

std::string Digest::Finish() {
  if (!state_) return std::string();
  unsigned char bytes[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  const bool done = EVP_DigestFinal_ex(state_->context, bytes, &length) == 1;
  state_.reset();
  return done ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
}

}  // namespace platform
