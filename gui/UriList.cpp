#include "gui/UriList.h"

#include <unistd.h>

#include <cctype>

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLocalHost(std::string_view host) {
  if (host.empty() || EqualsIgnoringCase(host, "localhost")) return true;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return false;
  return EqualsIgnoringCase(host, name);
}

std::string_view Trimmed(std::string_view line) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  return line;
}

}  // namespace

std::string UriList::LocalPath(std::string_view uri) {
  constexpr std::string_view kScheme = "file:";
  if (uri.size() < kScheme.size() || !EqualsIgnoringCase(uri.substr(0, kScheme.size()), kScheme))
    return {};
  std::string_view rest = uri.substr(kScheme.size());
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos || !IsLocalHost(rest.substr(0, slash))) return {};
    rest.remove_prefix(slash);
  }
  if (rest.empty() || rest.front() != '/') return {};

  std::string path;
  path.reserve(rest.size());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const int high = rest[i] == '%' && i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
    if (low < 0) {
      path += rest[i];
      continue;
    }
    const char byte = static_cast<char>(high * 16 + low);
    if (byte == '\0') return {};
    path += byte;
    i += 2;
  }
  return path;
}

std::vector<std::string> UriList::Parse(std::string_view payload) {
  payload = payload.substr(0, payload.find('\0'));
  std::vector<std::string> items;
  while (!payload.empty()) {
    const std::size_t end = payload.find('\n');
    const std::string_view line = Trimmed(payload.substr(0, end));
    payload.remove_prefix(end == std::string_view::npos ? payload.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    items.push_back(LocalPath(line));
  }
  return items;
}
