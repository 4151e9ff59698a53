#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/sql.h"

struct st_mysql;

namespace talvex::data {

struct ConnectionParams {
  std::string host = "localhost";
  unsigned port = 3306;
  std::string user = "root";
  std::string password;
  std::string database = "screen";
  std::chrono::seconds connect_timeout{15};
  // How long a statement may wait for the server to answer, and to take what is sent: a server
  // that stops answering fails the statement instead of holding the service.
  std::chrono::seconds read_timeout{30};
  std::chrono::seconds write_timeout{30};
  // Where the client library loads its authentication plugins from, in the form its narrow API
  // reads; empty leaves the library's own default.
  std::string plugin_dir;
};

// A whole result, every value already turned into its display text (display_text.h).
struct ResultTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

  // Position of a column by name, or -1.
  int column_index(std::string_view name) const;
};

// The one connection to the database, in autocommit mode with the utf8mb4 character set. It
// connects on demand: Connect does nothing when the connection is open, and query() and execute()
// connect first when it is closed. A statement that loses the connection drops it, so the next
// call opens a new one. Every failure throws DataError with the text the operator sees.
class Connection {
 public:
  explicit Connection(ConnectionParams params);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void connect();
  void disconnect();
  bool connected() const { return mysql_ != nullptr; }
  const ConnectionParams& params() const { return params_; }

  // Runs a statement and fetches every row of its result.
  ResultTable query(const Sql& statement);
  // Runs a statement; whatever rows it returns are read and dropped.
  void execute(const Sql& statement);

  // Called with the text of every statement sent to the server, for tests and benchmarks.
  void set_statement_observer(std::function<void(const std::string&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  void send(const Sql& statement);
  [[noreturn]] void fail_statement();
  [[noreturn]] void fail_connect(std::chrono::steady_clock::duration spent);

  ConnectionParams params_;
  st_mysql* mysql_ = nullptr;
  std::string address_;  // the host's IPv4 address, resolved for each connect
  std::function<void(const std::string&)> observer_;
};

}  // namespace talvex::data
