#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/per_id_plan.h"
#include "bench/probes.h"
#include "bench/statement_limits.h"

namespace talvex::bench {

enum class Kind { OrderTicket, Precheck, Receipt };

// A job of the measured order and the documents it prints.
struct JobKind {
  Kind kind;
  const char* type;        // the queue row's type
  const char* document;    // one of its documents
  std::size_t documents;   // per job
  double statement_limit;  // per document, the journal's statements left out: exactly this many
                           // for the order ticket, at most for the bills
};

// The order ticket job prints on BAR, KITCHEN and GRILL and the control ticket; the bills print
// two copies.
inline constexpr JobKind kKinds[] = {
    {Kind::OrderTicket, "podzakaz", "order ticket", 4, kOrderTicketStatements},
    {Kind::Precheck, "predcheck", "pre-check copy", 2, kPrecheckCopyStatements},
    {Kind::Receipt, "zakaz_close", "receipt copy", 2, kReceiptCopyStatements},
};

inline const JobKind& job_kind(Kind kind) {
  for (const JobKind& k : kKinds) {
    if (k.kind == kind)
      return k;
  }
  return kKinds[0];
}

inline constexpr int kMenuSizes[] = {300, 3000};
inline constexpr int kLineSpans[] = {20, 2000};

// A document as it came out: the time since its job started or the job's previous document came
// out, the part of it spent in the print system's output, and the statements sent meanwhile.
struct Document {
  double seconds = 0;
  double cpu_seconds = 0;  // of the benchmark's thread, which runs the job
  double output_seconds = 0;
  std::int64_t observed = 0;
  std::int64_t journal = 0;  // of them the journal's own
  ServerDelta server;
};

// A whole job, from the queue check to the status update.
struct JobRun {
  double seconds = 0;
  double cpu_seconds = 0;
  std::size_t documents = 0;
  std::int64_t observed = 0;
  std::int64_t journal = 0;  // of them the journal's own
  ServerDelta server;
};

struct PlanMeasurement {
  PlanRun run;
  std::int64_t observed = 0;
  ServerDelta server;
};

// One kind of document at one menu size M and line span S.
struct Measurement {
  const JobKind* kind = nullptr;
  int menu_items = 0;
  int line_span = 0;
  std::vector<Document> recording, directory;
  std::vector<JobRun> jobs_recording, jobs_directory;
  std::vector<PlanMeasurement> plans;
  long peak_kib = 0;  // while our jobs ran
};

// Time against the same number of trivial statements' round trips, and against the same
// statements sent again without anything else.
struct Cost {
  double statements = 0;
  double seconds = 0;
  double cpu_seconds = 0;
  double trivial_seconds = 0;
  double statements_seconds = 0;
  double statements_cpu_seconds = 0;
};

// A pre-check copy; its whole job from the queue check to the status update; and the job called
// again and again, with nothing in between but queueing its row.
struct Limit {
  int menu_items = 0;
  int line_span = 0;
  std::size_t items = 0;
  Cost copy;
  Cost job;
  Cost repeated_job;
};

struct Results {
  // How the run went.
  int runs = 0;
  int plan_runs = 0;
  long plan_budget = 0;
  int orders = 0;
  int lines_per_order = 0;
  std::string load_before, load_after;
  std::string server_version;
  bool peak_resets = true;
  std::size_t pauses_per_precheck = 0;

  std::vector<Measurement> measurements;
  std::vector<Limit> limits;
  // Output of a pre-check copy into a printer folder without documents and with many.
  double empty_folder_seconds = 0;
  double full_folder_seconds = 0;
  int full_folder_documents = 0;
  // The server's counters against our observer.
  std::size_t checked_counts = 0;
  std::vector<std::string> disagreements;
};

// The results as Markdown: the tables, the targets met or not, how the counts agreed.
std::string report(const Results& results);

}  // namespace talvex::bench
