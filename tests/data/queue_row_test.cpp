#include "data/queue_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace talvex::data {
namespace {

// How the journal's column compares texts: without regard to case or trailing blanks.
std::string folded(std::string text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(JournalKeyTest, NamesWhatTheRowAsksForAfterItsId) {
  // Numbers stay readable for the person who looks at the table.
  EXPECT_EQ(journal_key({"17", "podzakaz", "100", "2"}), "17 podzakaz 100 2");
  EXPECT_EQ(journal_key({"8", "predcheck", "1", ""}), "8 predcheck 1 ");

  struct Case {
    const char* name;
    QueueRow row;
    QueueRow other;  // a row the key must tell apart from `row`
  };
  const std::string long_number(40, '9');
  for (const Case& c : {
           Case{
               "another sub-order", {"17", "podzakaz", "100", "2"}, {"17", "podzakaz", "100", "1"}},
           Case{"another type", {"17", "predcheck", "100", ""}, {"17", "zakaz_close", "100", ""}},
           Case{"order keys in other cases",
                {"17", "predcheck", "A1", ""},
                {"17", "predcheck", "a1", ""}},
           Case{"a trailing blank", {"17", "predcheck", "1 ", ""}, {"17", "predcheck", "1", ""}},
           Case{"blanks in another place",
                {"17", "podzakaz", "1 2", ""},
                {"17", "podzakaz", "1", "2"}},
           Case{"numbers too long for the column",
                {"17", "podzakaz", long_number, long_number},
                {"17", "podzakaz", long_number, long_number + "8"}},
       }) {
    SCOPED_TRACE(c.name);
    for (const QueueRow* row : {&c.row, &c.other}) {
      const std::string key = journal_key(*row);
      EXPECT_LE(key.size(), 64u) << key;
      // The journal finds the row by the id before the first blank.
      EXPECT_EQ(key.substr(0, key.find(' ')), row->id) << key;
    }
    EXPECT_NE(folded(journal_key(c.row)), folded(journal_key(c.other)));
  }
}

}  // namespace
}  // namespace talvex::data
