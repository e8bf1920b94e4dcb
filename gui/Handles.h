// Owners for Win32 handles: each frees its handle when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace gui {

template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  void Reset(H handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Free(handle_);
    handle_ = handle;
  }
  H Release() { return std::exchange(handle_, Traits::Invalid()); }

 private:
  H handle_ = Traits::Invalid();
};

struct GdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Free(HGDIOBJ h) { DeleteObject(h); }
};
struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Free(HFONT h) { DeleteObject(h); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Free(HANDLE h) { CloseHandle(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Free(HICON h) { DestroyIcon(h); }
};

using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

// A font of the given face and pixel height (negative: character height).
inline UniqueFont MakeFont(const char* face, int height, bool bold = false) {
  return UniqueFont(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace gui
