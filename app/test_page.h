#pragma once

#include <string>

#include "tickets/page.h"

namespace talvex::app {

// The test pages differ only in their sizes: the role buttons print one, the chosen-index button
// the other.
enum class TestPageSizes { Role, ChosenIndex };

inline constexpr const char* kTestPageTitle = "Тестовая печать...";

// Draws the sample bill of a test page on an open document from its cursor, every line at x = 0.
// `printer_name` follows "Принтер " and `printed_at` is the date-time line.
void draw_test_page(tickets::Page& page, TestPageSizes sizes, const std::string& printer_name,
                    const std::string& printed_at);

}  // namespace talvex::app
