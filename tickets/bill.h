#pragma once

#include "tickets/job_context.h"

namespace talvex::tickets {

// The bills of an order: the pre-check handed to the guests before they pay and the closing
// receipt after. Both list the order's items folded per menu item with the order sum, the service
// charge of the table, the client's discount and the amount due; the receipt adds the payments.
// Both are titled "Предчек не cвернутый" (its "c" is Latin). Each job prints one copy on the
// "KASSA" printer and, when control_printer is exactly "1", a second copy from fresh reads (the
// pre-check on "KASSA" again, the receipt on "CONTROL"), then marks its queue row printed. A copy
// that came out in an earlier, failed attempt of the job is not printed again.

// The "predcheck" job. Its first copy pauses 500 ms after each item line and leaves 30 dots of
// space before the footer.
void print_precheck(JobContext& job);

// The "zakaz_close" job.
void print_receipt(JobContext& job);

}  // namespace talvex::tickets
