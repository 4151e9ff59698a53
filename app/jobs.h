#pragma once

#include <memory>

#include "tickets/job_context.h"

namespace talvex::app {

// The documents a queued row asks for, by its type. A job prints its documents, marks its row
// printed as its last database step and sets the queue countdown as it goes; a failure is thrown.
class Jobs {
 public:
  virtual ~Jobs() = default;
  virtual void print_order_tickets(tickets::JobContext& job) = 0;
  virtual void print_precheck(tickets::JobContext& job) = 0;
  virtual void print_receipt(tickets::JobContext& job) = 0;
};

// The documents this build prints.
std::unique_ptr<Jobs> service_jobs();

}  // namespace talvex::app
