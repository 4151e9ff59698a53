#include "bench/results.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace talvex::bench {
namespace {

std::string grouped(double value) {
  std::string digits = std::to_string(static_cast<long long>(value + 0.5));
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string ms(double seconds) {
  const double value = seconds * 1000;
  return value >= 100 ? grouped(value) : fixed(value, value >= 10 ? 1 : 2);
}

std::string times(double ratio) {
  return (ratio >= 100 ? grouped(ratio) : fixed(ratio, 1)) + "×";
}

// "9" when every value is 9, "9 (9–10)" when they vary.
std::string counts(const std::vector<double>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::string text = grouped(median(values));
  if (*low != *high)
    text += " (" + grouped(*low) + "–" + grouped(*high) + ")";
  return text;
}

std::string cpu_model() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("model name", 0) == 0)
      return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

double document_seconds(const Measurement& m) {
  return median(each(m.recording, [](const Document& d) { return d.seconds; }));
}

double document_statements(const Measurement& m) {
  return median(each(m.recording, [](const Document& d) { return d.observed; }));
}

double plan_seconds(const Measurement& m) {
  return median(each(m.plans, [](const PlanMeasurement& p) { return p.run.full_seconds(); }));
}

const Measurement& find(const Results& results, Kind kind, int menu_items, int line_span) {
  for (const Measurement& m : results.measurements) {
    if (m.kind->kind == kind && m.menu_items == menu_items && m.line_span == line_span)
      return m;
  }
  throw std::logic_error("no such measurement");
}

void write_notes(std::ostringstream& out, const Results& r) {
  char date[64];
  const std::time_t now = std::time(nullptr);
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  out << "# Talvex documents on a busy evening\n\n"
      << "- Run " << date << " on " << std::thread::hardware_concurrency() << " cores ("
      << cpu_model() << "); load average " << r.load_before << " before, " << r.load_after
      << " after.\n"
      << "- MariaDB " << r.server_version
      << ", a private server over TCP on 127.0.0.1; one connection for our documents, the per-id "
         "plans, the trivial statements and the whole jobs.\n"
      << "- The evening: " << r.orders << " orders of " << r.lines_per_order
      << " lines, each of another menu item, in three sub-orders for BAR, KITCHEN and GRILL, paid "
         "by card and cash with change, every third with a client's discount; a menu of M items; "
         "one order's line ids span S ids.\n"
      << "- Medians of " << r.runs << " jobs on each printer (every document of each job) and of "
      << r.plan_runs << " run(s) of each per-id plan.\n"
      << "- The pre-check's 500 ms pause after each item of its first copy is excluded: the "
         "clock's pause returns at once ("
      << r.pauses_per_precheck << " pauses per job skipped).\n"
      << "- Time per document: from the job's start, or the previous document's end, to the "
         "document's end, the moment the print system has it; on the directory printer that "
         "includes writing its PDF and JSON, also shown apart as output.\n"
      << "- Our CPU: the processor time of the thread that runs the job, the client side of its "
         "statements included, the server's not.\n"
      << "- Statements: the server's Com_select + Com_update (and Questions, less the SHOW that "
         "reads them) read before and after, beside the count of our connection's observer.\n"
      << "- Per-id plan: the single-row reads of a document that visits every menu id, every line "
         "id of the order's range for each menu row and every payment id of the order's range; "
         "for the order ticket BAR's ticket, for the bills the first copy. Only the reads; nothing "
         "is drawn. Where it would send more than "
      << grouped(static_cast<double>(r.plan_budget))
      << " statements, only the first menu ids are run and the rest is extrapolated linearly "
         "(every menu id costs the same here).\n"
      << "- Peak memory: the process's VmHWM, "
      << (r.peak_resets ? "reset before each document kind's jobs"
                        : "since the process started (the reset is not available)")
      << ".\n\n";
}

void write_documents(std::ostringstream& out, const Results& r) {
  out << "## Per document\n\n"
      << "| Document | M | S | Statements, ours (server / observer) | of them the journal's | "
         "Statements, per-id plan | "
         "Fewer | Time, ours, recording printer (ms) | of which our CPU (ms) | Time, ours, "
         "directory printer (ms) | "
         "of which PDF + JSON output (ms) | Time, per-id plan (ms) | Faster | Peak memory (MB) "
         "| Per-id plan run (server / observer statements) |\n"
      << "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|---|\n";
  for (const Measurement& m : r.measurements) {
    const PlanMeasurement& plan = m.plans.front();
    const double plan_statements = plan.run.full_statements();
    const std::string sent = grouped(static_cast<double>(plan.server.com)) + " / " +
                             grouped(static_cast<double>(plan.observed));
    const std::string run = plan.run.sampled() ? "first " + grouped(plan.run.menu_ids_run) +
                                                     " of " + grouped(plan.run.menu_ids) +
                                                     " menu ids (" + sent + "), extrapolated"
                                               : "whole (" + sent + ")";
    out << "| " << m.kind->document << " | " << grouped(m.menu_items) << " | "
        << grouped(m.line_span) << " | "
        << counts(each(m.recording, [](const Document& d) { return d.server.com; })) << " / "
        << counts(each(m.recording, [](const Document& d) { return d.observed; })) << " | "
        << counts(each(m.recording, [](const Document& d) { return d.journal; })) << " | "
        << grouped(plan_statements) << " | " << times(plan_statements / document_statements(m))
        << " | " << ms(document_seconds(m)) << " | "
        << ms(median(each(m.recording, [](const Document& d) { return d.cpu_seconds; }))) << " | "
        << ms(median(each(m.directory, [](const Document& d) { return d.seconds; }))) << " | "
        << ms(median(each(m.directory, [](const Document& d) { return d.output_seconds; })))
        << " | " << ms(plan_seconds(m)) << " | " << times(plan_seconds(m) / document_seconds(m))
        << " | " << fixed(static_cast<double>(m.peak_kib) / 1024, 1) << " | " << run << " |\n";
  }
  out << "\nAn order ticket job prints four tickets (BAR, KITCHEN, GRILL and the control ticket); "
         "its first also carries the job's one read of the printer list. The journal's statements "
         "record each document as handed to its printer and as ended there; without the journal "
         "a document costs as many fewer. Fewer and Faster: per-id plan / ours (time on the "
         "recording printer).\n\n";
}

void write_jobs(std::ostringstream& out, const Results& r) {
  out << "## Whole job, from the queue check to the status update\n\n"
      << "| Job | M | S | Documents | Statements (server / observer) | of them the journal's | "
         "Time, recording printer (ms) | Time, directory printer (ms) |\n"
      << "|---|--:|--:|--:|--:|--:|--:|--:|\n";
  for (const Measurement& m : r.measurements) {
    out << "| " << m.kind->type << " | " << grouped(m.menu_items) << " | " << grouped(m.line_span)
        << " | " << m.kind->documents << " | "
        << counts(each(m.jobs_recording, [](const JobRun& j) { return j.server.com; })) << " / "
        << counts(each(m.jobs_recording, [](const JobRun& j) { return j.observed; })) << " | "
        << counts(each(m.jobs_recording, [](const JobRun& j) { return j.journal; })) << " | "
        << ms(median(each(m.jobs_recording, [](const JobRun& j) { return j.seconds; }))) << " | "
        << ms(median(each(m.jobs_directory, [](const JobRun& j) { return j.seconds; }))) << " |\n";
  }
}

void write_cost(std::ostringstream& out, const Limit& l, const char* what, const Cost& c) {
  out << "| " << grouped(l.menu_items) << " | " << grouped(l.line_span) << " | " << what << " | "
      << grouped(c.statements) << " | " << ms(c.seconds) << " | " << ms(c.trivial_seconds) << " | "
      << fixed(c.seconds / c.trivial_seconds, 2) << " | " << ms(c.statements_seconds) << " | "
      << fixed(c.seconds / c.statements_seconds, 2) << " | " << ms(c.cpu_seconds) << " | "
      << ms(c.statements_cpu_seconds) << " |\n";
}

void write_limits(std::ostringstream& out, const Results& r) {
  out << "\n## Close to the limit: a pre-check against its statements alone\n\n"
      << "A pre-check copy of " << (r.limits.empty() ? 0 : r.limits.front().items)
      << " items on the recording printer (read, fold, lay out; pauses excluded), its whole job "
         "from the queue check to the status update, and the job (both copies and the update) "
         "called 21 times in a row with nothing in between but queueing its row; each against as "
         "many `SELECT 1` round trips as it sends statements, and against its own statements sent "
         "again one after the other with nothing else done; on the same connection, in the same "
         "run. A round trip's time depends on the machine's state (on a virtual machine whose "
         "processors are otherwise idle it can be several times longer, as each reply waits for "
         "one to wake up), and the ratios with it; the time of a SELECT 1 round trip is under "
         "Targets.\n\n"
      << "| M | S | What | Statements | Time (ms) | As many SELECT 1 (ms) | Time / SELECT 1 | Its "
         "statements alone (ms) | Time / its statements | Our CPU (ms) | Our CPU, its statements "
         "alone (ms) |\n"
      << "|--:|--:|---|--:|--:|--:|--:|--:|--:|--:|--:|\n";
  for (const Limit& l : r.limits) {
    write_cost(out, l, "copy", l.copy);
    write_cost(out, l, "whole job", l.job);
    write_cost(out, l, "job, again and again", l.repeated_job);
  }
  out << "\n## Directory printer folder\n\n"
      << "PDF + JSON output of a pre-check copy into a printer folder that holds no document: "
      << ms(r.empty_folder_seconds) << " ms; holding " << grouped(r.full_folder_documents)
      << " documents: " << ms(r.full_folder_seconds)
      << " ms (median of 21). The next number is found by listing the folder.\n";
}

void write_targets(std::ostringstream& out, const Results& r) {
  out << "\n## Targets\n\n";
  const auto verdict = [](bool met) { return met ? "met" : "**not met**"; };
  for (const JobKind& kind : kKinds) {
    // Constant: every M and S gives the same counts per document, with the journal and without.
    std::vector<double> per_document, without_journal, journal, journal_per_job;
    std::set<std::string> shapes;
    for (const Measurement& m : r.measurements) {
      if (m.kind != &kind)
        continue;
      const auto values = each(m.recording, [](const Document& d) { return d.observed; });
      const auto own = each(m.recording, [](const Document& d) { return d.journal; });
      per_document.insert(per_document.end(), values.begin(), values.end());
      journal.insert(journal.end(), own.begin(), own.end());
      for (std::size_t k = 0; k < values.size(); ++k)
        without_journal.push_back(values[k] - own[k]);
      const auto jobs = each(m.jobs_recording, [](const JobRun& j) { return j.journal; });
      journal_per_job.insert(journal_per_job.end(), jobs.begin(), jobs.end());
      shapes.insert(counts(values) + "/" + counts(own));
    }
    const auto highest = [](const std::vector<double>& v) {
      return *std::max_element(v.begin(), v.end());
    };
    const bool exact = kind.kind == Kind::OrderTicket;
    const bool within = exact ? median(without_journal) == kind.statement_limit
                              : highest(without_journal) <= kind.statement_limit;
    out << "- Statements per " << kind.document << ": " << counts(per_document) << " with the "
        << "journal, " << counts(without_journal) << " without it, "
        << (shapes.size() == 1 ? "the same" : "not the same") << " at every M and S (target "
        << (exact ? "" : "at most ") << kind.statement_limit << " without the journal and at most "
        << kJournalPerDocument << " more with it, constant): "
        << verdict(within && highest(journal) <= kJournalPerDocument && shapes.size() == 1)
        << ".\n";
    const double job_limit =
        kJournalPerJob + kJournalPerDocument * static_cast<double>(kind.documents);
    out << "- The journal's statements per " << kind.type << " job of " << kind.documents
        << " documents: " << counts(journal_per_job) << " (target at most " << grouped(job_limit)
        << ": one read and " << kJournalPerDocument
        << " per document): " << verdict(highest(journal_per_job) <= job_limit) << ".\n";

    const Measurement& wide = find(r, kind.kind, 300, 2000);
    const double fewer = wide.plans.front().run.full_statements() / document_statements(wide);
    const double faster = plan_seconds(wide) / document_seconds(wide);
    out << "- " << kind.document << " at M = 300, S = 2,000: " << times(fewer)
        << " fewer statements (target 100×) and " << times(faster)
        << " less time (target 50×) than the per-id plan: " << verdict(fewer >= 100 && faster >= 50)
        << ".\n";

    for (const int line_span : kLineSpans) {
      const double growth = document_seconds(find(r, kind.kind, 3000, line_span)) /
                            document_seconds(find(r, kind.kind, 300, line_span));
      out << "- " << kind.document << " at S = " << grouped(line_span)
          << ": time per document from M = 300 to M = 3,000 ×" << fixed(growth, 2)
          << " (target below ×2): " << verdict(growth < 2) << ".\n";
    }
  }
  for (const Limit& l : r.limits) {
    const double ratio = l.copy.seconds / l.copy.trivial_seconds;
    out << "- Pre-check copy of " << l.items << " items at M = " << grouped(l.menu_items)
        << ", S = " << grouped(l.line_span) << ": ×" << fixed(ratio, 2)
        << " the time of as many SELECT 1 (target within ×2): " << verdict(ratio <= 2)
        << ". Its own statements alone take ×"
        << fixed(l.copy.statements_seconds / l.copy.trivial_seconds, 2)
        << " of SELECT 1; the job called again and again takes ×"
        << fixed(l.repeated_job.seconds / l.repeated_job.trivial_seconds, 2) << " of SELECT 1, ×"
        << fixed(l.repeated_job.seconds / l.repeated_job.statements_seconds, 2)
        << " of its statements. A SELECT 1 round trip took "
        << fixed(l.copy.trivial_seconds / l.copy.statements * 1e6, 0) << " µs.\n";
  }
}

}  // namespace

std::string report(const Results& r) {
  std::ostringstream out;
  write_notes(out, r);
  write_documents(out, r);
  write_jobs(out, r);
  write_limits(out, r);
  write_targets(out, r);
  out << "\n## Counts\n\n";
  if (r.disagreements.empty()) {
    out << "The server's counters and our observer agree on all " << r.checked_counts
        << " documents, jobs and plan runs.\n";
  }
  for (const std::string& d : r.disagreements)
    out << "- They disagree: " << d << "\n";
  return out.str();
}

}  // namespace talvex::bench
