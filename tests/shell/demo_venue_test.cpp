// The talvex program as a venue runs it: the real binary against the private MariaDB server, in a
// database of the test's own holding the demo venue, printing on directory printers.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/database_fixture.h"

extern char** environ;

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The talvex program running in the background, its standard output and error going to `log`.
// The destructor ends it with SIGTERM and reaps it.
class RunningProgram {
 public:
  RunningProgram(const std::vector<std::string>& args, const fs::path& log) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TALVEX_PROGRAM));
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int failed = posix_spawn(&pid_, TALVEX_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
      pid_ = -1;
  }
  ~RunningProgram() { stop(); }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return pid_ > 0; }

  // Whether the program is still running; once it has ended, `status` is its wait status.
  bool running() {
    if (pid_ <= 0)
      return false;
    if (waitpid(pid_, &status_, WNOHANG) != pid_)
      return true;
    pid_ = -1;
    return false;
  }

  // Ends the program with SIGTERM and waits for it; returns its wait status.
  int stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

// A document a directory printer wrote: its record read back.
struct Document {
  std::string file;  // the record's file name, NNNNNN.json
  std::string printer;
  int index = -1;
  std::string title;
  std::vector<std::string> texts;
  // Item lines of an order ticket: the text at x = 0 and the quantity at x = 500 on one line.
  std::vector<std::string> items;
};

// Every finished document in a printer's folder, in the order of their numbers.
std::vector<Document> documents_in(const fs::path& folder) {
  std::vector<fs::path> records;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.size() == 11 && name.ends_with(".json") && name.front() != '.')
      records.push_back(e.path());
  }
  std::sort(records.begin(), records.end());

  std::vector<Document> out;
  for (const fs::path& path : records) {
    Document d;
    d.file = path.filename().string();
    QJsonParseError error{};
    const QJsonObject record =
        QJsonDocument::fromJson(QByteArray::fromStdString(read_file(path)), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << path;
    EXPECT_TRUE(fs::exists(fs::path(path).replace_extension(".pdf"))) << path;
    d.printer = record.value("printer").toString().toStdString();
    d.index = record.value("index").toInt(-1);
    d.title = record.value("title").toString().toStdString();
    std::map<int, std::string> at_left;
    for (const QJsonValue& v : record.value("texts").toArray()) {
      const QJsonObject t = v.toObject();
      const std::string text = t.value("text").toString().toStdString();
      const int x = t.value("x").toInt();
      const int y = t.value("y").toInt();
      d.texts.push_back(text);
      if (x == 0)
        at_left[y] = text;
      else if (x == 500 && at_left.count(y) != 0)
        d.items.push_back(at_left[y] + " x" + text);
    }
    out.push_back(std::move(d));
  }
  return out;
}

bool shows(const Document& d, const std::string& text) {
  return std::find(d.texts.begin(), d.texts.end(), text) != d.texts.end();
}

// An order ticket as the demo venue's data calls for it.
struct ExpectedTicket {
  int order;
  int sub_order;
  std::vector<std::string> items;  // in ascending menu id, "name xquantity"
};

// The printer folders, named after the demo's `printers` ports so that their byte order gives
// each role the index its port says.
struct PrinterFolder {
  const char* folder;
  int port;
  const char* role;
};
constexpr PrinterFolder kFolders[] = {{"0-KASSA", 0, "KASSA"},
                                      {"1-BAR", 1, "BAR"},
                                      {"2-KITCHEN", 2, "KITCHEN"},
                                      {"3-CONTROL", 3, "CONTROL"}};

class DemoVenueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::current_path() / "talvex-demo-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    for (const PrinterFolder& p : kFolders)
      fs::create_directories(folder_ / "printers" / p.folder);

    database_ = "t_demo_venue_" + std::to_string(getpid());
    data::ConnectionParams server = test_server_params();
    create_schema_database(server, database_);
    params_ = server;
    params_.database = database_;
    run_script(params_, "db/demo.sql");
    connection_ = std::make_unique<data::Connection>(params_);
  }

  void TearDown() override {
    connection_.reset();
    if (!database_.empty()) {
      data::Connection(test_server_params())
          .execute(data::Sql::fixed("DROP DATABASE IF EXISTS `" + database_ + "`"));
    }
    std::error_code ignored;
    if (!folder_.empty())
      fs::remove_all(folder_, ignored);
  }

  std::string scalar(const std::string& query) {
    const auto rows = connection_->query(data::Sql::fixed(query)).rows;
    return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
  }

  fs::path printer_folder(const char* folder) const { return folder_ / "printers" / folder; }

  fs::path folder_;
  std::string database_;
  data::ConnectionParams params_;
  std::unique_ptr<data::Connection> connection_;
};

