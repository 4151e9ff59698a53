#include "data/connection.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <mutex>
#include <optional>

#include "data/connect_failure.h"
#include "data/display_text.h"
#include "data/errors.h"
#include "data/literal_escape.h"
#include "platform/file_names.h"
#include "platform/network.h"

namespace talvex::data {
namespace {

constexpr unsigned kBinaryCharset = 63;

ColumnKind kind_of(const MYSQL_FIELD& f) {
  const bool binary = f.charsetnr == kBinaryCharset;
  switch (f.type) {
    case MYSQL_TYPE_TINY:
      return f.length == 1 ? ColumnKind::Boolean : ColumnKind::Integer;
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
      return ColumnKind::Integer;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
      return ColumnKind::Number;
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
      return binary ? ColumnKind::Raw : ColumnKind::Text;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_JSON:
      return binary ? ColumnKind::Raw : ColumnKind::LongText;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
      return ColumnKind::Date;
    case MYSQL_TYPE_TIME:
      return ColumnKind::Time;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
      return ColumnKind::DateTime;
    default:
      return ColumnKind::Raw;
  }
}

// Errors after which the connection cannot be used again: every client-side error, and the
// server's own notice that it is killing the session.
bool is_fatal(unsigned code) {
  return (code >= CR_MIN_ERROR && code <= CR_MAX_ERROR) || code == ER_CONNECTION_KILLED ||
         code == ER_SERVER_SHUTDOWN;
}

void init_library() {
  static std::once_flag once;
  std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

}  // namespace

int ResultTable::column_index(std::string_view name) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i] == name)
      return static_cast<int>(i);
  }
  return -1;
}

Connection::Connection(ConnectionParams params) : params_(std::move(params)) {
  init_library();
}

Connection::~Connection() {
  disconnect();
}

void Connection::disconnect() {
  if (mysql_ != nullptr)
    mysql_close(mysql_);
  mysql_ = nullptr;
}

void Connection::connect() {
  if (mysql_ != nullptr)
    return;

  const platform::Resolved resolved = platform::resolve_ipv4(params_.host);
  if (resolved.error != 0 || resolved.address.empty()) {
    throw DataError(unknown_host_text(params_.host, resolved.error));
  }
  address_ = resolved.address;

  mysql_ = mysql_init(nullptr);
  if (mysql_ == nullptr)
    throw DataError("Out of memory");
  const unsigned timeout = static_cast<unsigned>(params_.connect_timeout.count());
  const unsigned read_timeout = static_cast<unsigned>(params_.read_timeout.count());
  const unsigned write_timeout = static_cast<unsigned>(params_.write_timeout.count());
  const unsigned protocol = MYSQL_PROTOCOL_TCP;
  mysql_options(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_options(mysql_, MYSQL_OPT_READ_TIMEOUT, &read_timeout);
  mysql_options(mysql_, MYSQL_OPT_WRITE_TIMEOUT, &write_timeout);
  mysql_options(mysql_, MYSQL_OPT_PROTOCOL, &protocol);
  mysql_options(mysql_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  if (!params_.plugin_dir.empty())
    mysql_options(mysql_, MYSQL_PLUGIN_DIR, params_.plugin_dir.c_str());

  const auto started = std::chrono::steady_clock::now();
  if (mysql_real_connect(mysql_, address_.c_str(), params_.user.c_str(), params_.password.c_str(),
                         params_.database.c_str(), params_.port, nullptr, 0) == nullptr) {
    fail_connect(std::chrono::steady_clock::now() - started);
  }
  if (mysql_set_character_set(mysql_, "utf8mb4") != 0 || mysql_autocommit(mysql_, 1) != 0) {
    fail_statement();
  }
}

void Connection::fail_connect(std::chrono::steady_clock::duration spent) {
  const unsigned code = mysql_errno(mysql_);
  std::string message = platform::library_text(mysql_error(mysql_));
  disconnect();
  const bool socket_level =
      code == CR_CONNECTION_ERROR || code == CR_CONN_HOST_ERROR || code == CR_SERVER_LOST;
  if (!socket_level)
    throw DataError(message);  // the server refused the login or the database
  if (spent >= params_.connect_timeout)
    throw DataError(connect_timed_out_text(params_.host));

  // The client library reports the state of its own non-blocking connect, not why the connection
  // failed, so ask the socket layer once more for the real reason.
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(params_.connect_timeout - spent);
  const platform::ProbeResult probe = platform::probe_tcp(address_, params_.port, left);
  if (probe.timed_out)
    throw DataError(connect_timed_out_text(params_.host));
  if (probe.error != 0) {
    throw DataError(
        cannot_connect_text(params_.host, probe.error, platform::socket_error_text(probe.error)));
  }
  throw DataError(message);
}

void Connection::fail_statement() {
  const unsigned code = mysql_errno(mysql_);
  const std::string message = platform::library_text(mysql_error(mysql_));
  if (is_fatal(code))
    disconnect();
  throw DataError(message, code);
}

void Connection::send(const Sql& statement) {
  connect();
  const std::string text =
      statement.render([this](std::string_view v) { return escape_literal(mysql_, v); });
  if (observer_)
    observer_(text);
  if (mysql_real_query(mysql_, text.data(), client_length(text.size())) != 0)
    fail_statement();
}

ResultTable Connection::query(const Sql& statement) {
  send(statement);
  MYSQL_RES* result = mysql_store_result(mysql_);
  if (result == nullptr) {
    if (mysql_field_count(mysql_) != 0)
      fail_statement();
    return {};
  }
  ResultTable table;
  const unsigned n = mysql_num_fields(result);
  const MYSQL_FIELD* fields = mysql_fetch_fields(result);
  std::vector<ColumnKind> kinds;
  for (unsigned c = 0; c < n; ++c) {
    table.columns.emplace_back(fields[c].name, fields[c].name_length);
    kinds.push_back(kind_of(fields[c]));
  }
  table.rows.reserve(mysql_num_rows(result));
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* lengths = mysql_fetch_lengths(result);
    std::vector<std::string>& texts = table.rows.emplace_back();
    texts.reserve(n);
    for (unsigned c = 0; c < n; ++c) {
      std::optional<std::string_view> raw;
      if (row[c] != nullptr)
        raw = std::string_view(row[c], lengths[c]);
      texts.push_back(display_text(kinds[c], raw));
    }
  }
  mysql_free_result(result);
  return table;
}

void Connection::execute(const Sql& statement) {
  send(statement);
  MYSQL_RES* result = mysql_store_result(mysql_);
  if (result != nullptr) {
    mysql_free_result(result);
  } else if (mysql_field_count(mysql_) != 0) {
    fail_statement();
  }
}

}  // namespace talvex::data
