#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/printer.h"

namespace talvex::tickets {

// What is known of one document of a job: handed to a printer (it may or may not have come out)
// or ended there; on which computer and printer, under which identity, with which discount.
struct DocumentRecord {
  bool ended = false;
  std::string computer;
  std::string printer;
  std::string identity;
  std::int32_t discount = 0;
};

// Where a job's progress is kept beyond this process, so that any service that retries the job
// knows it: the database's journal. Each call either keeps the record or throws.
class ProgressKeeper {
 public:
  virtual ~ProgressKeeper() = default;
  // False once the keeper has found that it cannot keep anything.
  virtual bool keeping() const = 0;
  virtual void handed(const std::string& document, const DocumentRecord& record) = 0;
  virtual void ended(const std::string& document, const std::string& spooler_job) = 0;
  // The printer refused the document: nothing of it came out.
  virtual void refused(const std::string& document) = 0;
  // Marks the job's queue row printed and closes what is kept of it, in one statement. Its failure
  // is the job's, whatever it is.
  virtual void mark_printed() = 0;
};

// 64 random bits in hex, different in every process and every call.
std::string random_tag();

// What a job does with one of its documents now.
enum class NextStep {
  Print,
  PrintAsRepeat,  // printed under the line "ПОВТОР": an earlier copy may have come out
  Skip,           // it came out already
};

// The documents of one queued job that have been handed to a printer or have come out, by name
// ("ticket on printer 4", "first copy"). A job that fails is tried again later and asks next()
// for each document, so a retry prints only what did not come out.
class JobProgress {
 public:
  // This computer's name, and where the progress is also kept (none: this process only).
  void set_place(std::string computer, ProgressKeeper* keeper);
  // A record read back from where the progress is kept.
  void restore(const std::string& document, DocumentRecord record);

  // An ended document is skipped. A handed one is uncertain: this computer asks the printer it was
  // handed to, and skips it when the printer's records hold it (noting it ended) or prints it when
  // they do not; a document handed on another computer, or one the printer cannot tell about, is
  // printed as a possible repeat. Any other document is printed.
  NextStep next(const std::string& document, platform::Printer& printer);
  // Notes that `document` is handed to `printer_name` now and returns the identity it goes with.
  std::string handing(const std::string& document, const std::string& printer_name,
                      std::int32_t discount);
  void ended(const std::string& document, const std::string& spooler_job);
  // The printer refused the document, so it certainly did not come out: the next try prints it
  // without asking. Never throws; the refusal is the failure that counts.
  void refused(const std::string& document) noexcept;

  // Whether the progress is kept beyond this process.
  bool kept() const { return keeper_ != nullptr && keeper_->keeping(); }
  // Marks the row printed where the progress is kept(); throws what the keeper throws.
  void mark_printed() { keeper_->mark_printed(); }
  // The discount a bill's copy was printed with, which the next copy carries on when this one is
  // not printed again.
  std::int32_t discount_of(const std::string& document) const;

 private:
  std::string computer_;
  ProgressKeeper* keeper_ = nullptr;
  std::map<std::string, DocumentRecord> records_;
};

}  // namespace talvex::tickets
