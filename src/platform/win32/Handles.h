#pragma once
#include <string>
#include <utility>

#include "platform/win32/WinApi.h"

namespace tyx::win32 {

// Owns one kernel handle (file, mutex): closed when the owner goes, so an
// early return or an exception cannot leak it. Moved, never copied.
class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  KernelHandle(KernelHandle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    std::swap(h_, other.h_);
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (h_) CloseHandle(h_);
  }
  explicit operator bool() const { return h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Hands the handle to a caller that closes it itself.
  HANDLE release() { return std::exchange(h_, nullptr); }

 private:
  HANDLE h_;
};

// Owns a FindFirstFileW search.
class FindHandle {
 public:
  FindHandle(const std::wstring& pattern, WIN32_FIND_DATAW& data) : h_(FindFirstFileW(pattern.c_str(), &data)) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// A window's device context (the screen's for a null window), released when
// the owner goes.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace tyx::win32
