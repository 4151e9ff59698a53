#include "data/option_files.h"

#include <mysql.h>

#include <memory>
#include <stdexcept>

#include "data/errors.h"
#include "platform/closed_port.h"
#include "platform/file_names.h"

namespace talvex::data {
namespace {

// The group of the option files that only this program reads, besides the client groups that the
// library always reads.
constexpr const char* kGroup = "talvex";

void check_readable(const std::string& file) {
  const std::string reason = platform::unreadable_reason(file);
  if (!reason.empty())
    throw DataError("Cannot read the option file '" + file + "': " + reason);
}

// A value the files gave; a key without a value takes back what an earlier line said.
std::optional<std::string> text(const char* value) {
  if (value == nullptr || *value == '\0')
    return std::nullopt;
  return std::string(value);
}

}  // namespace

OptionFileValues read_option_files(const std::optional<std::string>& file) {
  if (file)
    check_readable(*file);

  // The client library reads option files only inside mysql_real_connect, and has no call that
  // gives back the host, port, user, password or database it read (mysql_get_optionv refuses
  // them). The connection needs them before it connects, to resolve the host and to name it in its
  // messages (connection.cpp). So a handle of its own reads the files in a connect that cannot
  // reach anything: to a loopback port this process holds closed. The host and port are passed as
  // arguments, which the library puts before what the files say, so no line of a file can send
  // this connect elsewhere; it is refused at once, and the handle's options (a structure mysql.h
  // publishes) then hold what the files said.
  std::unique_ptr<platform::ClosedPort> closed;
  try {
    closed = std::make_unique<platform::ClosedPort>();
  } catch (const std::runtime_error& e) {
    throw DataError(std::string("Cannot read the option files: ") + e.what());
  }
  MYSQL* reader = mysql_init(nullptr);
  if (reader == nullptr)
    throw DataError("Out of memory");
  // Without a named file the library reads its usual list; naming the group is what makes it
  // read at all.
  // The library opens the file with its narrow API.
  const std::string library_file = file ? platform::library_path(*file) : std::string();
  if (file)
    mysql_optionsv(reader, MYSQL_READ_DEFAULT_FILE, library_file.c_str());
  mysql_optionsv(reader, MYSQL_READ_DEFAULT_GROUP, kGroup);
  // Keeping the options after the failed connect is what leaves the files' values to read.
  mysql_real_connect(reader, "127.0.0.1", nullptr, nullptr, nullptr, closed->port(), nullptr,
                     CLIENT_REMEMBER_OPTIONS);

  const st_mysql_options& read = reader->options;
  OptionFileValues values;
  values.host = text(read.host);
  if (read.port != 0)
    values.port = read.port;
  values.user = text(read.user);
  values.password = text(read.password);
  values.database = text(read.db);
  mysql_close(reader);
  return values;
}

ConnectionParams connection_params(const ConnectionOverrides& command_line,
                                   const OptionFileValues& option_files) {
  ConnectionParams params;
  const auto choose = [](auto& value, const auto& given, const auto& from_files) {
    if (given)
      value = *given;
    else if (from_files)
      value = *from_files;
  };
  choose(params.host, command_line.host, option_files.host);
  choose(params.port, command_line.port, option_files.port);
  choose(params.user, command_line.user, option_files.user);
  choose(params.password, command_line.password, option_files.password);
  choose(params.database, command_line.database, option_files.database);
  return params;
}

}  // namespace talvex::data
