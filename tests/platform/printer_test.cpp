#include "platform/printer.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/recording_print_system.h"

namespace talvex::platform {
namespace {

using testing::RecordingPrintSystem;
using Lines = std::vector<std::string>;

struct FailureCase {
  const char* name;
  std::optional<int> default_index;
  std::function<void(Printer&)> before;  // brings the printer into the situation
  std::function<void(Printer&)> act;
  std::string message;
  bool printing_after;  // the failure leaves an open document as it was
};

class PrinterFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PrinterFailureTest, FailsWithTheMessageAndKeepsItsState) {
  const FailureCase& c = GetParam();
  RecordingPrintSystem system({"KASSA-80", "BAR-58", "KITCHEN-80", "CONTROL-80"}, c.default_index);
  system.unopenable = {3};
  Printer printer(system);
  c.before(printer);
  const std::size_t jobs_before = system.jobs.size();

  try {
    c.act(printer);
    FAIL() << "no failure";
  } catch (const PrinterError& e) {
    EXPECT_EQ(e.what(), c.message);
  }
  EXPECT_EQ(printer.printing(), c.printing_after);
  EXPECT_EQ(system.jobs.size(), jobs_before);
}

void nothing(Printer&) {}
void begin_on_first(Printer& p) {
  p.set_printer_index(0);
  p.begin_doc("Заказ");
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrinterFailureTest,
    ::testing::Values(
        FailureCase{"IndexEqualToTheCount", 0, nothing, [](Printer& p) { p.set_printer_index(4); },
                    "Printer index out of range", false},
        FailureCase{"IndexBelowMinusOne", 0, nothing, [](Printer& p) { p.set_printer_index(-2); },
                    "Printer index out of range", false},
        FailureCase{"DefaultWhenThereIsNone", std::nullopt, nothing,
                    [](Printer& p) { p.set_printer_index(-1); },
                    "There is no default printer currently selected", false},
        FailureCase{"FirstDocumentWithoutSelectionOrDefault", std::nullopt, nothing,
                    [](Printer& p) { p.begin_doc("Заказ"); },
                    "There is no default printer currently selected", false},
        FailureCase{"SelectingDuringADocument", 0, begin_on_first,
                    [](Printer& p) { p.set_printer_index(1); }, "Printing in progress", true},
        FailureCase{"SelectingTheSameDuringADocument", 0, begin_on_first,
                    [](Printer& p) { p.set_printer_index(0); }, "Printing in progress", true},
        FailureCase{"BeginningDuringADocument", 0, begin_on_first,
                    [](Printer& p) { p.begin_doc("Второй"); }, "Printing in progress", true},
        FailureCase{"DrawingWhileIdle", 0, nothing, [](Printer& p) { p.text_out(0, 0, "Итого"); },
                    "Printer is not currently printing", false},
        FailureCase{"EndingWhileIdle", 0, nothing, [](Printer& p) { p.end_doc(); },
                    "Printer is not currently printing", false},
        FailureCase{"EndingTwice", 0,
                    [](Printer& p) {
                      begin_on_first(p);
                      p.end_doc();
                    },
                    [](Printer& p) { p.end_doc(); }, "Printer is not currently printing", false},
        FailureCase{"PrinterThatCannotBeOpened", 0, [](Printer& p) { p.set_printer_index(3); },
                    [](Printer& p) { p.begin_doc("Заказ"); }, "Printer selected is not valid",
                    false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(PrinterTest, PrintsTheDrawnTextsOnTheSelectedPrinter) {
  RecordingPrintSystem system;
  Printer printer(system);
  printer.set_printer_index(2);
  printer.begin_doc("Предчек не cвернутый");
  printer.set_font_size(16);
  printer.text_out(30, 0, "Ресторан");
  printer.text_out(0, 100, "");  // draws nothing
  printer.set_font_size(9);
  printer.text_out(240, 175, "2");
  printer.end_doc();

  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].index, 2);
  EXPECT_EQ(system.jobs[0].page.title, "Предчек не cвернутый");
  EXPECT_EQ(system.lines(0), (Lines{"30,0,16,Ресторан", "240,175,9,2"}));
  EXPECT_FALSE(printer.printing());
}

struct SelectionCase {
  const char* name;
  std::optional<int> default_index;
  std::optional<int> select;  // nothing: the document is begun without a selection
  int index;                  // where the document goes
};

class PrinterSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(PrinterSelectionTest, TheDocumentGoesToTheSelectedPrinter) {
  const SelectionCase& c = GetParam();
  RecordingPrintSystem system({"A", "B", "C"}, c.default_index);
  Printer printer(system);
  if (c.select)
    printer.set_printer_index(*c.select);
  printer.begin_doc("t");
  printer.text_out(0, 0, "x");
  printer.end_doc();
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].index, c.index);
  EXPECT_EQ(system.jobs[0].printer, system.printers.at(static_cast<std::size_t>(c.index)));
  EXPECT_EQ(printer.printer_index(), c.index);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrinterSelectionTest,
    ::testing::Values(SelectionCase{"MinusOneIsTheDefaultPrinter", 2, -1, 2},
                      SelectionCase{"FirstDocumentWithoutSelectionGoesToTheDefault", 1,
                                    std::nullopt, 1},
                      SelectionCase{"ValidIndexWithoutADefaultPrinter", std::nullopt, 1, 1},
                      SelectionCase{"LastIndexBesideTheDefault", 0, 2, 2}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(PrinterTest, AbortDropsTheDocumentAndReturnsToIdle) {
  RecordingPrintSystem system;
  Printer printer(system);
  printer.abort();  // harmless while idle
  printer.begin_doc("Брошенный");
  printer.text_out(0, 0, "половина");
  printer.abort();
  EXPECT_FALSE(printer.printing());
  EXPECT_TRUE(system.jobs.empty());

  printer.set_printer_index(1);  // selecting is allowed again
  printer.begin_doc("Следующий");
  printer.text_out(0, 25, "целый");
  printer.end_doc();
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].page.title, "Следующий");
  EXPECT_EQ(system.lines(0), (Lines{"0,25,8,целый"}));
}

