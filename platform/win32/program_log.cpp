#include "platform/win32/program_log.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <utility>

namespace talvex::platform::win32 {

ProgramLog::ProgramLog(std::filesystem::path file, std::uintmax_t limit)
    : file_(std::move(file)), limit_(limit) {}

std::filesystem::path ProgramLog::previous_file() const {
  std::filesystem::path previous = file_;
  previous.replace_extension(".previous.log");
  return previous;
}

void ProgramLog::write_line(std::string_view line) {
  if (file_.empty())
    return;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);
  const std::string text = stamp + std::string(line) + "\r\n";

  const std::lock_guard lock(mutex_);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(file_.c_str(), GetFileExInfoStandard, &data)) {
    const std::uintmax_t size =
        (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size + text.size() > limit_)
      MoveFileExW(file_.c_str(), previous_file().c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  // Opened for each line and closed again: the file can be read, moved or deleted at any time.
  HANDLE out = CreateFileW(file_.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);
}

std::filesystem::path user_log_file() {
  wchar_t folder[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                       SHGFP_TYPE_CURRENT, folder) != S_OK)
    return {};
  std::filesystem::path dir = std::filesystem::path(folder) / L"Talvex";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir / L"talvex.log";
}

LoggedStream::LoggedStream(std::ostream& stream, ProgramLog& log)
    : stream_(stream), target_(stream.rdbuf(this)), log_(log) {}

LoggedStream::~LoggedStream() {
  stream_.rdbuf(target_);
  if (!line_.empty())
    log_.write_line(line_);
}

int LoggedStream::overflow(int c) {
  if (c == traits_type::eof())
    return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize LoggedStream::xsputn(const char* text, std::streamsize count) {
  const std::lock_guard lock(mutex_);
  const std::streamsize passed = target_ != nullptr ? target_->sputn(text, count) : count;
  for (std::streamsize i = 0; i < count; ++i) {
    if (text[i] == '\n') {
      log_.write_line(line_);
      line_.clear();
    } else if (text[i] != '\r') {
      line_ += text[i];
    }
  }
  // Nowhere to go (no console) is no failure of the log.
  (void)passed;
  return count;
}

int LoggedStream::sync() {
  return target_ != nullptr ? target_->pubsync() : 0;
}

}  // namespace talvex::platform::win32
