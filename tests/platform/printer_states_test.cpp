// The printers' states on the panel, read from the private CUPS scheduler: queues of the test's own
// that are disabled or whose device cannot be reached, with jobs that stay unfinished.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/print_service.h"
#include "platform/cups/cups_print_system.h"
#include "platform/printer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"
#include "tests/support/closed_port.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;

class PrinterStatesTest : public DatabaseTest {
 protected:
  static void SetUpTestSuite() {
    DatabaseTest::SetUpTestSuite();
    use_private_cups();
  }

  // Adds a queue, the `printers` row of `role` on it (read by the service at start, as the first
  // row) and starts the service, whose printer object lists the queues from then on.
  void start_with(const std::string& queue, const std::string& arguments, const std::string& role) {
    queue_ = std::make_unique<TemporaryQueue>(queue, arguments);
    sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '1'), "
        "('name_check_left', '0'), ('title_check_left', '0'), ('control_printer', '0')");
    sql("INSERT INTO printers (id, name, port) VALUES (1, '" + role + "', " +
        std::to_string(index_of(queue)) + ")");
    service_ = std::make_unique<app::PrintService>(
        params(), app::Services{panel_, printer_, box_, clock_, "Talvex"});
    service_->open_database();
    service_->start();
    ASSERT_TRUE(box_.shown.empty()) << box_.shown[0].text;
  }

  int index_of(const std::string& queue) {
    platform::CupsPrintSystem system;
    const std::vector<std::string> names = system.installed_printers();
    const auto at = std::find(names.begin(), names.end(), queue);
    EXPECT_NE(at, names.end()) << queue << " is not listed";
    return static_cast<int>(at - names.begin());
  }

  // The printer list's line of the test's queue.
  std::string list_line() const {
    for (const std::string& line : panel_.printer_list) {
      if (line.find(queue_->name()) != std::string::npos)
        return line;
    }
    return "";
  }

  // Reads the states again until the list shows `line` for the test's queue, moving the clock on
  // by the interval of the readings each time; false if it does not within a minute.
  bool wait_for_line(const std::string& line) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (;;) {
      service_->refresh_printer_states();
      if (list_line() == line)
        return true;
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  // One tick of both timers; the queue is checked at each with printer_timer 1.
  void tick() {
    service_->data_check_tick();
    service_->queue_check_tick();
  }

  void tick_until_queue_checked() {
    for (int i = 0; i < 10; ++i)
      tick();
  }

  std::unique_ptr<TemporaryQueue> queue_;
  FakePanel panel_;
  FakeMessageBox box_;
  FakeClock clock_;
  platform::CupsPrintSystem system_;
  platform::Printer printer_{system_};
  std::unique_ptr<app::PrintService> service_;
};

TEST_F(PrinterStatesTest, ADisabledQueueIsToldOnceAndItsJobNamedAfterAMinute) {
  ClosedPort nowhere;
  start_with("thermal-paused",
             "-v socket://127.0.0.1:" + std::to_string(nowhere.port()) + " -m raw", "KITCHEN");
  cups_admin("cupsdisable -r " + shell_quote("закончилась смена") + " thermal-paused");
  const int index = index_of("thermal-paused");

  service_->show_printer_list();
  EXPECT_EQ(list_line(), std::to_string(index) +
                             " thermal-paused — остановлен: остановлен "
                             "оператором, заданий: 0");
  EXPECT_EQ(panel_.printer_list.front().rfind("0 bar-58 — ", 0), 0u) << panel_.printer_list.front();
  // The list shows it at once; the queue line and the error box once it has lasted five seconds.
  EXPECT_EQ(panel_.label(PanelLabel::QueueState), "Label7");
  EXPECT_TRUE(box_.shown.empty()) << box_.shown[0].text;

  clock_.now_ms += 5000;
  tick_until_queue_checked();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState),
            "Нет очереди печати. Принтер KITCHEN: остановлен оператором");
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].text, "Принтер KITCHEN: остановлен оператором.");
  // Told once, however often it is seen.
  clock_.now_ms += 5000;
  tick();
  EXPECT_EQ(box_.shown.size(), 1u);

  // A test page waits on the stopped queue; a minute after it was first seen, it is named.
  service_->test_print_on_role("KITCHEN");
  ASSERT_TRUE(wait_for_line(std::to_string(index) +
                            " thermal-paused — остановлен: остановлен оператором, заданий: 1"));
  EXPECT_EQ(panel_.label(PanelLabel::QueueState),
            "Нет очереди печати. Принтер KITCHEN: остановлен оператором");
  clock_.now_ms += 60000;
  tick();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState),
            "Нет очереди печати. Принтер KITCHEN: остановлен оператором. «Тестовая печать...» на "
            "KITCHEN не напечатан за минуту: остановлен оператором");
  EXPECT_EQ(box_.shown.size(), 1u) << box_.shown.back().text;

  // Emptied and enabled again, it is seen at the first reading five seconds after the last;
  // stopped once more, it is told again.
  cups_admin("cancel -a thermal-paused");
  cups_admin("cupsenable thermal-paused");
  clock_.now_ms += 4000;
  tick();
  EXPECT_NE(panel_.label(PanelLabel::QueueState).find("остановлен оператором"), std::string::npos);
  clock_.now_ms += 1000;
  tick();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState), "Нет очереди печати");
  cups_admin("cupsdisable thermal-paused");
  clock_.now_ms += 5000;
  tick();
  EXPECT_EQ(box_.shown.size(), 1u);
  clock_.now_ms += 5000;
  tick();
  ASSERT_EQ(box_.shown.size(), 2u);
  EXPECT_EQ(box_.shown[1].text, "Принтер KITCHEN: остановлен оператором.");
}