TEST(PrinterTest, ARefusedPageReturnsToIdleWithTheSystemsText) {
  RecordingPrintSystem system;
  system.refuse_with = "Нет бумаги";
  Printer printer(system);
  printer.begin_doc("Заказ");
  printer.text_out(0, 0, "x");
  try {
    printer.end_doc();
    FAIL() << "the refusal was not reported";
  } catch (const PrinterError& e) {
    EXPECT_STREQ(e.what(), "Нет бумаги");
  }
  EXPECT_FALSE(printer.printing());

  system.refuse_with.reset();
  printer.begin_doc("Повтор");
  printer.text_out(0, 0, "y");
  printer.end_doc();
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.lines(0), (Lines{"0,0,8,y"}));  // nothing of the refused page is left over
}

TEST(PrinterTest, TheFontSizeCarriesOverToTheNextDocument) {
  RecordingPrintSystem system;
  Printer printer(system);
  printer.begin_doc("Первый");
  printer.set_font_size(12);
  printer.text_out(0, 0, "a");
  printer.end_doc();
  printer.begin_doc("Второй");
  printer.text_out(0, 0, "b");
  printer.set_font_size(7);
  printer.text_out(0, 30, "c");
  printer.end_doc();
  printer.set_font_size(14);  // while idle
  printer.begin_doc("Третий");
  printer.text_out(0, 0, "d");
  printer.end_doc();

  EXPECT_EQ(system.lines(1), (Lines{"0,0,12,b", "0,30,7,c"}));
  EXPECT_EQ(system.lines(2), (Lines{"0,0,14,d"}));
  EXPECT_EQ(printer.font_size(), 14);
}

TEST(PrinterTest, SelectingTheSameIndexAgainAsksTheSystemNothing) {
  RecordingPrintSystem system({"A", "B", "C"}, 2);
  Printer printer(system);
  printer.set_printer_index(-1);
  ASSERT_EQ(system.default_calls, 1);

  // Were the system asked again, the missing default would fail the selection.
  system.default_index.reset();
  printer.set_printer_index(-1);
  EXPECT_EQ(system.default_calls, 1);
  EXPECT_EQ(printer.printer_index(), 2);

  printer.set_printer_index(0);
  printer.set_printer_index(0);
  EXPECT_EQ(printer.printer_index(), 0);
  EXPECT_EQ(system.default_calls, 1);
  EXPECT_EQ(system.list_calls, 1);
  EXPECT_EQ(system.open_calls, 0);
}

TEST(PrinterTest, TheListIsReadOnceForTheObjectsLife) {
  RecordingPrintSystem system({"A", "B"}, 0);
  Printer printer(system);
  EXPECT_EQ(printer.printers(), (std::vector<std::string>{"A", "B"}));
  system.printers.push_back("Added later");
  printer.set_printer_index(1);
  EXPECT_THROW(printer.set_printer_index(2), PrinterError);
  printer.begin_doc("t");
  printer.end_doc();
  EXPECT_EQ(printer.printers(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(system.list_calls, 1);
}

}  // namespace
}  // namespace talvex::platform
