#pragma once

#include <optional>
#include <string>

#include "data/connection.h"

namespace talvex::data {

// The connection values given on the command line. Each one left unset comes from the MySQL
// option files, and where they say nothing from the defaults of ConnectionParams.
struct ConnectionOverrides {
  std::optional<std::string> host;
  std::optional<unsigned> port;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> database;
};

// What the option files say about the connection; unset where they say nothing.
using OptionFileValues = ConnectionOverrides;

// Reads the groups [client], [client-server], [client-mariadb] and [talvex] of the MySQL option
// files with the client library's own reader, as every MySQL client program does: the files the
// library looks for (on Linux /etc/my.cnf, /etc/mysql/my.cnf, $MYSQL_HOME/my.cnf, ~/.my.cnf), or
// only `file` when one is named. Within the files a later line wins. Throws DataError when the
// named file cannot be read; a file of the usual list that is missing is skipped.
OptionFileValues read_option_files(const std::optional<std::string>& file);

// The connection the service opens: each value from the command line, else from the option files,
// else the default.
ConnectionParams connection_params(const ConnectionOverrides& command_line,
                                   const OptionFileValues& option_files);

}  // namespace talvex::data
