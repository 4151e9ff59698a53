#include "tests/support/venue_test.h"

#include <stdlib.h>
#include <unistd.h>

#include <thread>

#include "tests/support/database_fixture.h"

namespace talvex::testing {

namespace fs = std::filesystem;

void VenueTest::SetUp() {
  std::string pattern = (fs::current_path() / "talvex-venue-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  for (const PrinterFolder& p : kDemoPrinters)
    fs::create_directories(printers() / p.folder);

  database_ = "t_venue_" + std::to_string(getpid());
  const data::ConnectionParams server = test_server_params();
  create_schema_database(server, database_);
  params_ = server;
  params_.database = database_;
  run_script(params_, "db/demo.sql");
  connection_ = std::make_unique<data::Connection>(params_);
  for (const auto& row : connection_->query("select id from print where status='yes'").rows)
    printed_before_.insert(row[0]);
}

void VenueTest::TearDown() {
  if (program_ && HasFailure())
    std::cerr << "talvex said:\n" << program_->output();
  program_.reset();
  connection_.reset();
  if (!database_.empty()) {
    data::Connection(test_server_params())
        .execute(data::Sql::fixed("DROP DATABASE IF EXISTS `" + database_ + "`"));
  }
  std::error_code ignored;
  if (!folder_.empty())
    fs::remove_all(folder_, ignored);
}

std::vector<std::string> VenueTest::connection_arguments() const {
  return {"--host", "127.0.0.1", "--port", std::to_string(params_.port), "--database", database_};
}

RunningProgram& VenueTest::start(int tick_ms, const std::vector<std::string>& extra) {
  std::vector<std::string> args = connection_arguments();
  args.insert(args.end(),
              {"--printers", printers().string(), "--tick-ms", std::to_string(tick_ms)});
  args.insert(args.end(), extra.begin(), extra.end());
  return run_program(args);
}

RunningProgram& VenueTest::start_on_system_printers(int tick_ms) {
  std::vector<std::string> args = connection_arguments();
  args.insert(args.end(), {"--tick-ms", std::to_string(tick_ms)});
  return run_program(args);
}

RunningProgram& VenueTest::run_program(const std::vector<std::string>& args) {
  program_ = std::make_unique<RunningProgram>(TALVEX_PROGRAM, args, folder_ / "talvex.log");
  EXPECT_TRUE(program_->started());
  return *program_;
}

bool VenueTest::wait_for(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline || (program_ && !program_->running()))
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool VenueTest::wait_for_empty_queue(std::chrono::seconds limit) {
  return wait_for([this] { return scalar("select count(*) from print where status='no'") == "0"; },
                  limit);
}

void VenueTest::mark_printed_beforehand(const std::string& where) {
  for (const auto& row :
       connection_->query(data::Sql::fixed("select id from print where " + where)).rows)
    printed_before_.insert(row[0]);
  sql("UPDATE print SET status='yes' WHERE " + where);
}

void VenueTest::sql(const std::string& statement) {
  connection_->execute(data::Sql::fixed(statement));
}

std::string VenueTest::scalar(const std::string& query) {
  const auto rows = connection_->query(data::Sql::fixed(query)).rows;
  return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
}

}  // namespace talvex::testing
