#include "app/test_page.h"

#include <array>
#include <string_view>

#include "tickets/ticket_frame.h"

namespace talvex::app {
namespace {

// A line of the test page. A size of 0 keeps the size in force. The printer, date-time and
// separator lines take their text from elsewhere.
enum class Text { Fixed, PrinterLine, PrintedAt, Separator, Items };

struct TestLine {
  int role_points;
  int chosen_points;
  Text kind;
  std::string_view text;
  int advance;
};

constexpr std::array<TestLine, 19> kTestPage{{
    {14, 16, Text::Fixed, "ZEPHYRA", 40},
    {12, 10, Text::Fixed, "KALVO BAR", 35},
    {8, 12, Text::Fixed, "", 25},
    {0, 0, Text::Fixed, "Счет № 12344 ", 25},
    {0, 0, Text::PrintedAt, "", 25},
    {0, 0, Text::PrinterLine, "", 25},
    {0, 0, Text::Separator, "", 25},
    {9, 9, Text::Items, "", 25},
    {0, 0, Text::Separator, "", 25},
    {10, 10, Text::Fixed, "Сумма заказа: 50000 тг.", 30},
    {0, 0, Text::Fixed, "Скидка: 0%", 30},
    {0, 0, Text::Fixed, "Итог: 50000 тг.", 30},
    {0, 0, Text::Separator, "", 30},
    {0, 0, Text::Fixed, "Оплата наличными: 50000 тг.", 30},
    {0, 0, Text::Fixed, "Оплата картой: 0 тг.", 30},
    {0, 0, Text::Fixed, "Сдача: 0 тг.", 30},
    {0, 0, Text::Separator, "", 30},
    {0, 0, Text::Separator, "", 30},
    {12, 12, Text::Fixed, "Ждем Вас снова у нас!!!", 25},
}};

}  // namespace

void draw_test_page(tickets::Page& page, TestPageSizes sizes, const std::string& printer_name,
                    const std::string& printed_at) {
  for (const TestLine& line : kTestPage) {
    const int points = sizes == TestPageSizes::Role ? line.role_points : line.chosen_points;
    if (points != 0)
      page.size(points);
    switch (line.kind) {
      case Text::Fixed:
        page.line(0, std::string(line.text), line.advance);
        break;
      case Text::PrinterLine:
        page.line(0, "Принтер " + printer_name, line.advance);
        break;
      case Text::PrintedAt:
        page.line(0, printed_at, line.advance);
        break;
      case Text::Separator:
        page.line(0, tickets::kTestPageSeparator, line.advance);
        break;
      case Text::Items:
        // Five sample items, each a name line and an amount line.
        for (int i = 1; i <= 5; ++i) {
          const std::string n = std::to_string(i);
          page.line(0, n + "тут отображается заказ ", line.advance);
          page.line(0, "  " + n + " X 1000 = 5000 тг.", line.advance);
        }
        break;
    }
  }
}

}  // namespace talvex::app
