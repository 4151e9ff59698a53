#pragma once

#include "tickets/job_context.h"

namespace talvex::tickets {

// The "podzakaz" job: for the queued sub-order, one ticket titled "Заказ" on every production
// printer that makes some of its lines, in ascending printer id, each listing that printer's items
// with their summed quantities; with control_printer "1", a control ticket listing every line on
// the "CONTROL" row's printer. Then the queue row is marked printed, also when no ticket was due.
// Tickets already printed by an earlier, failed attempt of the job are not printed again.
void print_order_tickets(JobContext& job);

}  // namespace talvex::tickets
