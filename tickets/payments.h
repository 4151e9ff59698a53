#pragma once

#include "data/database.h"
#include "tickets/page.h"

namespace talvex::tickets {

// The payment block of a closing receipt, at the cursor in the size in force: for each payment of
// the order in db.order's current row, in ascending id, "<payment type>: <amount> тг." for a
// positive amount and "Сдача: <amount> тг." with the absolute amount for a negative one (the change
// the front end records); a zero amount prints nothing. Then 30 dots of space, the section
// separator and 30 dots more.
//
// Reads the order's payments with one statement and the payment types of the printed ones with one
// more. An order without payments fails with the integer message for the empty text; an amount
// that is empty or not an integer fails with its text.
void draw_payments(data::Database& db, Page& page);

}  // namespace talvex::tickets