TEST_F(DemoVenueTest, WaitingSubOrdersComeOutOnTheirPrintersAndTheirRowsAreMarked) {
  const std::string waiting_sub_orders =
      "select group_concat(id order by id) from print where type='podzakaz' and status='no'";
  ASSERT_EQ(scalar(waiting_sub_orders), "3,4,5,6,7,10");

  const fs::path log = folder_ / "talvex.log";
  RunningProgram program(
      {"--host", "127.0.0.1", "--port", std::to_string(params_.port), "--database", database_,
       "--printers", (folder_ / "printers").string(), "--tick-ms", "20"},
      log);
  ASSERT_TRUE(program.started());

  // Generous, for a slow machine and the sanitizers; the queue itself needs a few seconds.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!scalar(waiting_sub_orders).empty() && program.running() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(program.running()) << "the program ended early:\n" << read_file(log);
  ASSERT_EQ(scalar(waiting_sub_orders), "") << read_file(log);
  EXPECT_EQ(scalar("select group_concat(id order by id) from print where type='podzakaz' and "
                   "status='yes'"),
            "1,2,3,4,5,6,7,10");

  // One ticket per production printer that has lines in the sub-order, in the order of the queue
  // rows (3, 4, 5, 6, 7, 10); the rows printed before (orders 1 and 2, sub-order 1) are not
  // printed again. The shashlik taken back off order 2 adds up to -1 and is left out.
  const std::map<std::string, std::vector<ExpectedTicket>> expected = {
      {"1-BAR",
       {{3, 1, {"Американо x2"}},
        {1, 2, {"Капучино x2", "Лимонад домашний x1"}},
        {2, 2, {"Пиво светлое разливное 0,5 л x2"}},
        {3, 2, {"Вода минеральная без газа x1"}},
        {4, 1, {"Чай зелёный с жасмином x1"}},
        {4, 2, {"Вино красное сухое, бокал 150 мл x2"}}}},
      {"2-KITCHEN",
       {{3, 1, {"Медовик x1"}},
        {1, 2, {"Чизкейк «Нью-Йорк» x2"}},
        {2, 2, {"Картофель фри x2"}},
        {3, 2, {"Мороженое пломбир с ягодным топпингом и мятой x1"}},
        {4,
         1,
         {"Бешбармак x1", "Плов по-узбекски x1",
          "Дорадо на гриле с картофелем по-деревенски и лимонно-сливочным соусом x1"}},
        {4, 2, {"Хлебная корзина x1"}}}},
      // control_printer is "1": a control ticket with every line of the sub-order.
      {"3-CONTROL",
       {{3, 1, {"Американо x2", "Медовик x1"}},
        {1, 2, {"Капучино x2", "Лимонад домашний x1", "Чизкейк «Нью-Йорк» x2"}},
        {2, 2, {"Пиво светлое разливное 0,5 л x2", "Картофель фри x2"}},
        {3,
         2,
         {"Вода минеральная без газа x1", "Мороженое пломбир с ягодным топпингом и мятой x1"}},
        {4,
         1,
         {"Чай зелёный с жасмином x1", "Бешбармак x1", "Плов по-узбекски x1",
          "Дорадо на гриле с картофелем по-деревенски и лимонно-сливочным соусом x1"}},
        {4, 2, {"Вино красное сухое, бокал 150 мл x2", "Хлебная корзина x1"}}}},
      {"0-KASSA", {}},
  };

  for (const PrinterFolder& p : kFolders) {
    SCOPED_TRACE(p.folder);
    std::vector<Document> tickets;
    for (Document& d : documents_in(printer_folder(p.folder))) {
      EXPECT_EQ(d.printer, p.folder) << d.file;
      EXPECT_EQ(d.index, p.port) << d.file;
      // The pre-checks and receipts of the demo come out on KASSA and CONTROL too.
      if (d.title == "Заказ")
        tickets.push_back(std::move(d));
    }
    const std::vector<ExpectedTicket>& want = expected.at(p.folder);
    ASSERT_EQ(tickets.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
      SCOPED_TRACE(tickets[k].file);
      EXPECT_TRUE(shows(tickets[k], "Заказ № " + std::to_string(want[k].order)));
      EXPECT_TRUE(shows(tickets[k], "Подзаказ №: " + std::to_string(want[k].sub_order)));
      EXPECT_TRUE(shows(tickets[k], std::string("Принтер ") + p.role));
      EXPECT_EQ(tickets[k].items, want[k].items);
    }
  }

  // A termination request ends the program cleanly.
  const int status = program.stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << read_file(log);
}

}  // namespace
}  // namespace talvex::testing
