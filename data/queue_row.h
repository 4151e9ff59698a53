#pragma once

#include <string>

namespace talvex::data {

// A `print` row as a job found it when it began: its id and what it asks for.
struct QueueRow {
  std::string id;
  std::string type;
  std::string zakaz;
  std::string podzakaz;
};

// What the journal keeps a row's lines under. Not the id alone: a front end that empties `print`
// starts its ids again, and a new row with an old id, or a row the front end rewrote, must not
// inherit what an earlier row printed. The key starts with the id and a blank (the journal finds
// the row by it), then names what the row asks for: "17 podzakaz 100 2" where the order and
// sub-order are plain numbers, as front ends write them, and the whole fits the journal's 64
// characters; else "17 #" and 16 hexadecimal digits of a hash of the type, order and sub-order, so
// that any text keeps the key short and tells apart what the table's collation would fold
// together (case, trailing blanks).
std::string journal_key(const QueueRow& row);

}  // namespace talvex::data
