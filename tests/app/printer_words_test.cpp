#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/printer_states.h"
#include "tests/app/service_fixture.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;
using platform::PrinterActivity;
using platform::PrinterState;

struct ReasonCase {
  const char* reason;
  const char* words;  // nullptr: not in the table
  bool stops;
};

TEST(PrinterWords, ReasonsAreReadWithOrWithoutTheirSuffix) {
  const ReasonCase cases[] = {
      {"media-empty-error", "нет бумаги", true},
      {"media-needed", "нет бумаги", true},
      {"offline-report", "нет связи", true},
      {"cover-open", "открыта крышка", true},
      {"paused", "остановлен оператором", true},
      {"connecting-to-device", "нет соединения", true},
      {"media-empty-warning", "нет бумаги", false},  // another tray may still have paper
      {"media-low-report", "мало бумаги", false},
      {"com.example-head-hot-error", nullptr, false},
      {"-error", nullptr, false},
  };
  for (const ReasonCase& c : cases) {
    const app::ReasonWords* row = app::reason_words(c.reason);
    if (c.words == nullptr)
      EXPECT_EQ(row, nullptr) << c.reason;
    else if (row == nullptr)
      ADD_FAILURE() << c.reason << " is not in the table";
    else
      EXPECT_EQ(row->words, c.words) << c.reason;
    EXPECT_EQ(app::stops_printing(c.reason), c.stops) << c.reason;
  }
}

struct LineCase {
  const char* name;
  PrinterState state;
  const char* line;
};

TEST(PrinterWords, ListLinesAddTheKnownState) {
  const LineCase cases[] = {
      {"unknown, as folders and the spooler", {}, "2 KITCHEN"},
      {"idle", {PrinterActivity::Idle, {}, "", {}}, "2 KITCHEN — готов, заданий: 0"},
      {"printing, reasons once each, unknown ones left out",
       {PrinterActivity::Printing,
        {"media-empty-error", "com.example-x", "media-needed", "cover-open-report"},
        "Out of paper",
        {{7, "Заказ"}, {8, "Заказ"}}},
       "2 KITCHEN — печатает: нет бумаги, открыта крышка, заданий: 2"},
      {"stopped without a reason",
       {PrinterActivity::Stopped, {}, "", {{9, "Заказ"}}},
       "2 KITCHEN — остановлен, заданий: 1"},
  };
  for (const LineCase& c : cases)
    EXPECT_EQ(app::printer_list_line(2, "KITCHEN", c.state), c.line) << c.name;
}

// The service on the recording printers, whose states the test sets.
class PrinterStateServiceTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    standard_settings("1");
    printers.states.resize(4);
  }
};

TEST_F(PrinterStateServiceTest, RolesAreTheRowsReadAndPortMinusOneIsTheDefaultPrinter) {
  // KASSA is read at start (the slot's first statement takes one row), BAR by its test print;
  // KITCHEN is never read, so its printer is not told of.
  sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', -1), (2, 'BAR', 1), "
      "(3, 'KITCHEN', 2)");
  printers.states[0] = {PrinterActivity::Stopped, {"paused"}, "", {}};
  printers.states[1] = {PrinterActivity::Printing, {"media-empty-error"}, "", {}};
  printers.states[2] = {PrinterActivity::Idle, {"offline-report"}, "", {}};
  start();
  service->test_print_on_role("BAR");
  ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;

  service->refresh_printer_states();
  clock.now_ms += 5000;
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState),
            "Принтер KASSA: остановлен оператором. Принтер BAR: нет бумаги");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Принтер KASSA: остановлен оператором. Принтер BAR: нет бумаги.");

  // A new port for BAR, read by its next test print, moves its trouble with it.
  sql("UPDATE printers SET port=2 WHERE name='BAR'");
  service->test_print_on_role("BAR");
  clock.now_ms += 5000;
  service->refresh_printer_states();
  clock.now_ms += 5000;
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState),
            "Принтер KASSA: остановлен оператором. Принтер BAR: нет связи");
  EXPECT_EQ(box.shown.size(), 2u);
}

TEST_F(PrinterStateServiceTest, TheOldestLateJobIsNamedAndTheOthersCounted) {
  start();
  tick(10);
  printers.states[2] = {PrinterActivity::Printing, {}, "", {{5, "Заказ"}, {6, "Пречек"}}};
  service->refresh_printer_states();
  clock.now_ms += 30000;
  printers.states[3] = {PrinterActivity::Printing, {}, "Принтер не отвечает.", {{9, "Счёт"}}};
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Нет очереди печати");

  clock.now_ms += 30000;
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState),
            "Нет очереди печати. «Заказ» на KITCHEN-80 не напечатан за минуту: печатает "
            "(и ещё 1)");
  // Job 5 finishes; once 9 has waited a minute too, its printer's own words explain it.
  printers.states[2].jobs.erase(printers.states[2].jobs.begin());
  clock.now_ms += 30000;
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState),
            "Нет очереди печати. «Пречек» на KITCHEN-80 не напечатан за минуту: печатает "
            "(и ещё 1)");
  printers.states[2].jobs.clear();
  service->refresh_printer_states();
  EXPECT_EQ(panel.label(PanelLabel::QueueState),
            "Нет очереди печати. «Счёт» на CONTROL-80 не напечатан за минуту: Принтер не "
            "отвечает.");
  EXPECT_TRUE(box.shown.empty()) << box.shown[0].text;
}

TEST_F(PrinterStateServiceTest, TheQueueCheckReadsAtMostEveryFiveSecondsAndUpdatesAShownList) {
  start();
  tick(10);
  printers.states[0] = {PrinterActivity::Idle, {}, "", {}};
  tick();
  EXPECT_TRUE(panel.printer_list.empty()) << "the list was filled before it was asked for";

  service->show_printer_list();
  EXPECT_EQ(panel.printer_list.front(), "0 KASSA-80 — готов, заданий: 0");
  printers.states[0].activity = PrinterActivity::Printing;
  clock.now_ms += 4999;
  tick();
  EXPECT_EQ(panel.printer_list.front(), "0 KASSA-80 — готов, заданий: 0");
  clock.now_ms += 1;
  tick();
  EXPECT_EQ(panel.printer_list.front(), "0 KASSA-80 — печатает, заданий: 0");
  EXPECT_EQ(panel.printer_list.back(), "3 CONTROL-80");
}

}  // namespace
}  // namespace talvex::testing
