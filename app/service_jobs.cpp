#include "app/jobs.h"
#include "tickets/bill.h"
#include "tickets/order_ticket.h"

namespace talvex::app {
namespace {

class ServiceJobs final : public Jobs {
 public:
  void print_order_tickets(tickets::JobContext& job) override { tickets::print_order_tickets(job); }
  void print_precheck(tickets::JobContext& job) override { tickets::print_precheck(job); }
  void print_receipt(tickets::JobContext& job) override { tickets::print_receipt(job); }
};

}  // namespace

std::unique_ptr<Jobs> service_jobs() {
  return std::make_unique<ServiceJobs>();
}

}  // namespace talvex::app
