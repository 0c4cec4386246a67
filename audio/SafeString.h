// Text on the C heap, or none; freed with the object. Single owner.
#pragma once

class SafeString {
 public:
  SafeString() = default;
  SafeString(const SafeString&) = delete;
  SafeString& operator=(const SafeString&) = delete;
  virtual ~SafeString() { Release(); }

  // Copies text; false (and no text) when the copy cannot be had.
  bool Set(const char* text);
  const char* Get() const { return text; }
  void Release();

 private:
  char* text = nullptr;
};
