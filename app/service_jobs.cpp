#include <stdexcept>

#include "app/jobs.h"
#include "tickets/order_ticket.h"

namespace talvex::app {
namespace {

class ServiceJobs final : public Jobs {
 public:
  void podzakaz(tickets::JobContext& job) override { tickets::print_order_tickets(job); }
  void predcheck(tickets::JobContext&) override {
    throw std::runtime_error("Pre-checks are not available in this build");
  }
  void zakaz_close(tickets::JobContext&) override {
    throw std::runtime_error("Closing receipts are not available in this build");
  }
};

}  // namespace

std::unique_ptr<Jobs> service_jobs() {
  return std::make_unique<ServiceJobs>();
}

}  // namespace talvex::app
