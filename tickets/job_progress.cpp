#include "tickets/job_progress.h"

#include <cstdio>
#include <random>
#include <utility>

namespace talvex::tickets {
std::string random_tag() {
  static std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

void JobProgress::set_place(std::string computer, ProgressKeeper* keeper) {
  computer_ = std::move(computer);
  keeper_ = keeper;
}

void JobProgress::restore(const std::string& document, DocumentRecord record) {
  records_[document] = std::move(record);
}

NextStep JobProgress::next(const std::string& document, platform::Printer& printer) {
  const auto found = records_.find(document);
  if (found == records_.end())
    return NextStep::Print;
  DocumentRecord& record = found->second;
  if (record.ended)
    return NextStep::Skip;
  if (record.computer != computer_)
    return NextStep::PrintAsRepeat;
  switch (printer.find_document(record.printer, record.identity)) {
    case platform::DocumentPresence::Found:
      ended(document, {});
      return NextStep::Skip;
    case platform::DocumentPresence::NotFound:
      return NextStep::Print;
    case platform::DocumentPresence::CannotTell:
      break;
  }
  return NextStep::PrintAsRepeat;
}

std::string JobProgress::handing(const std::string& document, const std::string& printer_name,
                                 std::int32_t discount) {
  DocumentRecord record{false, computer_, printer_name, random_tag(), discount};
  if (keeper_ != nullptr)
    keeper_->handed(document, record);
  std::string identity = record.identity;
  records_[document] = std::move(record);
  return identity;
}

void JobProgress::ended(const std::string& document, const std::string& spooler_job) {
  if (keeper_ != nullptr)
    keeper_->ended(document, spooler_job);
  records_[document].ended = true;
}

void JobProgress::refused(const std::string& document) noexcept {
  records_.erase(document);
  if (keeper_ == nullptr)
    return;
  try {
    keeper_->refused(document);
  } catch (...) {
    // Left as handed, the document is looked up on its printer before the next try.
  }
}

std::int32_t JobProgress::discount_of(const std::string& document) const {
  const auto found = records_.find(document);
  return found == records_.end() ? 0 : found->second.discount;
}

}  // namespace talvex::tickets
