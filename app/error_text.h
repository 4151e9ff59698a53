#pragma once

#include <exception>
#include <string>

namespace talvex::app {

// The text of the error box for a failure: the innermost non-empty message of a failure that
// wraps others, with a full stop appended when the text is not empty and its last character
// comes after the full stop in the character table (a letter, a digit or a colon does; a full
// stop, a space, "!" or ")" does not).
std::string error_box_text(const std::exception& failure);
std::string error_box_text(std::string message);

// The message, shown once, when the journal of documents cannot be kept: the server's reason and
// what it means for the staff.
std::string journal_lost_text(const std::string& reason);
// What the queue line adds while the journal is not kept.
inline constexpr const char* kNoJournalNote = "Журнал печати не ведётся";

}  // namespace talvex::app
