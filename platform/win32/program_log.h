#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace talvex::platform::win32 {

// The program's log file, for the operator to read after the fact: each line with the local date
// and time in front. At `limit` bytes the file becomes the previous log (talvex.previous.log beside
// it, replacing an older one) and a new file begins. A line that cannot be written is dropped: the
// log never stops the service.
class ProgramLog {
 public:
  explicit ProgramLog(std::filesystem::path file, std::uintmax_t limit = 1 << 20);

  void write_line(std::string_view line);  // UTF-8, without its line break
  const std::filesystem::path& file() const { return file_; }
  std::filesystem::path previous_file() const;

 private:
  std::filesystem::path file_;
  std::uintmax_t limit_;
  std::mutex mutex_;
};

// %LOCALAPPDATA%\Talvex\talvex.log of the user who runs the program, its folder made; empty when
// Windows names no such folder.
std::filesystem::path user_log_file();

// While it lives, everything written to `stream` still goes where it went, and each whole line of
// it also goes to `log`.
class LoggedStream final : private std::streambuf {
 public:
  LoggedStream(std::ostream& stream, ProgramLog& log);
  ~LoggedStream() override;
  LoggedStream(const LoggedStream&) = delete;
  LoggedStream& operator=(const LoggedStream&) = delete;

 private:
  int overflow(int c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

  std::ostream& stream_;
  std::streambuf* target_;
  ProgramLog& log_;
  std::string line_;
  std::mutex mutex_;
};

}  // namespace talvex::platform::win32
