#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"

namespace talvex::testing {

// A file of the source tree, by its path from the repository root.
std::string source_path(std::string_view relative);

// The private MariaDB server that ctest starts for the test run; no database selected.
data::ConnectionParams test_server_params();

// The TCP port written in the port file at `path`: one whole number from 1 to 65535, optionally
// followed by a line break. Throws std::runtime_error naming the file and what it holds otherwise.
unsigned read_port_file(const std::string& path);

// Creates `database` from db/schema.sql on the server of `server` (dropping an older one).
void create_schema_database(const data::ConnectionParams& server, const std::string& database);

// Runs the statements of a script of the source tree (`relative` to the repository root, such as
// "db/demo.sql") on the database of `database`. Every statement of the script ends its line with
// a semicolon.
void run_script(const data::ConnectionParams& database, std::string_view relative);

// Each suite works in a database of its own, made from db/schema.sql when the suite starts and
// dropped when it ends; every test starts with empty tables.
class DatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // Undoes the schema changes of the test before it, then empties every table.
  void SetUp() override;
  void TearDown() override;

  // Changes the schema for this test (`change`) and undoes it (`undo`) when the test ends, even
  // when an assertion fails first, so that the tests after it find the schema as it was.
  void change_schema(std::string_view change, std::string_view undo);

  // Connection parameters of the suite's database, for the code under test.
  static data::ConnectionParams params();
  // Runs statements on the suite's database through a connection of the test's own.
  static void sql(std::string_view statement);
  // The rows of a query as texts (NULL reads as empty).
  static std::vector<std::vector<std::string>> rows(std::string_view query);
  // The first value of the first row of a query, or empty.
  static std::string scalar(std::string_view query);

 private:
  void undo_schema_changes();

  static std::string database_;
  static std::unique_ptr<data::Connection> admin_;
  std::vector<std::string> undo_;
};

}  // namespace talvex::testing
