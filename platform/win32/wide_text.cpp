#include "platform/win32/wide_text.h"

#include <windows.h>

#include <optional>

namespace talvex::platform::win32 {

std::wstring wide(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), length);
  return out;
}

std::string utf8(std::wstring_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

std::wstring from_ansi(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), length);
  return out;
}

bool is_utf8(std::string_view text) {
  return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) > 0;
}

namespace {

// `text` in the ANSI code page, or nothing when a character has no place in it.
std::optional<std::string> ansi(std::wstring_view text) {
  if (text.empty())
    return std::string();
  const int size = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                         0, nullptr, &lossy);
  if (length <= 0 || lossy)
    return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), length, nullptr,
                      nullptr);
  return out;
}

}  // namespace

std::string narrow_path(std::wstring_view path) {
  if (auto text = ansi(path))
    return *text;
  const std::wstring whole(path);
  std::wstring short_name(MAX_PATH, L'\0');
  const DWORD length =
      GetShortPathNameW(whole.c_str(), short_name.data(), static_cast<DWORD>(short_name.size()));
  if (length == 0 || length >= short_name.size())
    return {};
  short_name.resize(length);
  return ansi(short_name).value_or(std::string());
}

std::string system_error_text(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr)
    return "error " + std::to_string(code);
  std::wstring text(buffer, length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  return utf8(text);
}

}  // namespace talvex::platform::win32
