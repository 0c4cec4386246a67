// Text on the C heap, or none. Single owner, no lock; freed with the object.
// AudioFile keeps its name in one.
#pragma once

class SafeString {
 public:
  SafeString() = default;
  SafeString(const SafeString&) = delete;
  SafeString& operator=(const SafeString&) = delete;
  virtual ~SafeString() { Release(); }

  // Replaces the text with a copy of text (null leaves none). False, and no
  // text, when the copy cannot be allocated.
  bool Set(const char* text);
  const char* Get() const { return text; }
  // Frees the text; Get() is null afterwards.
  void Release();

 private:
  char* text = nullptr;
};