TEST_F(PrinterStatesTest, ADeviceThatCannotBeFoundShowsThatThereIsNoConnection) {
  // The harness's backend of a device that is never found: it reports that it is still connecting,
  // as the network backends do while a printer's name does not resolve.
  start_with("thermal-lost", "-v unreachable:/thermal-lost -m raw", "BAR");
  service_->show_printer_list();
  service_->test_print_on_role("BAR");
  ASSERT_TRUE(box_.shown.empty()) << box_.shown[0].text;

  const std::string line = std::to_string(index_of("thermal-lost")) +
                           " thermal-lost — печатает: нет соединения, заданий: 1";
  ASSERT_TRUE(wait_for_line(line)) << list_line();
  clock_.now_ms += 5000;
  service_->refresh_printer_states();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState), "Принтер BAR: нет соединения");
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].text, "Принтер BAR: нет соединения.");
}

TEST_F(PrinterStatesTest, AJobLeftUnfinishedIsNamedWithThePrintersOwnWords) {
  // A refused connection leaves the printer busy with no reason CUPS can name, only its message.
  ClosedPort refused;
  start_with("thermal-refused",
             "-v socket://127.0.0.1:" + std::to_string(refused.port()) + " -m raw", "KASSA");
  service_->show_printer_list();
  service_->test_print_on_role("KASSA");
  ASSERT_TRUE(box_.shown.empty()) << box_.shown[0].text;
  const int index = index_of("thermal-refused");
  ASSERT_TRUE(wait_for_line(std::to_string(index) + " thermal-refused — печатает, заданий: 1"))
      << list_line();
  // The label holds no trouble of the printer, which is printing as far as CUPS says.
  tick_until_queue_checked();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState), "Нет очереди печати");

  std::string message;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (message.empty() && std::chrono::steady_clock::now() < deadline) {
    message = system_.printer_states().at(static_cast<std::size_t>(index)).message;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(message.empty());
  clock_.now_ms += 60000;
  service_->refresh_printer_states();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState),
            "Нет очереди печати. «Тестовая печать...» на KASSA не напечатан за минуту: " +
                system_.printer_states().at(static_cast<std::size_t>(index)).message);
  EXPECT_TRUE(box_.shown.empty()) << box_.shown[0].text;
}

TEST_F(PrinterStatesTest, ReadingTheStatesSendsNoStatement) {
  ClosedPort nowhere;
  start_with("thermal-quiet", "-v socket://127.0.0.1:" + std::to_string(nowhere.port()) + " -m raw",
             "KITCHEN");
  cups_admin("cupsdisable thermal-quiet");
  std::vector<std::string> sent;
  service_->db.connection.set_statement_observer(
      [&](const std::string& statement) { sent.push_back(statement); });
  service_->show_printer_list();
  clock_.now_ms += 5000;
  service_->refresh_printer_states();
  EXPECT_TRUE(sent.empty()) << sent.front();
  EXPECT_EQ(panel_.label(PanelLabel::QueueState), "Принтер KITCHEN: остановлен оператором");
}

}  // namespace
}  // namespace talvex::testing
