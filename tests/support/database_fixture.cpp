#include "tests/support/database_fixture.h"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace talvex::testing {
namespace {

constexpr const char* kTables[] = {"printers", "settings", "print",    "zakaz",
                                   "podzakaz", "menu",     "tables",   "cat_tables",
                                   "clients",  "pay",      "type_pay", "talvex_documents"};

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Splits a script at the semicolons that end its lines; the schema has no other semicolons.
std::vector<std::string> statements_of(const std::string& script) {
  std::vector<std::string> out;
  std::string current;
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("--", 0) == 0)
      continue;
    current += line + "\n";
    if (!line.empty() && line.back() == ';') {
      out.push_back(current);
      current.clear();
    }
  }
  return out;
}

}  // namespace

std::string source_path(std::string_view relative) {
  const char* root = std::getenv("TALVEX_SOURCE_DIR");
  if (root == nullptr)
    throw std::runtime_error("TALVEX_SOURCE_DIR is not set: run the tests with ctest");
  return std::string(root) + "/" + std::string(relative);
}

data::ConnectionParams test_server_params() {
  const char* servers = std::getenv("TALVEX_TEST_SERVERS");
  if (servers == nullptr)
    throw std::runtime_error("TALVEX_TEST_SERVERS is not set: run the tests with ctest");
  const std::string port_file = std::string(servers) + "/mariadb/port";
  if (!std::ifstream(port_file))
    throw std::runtime_error("the private MariaDB server is not running");
  data::ConnectionParams p;
  p.host = "127.0.0.1";
  p.port = read_port_file(port_file);
  p.database = "";
  return p;
}

unsigned read_port_file(const std::string& path) {
  std::string text = read_file(path);
  if (!text.empty() && text.back() == '\n')
    text.pop_back();
  unsigned port = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, port);
  // from_chars takes no sign and no space, so only digits get this far.
  if (text.empty() || error != std::errc() || stop != end || port < 1 || port > 65535) {
    throw std::runtime_error("the port file " + path + " holds '" + text +
                             "', not a port from 1 to 65535");
  }
  return port;
}

void create_schema_database(const data::ConnectionParams& server, const std::string& database) {
  data::ConnectionParams p = server;
  p.database = "";
  data::Connection admin(p);
  admin.execute(data::Sql::fixed("DROP DATABASE IF EXISTS `" + database + "`"));
  admin.execute(data::Sql::fixed("CREATE DATABASE `" + database + "` CHARACTER SET utf8mb4"));
  p.database = database;
  run_script(p, "db/schema.sql");
}

void run_script(const data::ConnectionParams& database, std::string_view relative) {
  data::Connection connection(database);
  for (const std::string& s : statements_of(read_file(source_path(relative))))
    connection.execute(data::Sql::fixed(s));
}

std::string DatabaseTest::database_;
std::unique_ptr<data::Connection> DatabaseTest::admin_;

void DatabaseTest::SetUpTestSuite() {
  std::string suite = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
  for (char& c : suite)
    c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_';
  database_ = "t_" + suite + "_" + std::to_string(getpid());
  create_schema_database(test_server_params(), database_);
  admin_ = std::make_unique<data::Connection>(params());
}

void DatabaseTest::TearDownTestSuite() {
  if (admin_)
    admin_->execute(data::Sql::fixed("DROP DATABASE IF EXISTS `" + database_ + "`"));
  admin_.reset();
}

void DatabaseTest::SetUp() {
  undo_schema_changes();
  for (const char* table : kTables)
    sql(std::string("TRUNCATE TABLE `") + table + "`");
}

void DatabaseTest::TearDown() {
  undo_schema_changes();
}

void DatabaseTest::change_schema(std::string_view change, std::string_view undo) {
  sql(change);
  undo_.emplace_back(undo);
}

void DatabaseTest::undo_schema_changes() {
  if (undo_.empty())
    return;
  // The rows the test left are emptied next, so a value the old column type cannot hold may be
  // cut down on the way back instead of stopping the undo.
  sql("SET SESSION sql_mode=''");
  while (!undo_.empty()) {
    const std::string undo = std::move(undo_.back());
    undo_.pop_back();
    sql(undo);
  }
  sql("SET SESSION sql_mode=DEFAULT");
}

data::ConnectionParams DatabaseTest::params() {
  data::ConnectionParams p = test_server_params();
  p.database = database_;
  return p;
}

void DatabaseTest::sql(std::string_view statement) {
  admin_->execute(data::Sql::fixed(statement));
}

std::vector<std::vector<std::string>> DatabaseTest::rows(std::string_view query) {
  return admin_->query(data::Sql::fixed(query)).rows;
}

std::string DatabaseTest::scalar(std::string_view query) {
  const auto r = rows(query);
  return r.empty() || r.front().empty() ? std::string() : r.front().front();
}

}  // namespace talvex::testing
