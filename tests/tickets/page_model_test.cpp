#include <gtest/gtest.h>

#include "data/errors.h"
#include "platform/printer.h"
#include "tests/support/recording_print_system.h"
#include "tickets/page.h"
#include "tickets/texts.h"
#include "tickets/ticket_frame.h"

namespace talvex::tickets {
namespace {

TEST(TimeText, StoredSecondsReadAsLocalWallClockTime) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "01.01.1970 00:00:00"},         {"1428400000", "07.04.2015 09:46:40"},
      {"-1", "31.12.1969 23:59:59"},        {"2147483647", "19.01.2038 03:14:07"},
      {"951782400", "29.02.2000 00:00:00"}, {"-2147483648", "13.12.1901 20:45:52"},
  };
  for (const auto& [stored, shown] : cases)
    EXPECT_EQ(time_text(stored), shown) << stored;
}

TEST(TimeText, TextsThatAreNotIntegersFail) {
  for (const char* stored : {"2147483648", "", "12.5"}) {
    try {
      time_text(stored);
      FAIL() << stored;
    } catch (const data::ConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(stored) + "' is not a valid integer value");
    }
  }
}

TEST(TimeText, PrintedAtDropsTheMilliseconds) {
  EXPECT_EQ(time_text_of_ms(43200999), "01.01.1970 12:00:00");
  EXPECT_EQ(time_text_of_ms(-1500), "31.12.1969 23:59:59");
}

TEST(MoneyText, WholeTengeWithTheSuffix) {
  EXPECT_EQ(money_text(0), "0 тг.");
  EXPECT_EQ(money_text(-150), "-150 тг.");
  EXPECT_EQ(money_text(2147483647), "2147483647 тг.");
}

class PageModelTest : public ::testing::Test {
 protected:
  testing::RecordingPrintSystem system;
  platform::Printer printer{system};
  Settings settings{"ТОО «Зефира»", "Кафе «Кальво»", "1", "5", "0", "60", "120"};
};

TEST_F(PageModelTest, HeaderAndFooterStandAtTheirPlaces) {
  printer.set_printer_index(0);
  Page page(printer);
  page.start("Заказ");
  begin_ticket_header(page, settings, "Заказ № 12");
  draw_info_line(page, "Подзаказ №: 1");
  draw_info_line(page, "Официант: Айгерим");
  end_ticket_header(page, "BAR");
  EXPECT_EQ(printer.font_size(), 9);
  draw_ticket_footer(page);
  page.end();

  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].page.title, "Заказ");
  EXPECT_EQ(system.lines(0), (std::vector<std::string>{
                                 "60,0,16,ТОО «Зефира»",
                                 "120,50,10,Кафе «Кальво»",
                                 "0,125,12,Заказ № 12",
                                 "0,175,8,Подзаказ №: 1",
                                 "0,200,8,Официант: Айгерим",
                                 "0,225,8,Принтер BAR",
                                 "0,250,8," + std::string(72, '-'),
                                 "0,275,7,Программа: TALVEX",
                                 "0,305,7,Тел: +7 (700) 555 01 01",
                             }));
  EXPECT_EQ(page.top, 335);
}

TEST_F(PageModelTest, BadPositionFailsAfterTheDocumentBeganAndAbortsIt) {
  settings.title_check_left = "abc";
  printer.set_printer_index(0);
  try {
    Page page(printer);
    page.start("Заказ");
    begin_ticket_header(page, settings, "Заказ № 12");
    FAIL() << "header drawn";
  } catch (const data::ConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_FALSE(printer.printing());
  EXPECT_TRUE(system.jobs.empty());
  // The printer object is free for the next document.
  Page next(printer);
  next.start("Заказ");
  next.end();
  EXPECT_EQ(system.jobs.size(), 1u);
}

TEST_F(PageModelTest, EmptyTextDrawsNothingButTheCursorAdvances) {
  printer.set_printer_index(0);
  Page page(printer);
  page.start("t");
  page.size(8);
  page.line(0, "", 25);
  page.line(0, "x", 25);
  page.end();
  EXPECT_EQ(system.lines(0), std::vector<std::string>{"0,25,8,x"});
}

}  // namespace
}  // namespace talvex::tickets
