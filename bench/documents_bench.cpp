// Every document of a busy evening, printed from a private MariaDB server over TCP on loopback,
// side by side with the per-id read plan of the same document, run in the same process through
// the same connection. Writes its tables to standard output and to a Markdown file.
//
//   bench_documents [--runs N] [--plan-runs N] [--plan-budget STATEMENTS] [--out FILE]
#include <stdlib.h>

#include <QGuiApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/journal_keeper.h"
#include "app/print_service.h"
#include "bench/evening.h"
#include "bench/per_id_plan.h"
#include "bench/probes.h"
#include "bench/results.h"
#include "platform/files/directory_print_system.h"
#include "platform/printer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/private_server.h"
#include "tests/support/recording_print_system.h"
#include "tickets/bill.h"
#include "tickets/order_ticket.h"

namespace talvex::bench {
namespace {

namespace fs = std::filesystem;
using data::Sql;

struct Options {
  int runs = 7;              // jobs per measurement of our documents, on each printer
  int plan_runs = 3;         // runs of each per-id plan
  long plan_budget = 40000;  // statements a per-id plan may send in one run before it is sampled
  std::string out = TALVEX_BENCH_RESULTS;
};

// The printers in the order of their `port`: the cash desk, three production points, control.
const std::vector<std::string> kPrinterFolders = {"0-KASSA", "1-BAR", "2-KITCHEN", "3-GRILL",
                                                  "4-CONTROL"};

// Set by Ctrl+C: the benchmark stops before its next job and still stops its server.
volatile std::sig_atomic_t interrupted = 0;

void stop_when_interrupted() {
  if (interrupted)
    throw std::runtime_error("interrupted");
}

// Whether a statement is one of the journal's own: its read, a document handed or ended. The
// statement that marks the row printed marks the journal's lines with it, and counts as the
// status update it replaced.
bool journal_only(const std::string& statement) {
  return statement.find("`talvex_documents`") != std::string::npos &&
         statement.rfind("UPDATE `print`", 0) != 0;
}

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

fs::path make_printer_folders() {
  char pattern[] = "/tmp/talvex-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  for (const std::string& name : kPrinterFolders)
    fs::create_directory(fs::path(pattern) / name);
  return pattern;
}

void (*job_of(Kind kind))(tickets::JobContext&) {
  switch (kind) {
    case Kind::OrderTicket:
      return tickets::print_order_tickets;
    case Kind::Precheck:
      return tickets::print_precheck;
    case Kind::Receipt:
      return tickets::print_receipt;
  }
  throw std::logic_error("unknown kind");
}

const std::string& row_of(Kind kind, const MeasuredOrder& order) {
  switch (kind) {
    case Kind::OrderTicket:
      return order.order_ticket_row;
    case Kind::Precheck:
      return order.precheck_row;
    case Kind::Receipt:
      return order.receipt_row;
  }
  throw std::logic_error("unknown kind");
}

// Samples of a piece of work and of its statements, as many SELECT 1 and sent again alone: see
// Cost.
struct CostSamples {
  std::size_t statements = 0;
  std::vector<double> seconds, cpu_seconds, trivial_seconds, statements_seconds,
      statements_cpu_seconds;

  Cost medians() const {
    return {static_cast<double>(statements),
            median(seconds),
            median(cpu_seconds),
            median(trivial_seconds),
            median(statements_seconds),
            median(statements_cpu_seconds)};
  }
};

// One evening, a menu size M and a line span S, in a database of its own, printed by a print
// service of its own on one connection.
struct Scenario {
  int menu_items = 0;
  int line_span = 0;
  std::unique_ptr<data::Connection> admin;  // fills the database and queues the jobs
  std::unique_ptr<app::PrintService> service;
  MeasuredOrder order;
  std::vector<Measurement> measurements;  // one per kind of job, in the order of kKinds
  // A pre-check copy, the whole pre-check job, and the job run again and again.
  CostSamples copy, job, repeated_job;
};

class Bench {
 public:
  explicit Bench(const Options& options);
  ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  // Every scenario is measured in turn in each round, so that a change in the machine's load
  // spreads over all of them.
  void run();
  void measure_folder_growth();
  Results& finish();

 private:
  void prepare(Scenario& s);
  void measure_round(Scenario& s, int round);
  void queue(Scenario& s, const std::string& row);
  std::vector<Document> print_job(Scenario& s, const JobKind& kind);
  JobRun whole_job(Scenario& s, const JobKind& kind);
  PlanMeasurement per_id_plan(Scenario& s, const JobKind& kind);
  void measure_limits(Scenario& s);
  std::pair<double, double> batch_seconds(data::Connection& c,
                                          const std::vector<std::string>& statements, int batches);
  void empty_printer_folders();
  void check_counts(const std::string& what, std::int64_t observed, const ServerDelta& server);

  Options options_;
  Results results_;
  testing::PrivateServer server_;
  data::Connection counters_;  // reads the server's counters
  fs::path printer_folders_;
  testing::RecordingPrintSystem recording_;
  platform::DirectoryPrintSystem directory_;
  TimedPrintSystem timed_{recording_};
  platform::Printer printer_{timed_};
  testing::FakePanel panel_;
  testing::FakeMessageBox box_;
  testing::FakeClock clock_;  // its pause() returns at once
  std::vector<Scenario> scenarios_;
  std::int64_t sent_ = 0;          // statements the services' connections sent, by their observers
  std::int64_t journal_sent_ = 0;  // of them the journal's own

  // The job being split into documents, and its statements by document.
  bool splitting_ = false;
  bool capturing_ = false;
  std::vector<Document> documents_;
  std::vector<std::pair<std::size_t, std::string>> statements_;
  // The statements of the last pre-check: one copy, the job called directly, the whole job.
  std::vector<std::string> precheck_copy_statements_;
  std::vector<std::string> precheck_direct_statements_;
  std::vector<std::string> precheck_job_statements_;
  std::size_t pages_out_ = 0;
  Stopwatch::time_point segment_start_;
  double segment_cpu_ = 0;
  std::int64_t segment_sent_ = 0;
  std::int64_t segment_journal_ = 0;
  ServerCounts segment_server_;
  platform::PrintedPage precheck_page_;  // a pre-check copy as printed
};

Bench::Bench(const Options& options)
    : options_(options),
      counters_(server_.params("")),
      printer_folders_(make_printer_folders()),
      recording_(kPrinterFolders),
      directory_(printer_folders_) {
  results_.runs = options.runs;
  results_.plan_runs = options.plan_runs;
  results_.plan_budget = options.plan_budget;
  results_.orders = EveningShape{}.orders;
  results_.lines_per_order = EveningShape{}.lines_per_order;
  results_.load_before = load_average();
  results_.server_version = counters_.query("SELECT VERSION()").rows.at(0).at(0);

  timed_.page_ended = [this](double output_seconds, Stopwatch::time_point out) {
    ++pages_out_;
    if (!splitting_)
      return;
    const double cpu = thread_cpu_seconds();
    // The counters are read between two documents, outside the time of either.
    const ServerCounts now = read_server_counts(counters_);
    documents_.push_back({seconds_between(segment_start_, out), cpu - segment_cpu_, output_seconds,
                          sent_ - segment_sent_, journal_sent_ - segment_journal_,
                          now - segment_server_});
    segment_server_ = now;
    segment_sent_ = sent_;
    segment_journal_ = journal_sent_;
    segment_cpu_ = thread_cpu_seconds();
    segment_start_ = Stopwatch::now();
  };
  for (const int menu_items : kMenuSizes) {
    for (const int line_span : kLineSpans) {
      Scenario& s = scenarios_.emplace_back();
      s.menu_items = menu_items;
      s.line_span = line_span;
      prepare(s);
    }
  }
}

Bench::~Bench() {
  std::error_code ignored;
  fs::remove_all(printer_folders_, ignored);
}

void Bench::prepare(Scenario& s) {
  const std::string database =
      "evening_" + std::to_string(s.menu_items) + "_" + std::to_string(s.line_span);
  testing::create_schema_database(server_.params(""), database);
  s.admin = std::make_unique<data::Connection>(server_.params(database));
  s.order = fill_evening(*s.admin, EveningShape{s.menu_items, s.line_span});
  if (s.order.line_span != s.line_span)
    throw std::runtime_error("the order spans " + std::to_string(s.order.line_span) + " line ids");
  std::cerr << "M = " << s.menu_items << ", S = " << s.line_span << ": order " << s.order.order
            << ", " << s.order.concurrent_orders << " orders at a time, payments spanning "
            << s.order.payment_span << " ids\n";

  s.service = std::make_unique<app::PrintService>(
      server_.params(database), app::Services{panel_, printer_, box_, clock_, "Talvex benchmark"});
  s.service->db.connection.set_statement_observer([this](const std::string& statement) {
    ++sent_;
    journal_sent_ += journal_only(statement) ? 1 : 0;
    if (capturing_)
      statements_.push_back({documents_.size(), statement});
  });
  s.service->open_database();
  s.service->load_settings();
  for (const JobKind& kind : kKinds) {
    Measurement& m = s.measurements.emplace_back();
    m.kind = &kind;
    m.menu_items = s.menu_items;
    m.line_span = s.line_span;
  }
}

// The job's row waits, and the queue slot stands on it as the queue check leaves it.
void Bench::queue(Scenario& s, const std::string& row) {
  stop_when_interrupted();
  s.admin->execute(Sql::fixed("UPDATE print SET status='no' WHERE id=" + row));
  s.service->db.queue.reload("select * from print where status='no' ORDER BY id ASC");
}

void Bench::empty_printer_folders() {
  for (const std::string& name : kPrinterFolders) {
    for (const fs::directory_entry& entry : fs::directory_iterator(printer_folders_ / name))
      fs::remove(entry.path());
  }
  recording_.jobs.clear();
}

void Bench::check_counts(const std::string& what, std::int64_t observed,
                         const ServerDelta& server) {
  ++results_.checked_counts;
  if (server.com != observed || server.questions != observed) {
    results_.disagreements.push_back(what + ": observer " + std::to_string(observed) + ", Com_ " +
                                     std::to_string(server.com) + ", Questions " +
                                     std::to_string(server.questions));
  }
}

// Our job, called as the print service calls it, split into its documents.
std::vector<Document> Bench::print_job(Scenario& s, const JobKind& kind) {
  queue(s, row_of(kind.kind, s.order));
  data::Database& db = s.service->db;
  const std::string print_row_id = db.queue.text("id");
  // The job's progress kept in the journal, as the service keeps it.
  const bool journal_kept = true;
  const data::QueueRow row{print_row_id, db.queue.text("type"), db.queue.text("zakaz"),
                           db.queue.text("podzakaz")};
  app::JournalKeeper keeper(db.journal, row, "benchmark", journal_kept,
                            [](const std::function<void()>& statement) { statement(); });
  tickets::JobProgress progress;
  progress.set_place("benchmark", &keeper);
  tickets::JobContext job{db,           printer_, clock_,    s.service->settings,
                          print_row_id, progress, [](int) {}};
  documents_.clear();
  statements_.clear();
  clock_.pauses.clear();
  segment_server_ = read_server_counts(counters_);
  segment_sent_ = sent_;
  segment_journal_ = journal_sent_;
  splitting_ = capturing_ = true;
  segment_cpu_ = thread_cpu_seconds();
  segment_start_ = Stopwatch::now();
  job_of(kind.kind)(job);
  splitting_ = capturing_ = false;

  if (documents_.size() != kind.documents)
    throw std::runtime_error(std::string(kind.type) + " printed " +
                             std::to_string(documents_.size()) + " documents");
  if (kind.kind == Kind::Precheck) {
    results_.pauses_per_precheck = clock_.pauses.size();
    if (!recording_.jobs.empty())
      precheck_page_ = recording_.jobs.front().page;
    precheck_copy_statements_.clear();
    precheck_direct_statements_.clear();
    for (const auto& [document, statement] : statements_) {
      if (document == 1)  // the second copy's
        precheck_copy_statements_.push_back(statement);
      precheck_direct_statements_.push_back(statement);
    }
  }
  empty_printer_folders();
  for (const Document& d : documents_)
    check_counts(kind.document, d.observed, d.server);
  return documents_;
}

// The whole job as the print service runs it: the queue check, the documents, the status update.
JobRun Bench::whole_job(Scenario& s, const JobKind& kind) {
  stop_when_interrupted();
  s.admin->execute(
      Sql::fixed("UPDATE print SET status='no' WHERE id=" + row_of(kind.kind, s.order)));
  const ServerCounts before = read_server_counts(counters_);
  const std::int64_t sent = sent_;
  const std::int64_t journal_sent = journal_sent_;
  pages_out_ = 0;
  statements_.clear();
  capturing_ = true;
  const double cpu = thread_cpu_seconds();
  const Stopwatch::time_point start = Stopwatch::now();
  s.service->check_queue();
  const Stopwatch::time_point end = Stopwatch::now();
  const double cpu_end = thread_cpu_seconds();
  capturing_ = false;
  const JobRun job{seconds_between(start, end),
                   cpu_end - cpu,
                   pages_out_,
                   sent_ - sent,
                   journal_sent_ - journal_sent,
                   read_server_counts(counters_) - before};
  if (job.documents != kind.documents || !box_.shown.empty())
    throw std::runtime_error(std::string("the whole ") + kind.type + " job failed");
  empty_printer_folders();
  check_counts(std::string(kind.type) + " job", job.observed, job.server);
  if (kind.kind == Kind::Precheck) {
    precheck_job_statements_.clear();
    for (const auto& sent_statement : statements_)
      precheck_job_statements_.push_back(sent_statement.second);
  }
  return job;
}

// The document's per-id plan: BAR's ticket of the order ticket job, the bills' first copy.
PlanMeasurement Bench::per_id_plan(Scenario& s, const JobKind& kind) {
  data::Database& db = s.service->db;
  const std::string& row = row_of(kind.kind, s.order);
  queue(s, row);
  if (kind.kind == Kind::OrderTicket)
    db.printers.reload("select * from printers WHERE id='2'");
  const std::string print_row_id = db.queue.text("id");
  const int per_menu_id = s.line_span + (kind.kind == Kind::OrderTicket ? 3 : 1);
  const int limit = std::max(1, static_cast<int>(options_.plan_budget / per_menu_id));

  const ServerCounts before = read_server_counts(counters_);
  const std::int64_t sent = sent_;
  PlanMeasurement plan;
  plan.run =
      kind.kind == Kind::OrderTicket
          ? read_order_ticket_per_id(db, print_row_id, false, limit)
          : read_bill_copy_per_id(db, print_row_id, "KASSA", kind.kind == Kind::Receipt, limit);
  plan.observed = sent_ - sent;
  plan.server = read_server_counts(counters_) - before;
  s.admin->execute(Sql::fixed("UPDATE print SET status='yes' WHERE id=" + row));
  check_counts(std::string(kind.document) + " per-id plan", plan.observed, plan.server);
  if (plan.observed != plan.run.statements)
    throw std::runtime_error("the per-id plan miscounted its statements");
  return plan;
}

// The median time, and processor time, of sending `statements` one after the other.
std::pair<double, double> Bench::batch_seconds(data::Connection& c,
                                               const std::vector<std::string>& statements,
                                               int batches) {
  std::vector<double> wall, cpu;
  for (int b = 0; b < batches; ++b) {
    const double cpu_start = thread_cpu_seconds();
    const Stopwatch::time_point start = Stopwatch::now();
    for (const std::string& statement : statements)
      c.query(Sql::fixed(statement));
    wall.push_back(seconds_between(start, Stopwatch::now()));
    cpu.push_back(thread_cpu_seconds() - cpu_start);
  }
  return {median(wall), median(cpu)};
}

// The pre-check job called again and again on the recording printer, with nothing in between but
// queueing its row; then the statements of the last copy, direct job and whole job as many
// SELECT 1 and sent again alone, right after the jobs that sent them.
void Bench::measure_limits(Scenario& s) {
  const JobKind& precheck = job_kind(Kind::Precheck);
  data::Database& db = s.service->db;
  timed_.use(recording_);
  std::vector<double> seconds, cpu_seconds;
  for (int r = 0; r < 21; ++r) {
    queue(s, row_of(precheck.kind, s.order));
    const std::string print_row_id = db.queue.text("id");
    tickets::JobProgress progress;
    tickets::JobContext job{db,           printer_, clock_,    s.service->settings,
                            print_row_id, progress, [](int) {}};
    const double cpu = thread_cpu_seconds();
    const Stopwatch::time_point start = Stopwatch::now();
    job_of(precheck.kind)(job);
    seconds.push_back(seconds_between(start, Stopwatch::now()));
    cpu_seconds.push_back(thread_cpu_seconds() - cpu);
    recording_.jobs.clear();
  }
  s.repeated_job.seconds.push_back(median(seconds));
  s.repeated_job.cpu_seconds.push_back(median(cpu_seconds));

  constexpr int kBatches = 21;
  const auto against_statements = [&](const std::vector<std::string>& statements,
                                      CostSamples& samples) {
    samples.statements = statements.size();
    samples.trivial_seconds.push_back(
        batch_seconds(db.connection, std::vector<std::string>(statements.size(), "SELECT 1"),
                      kBatches)
            .first);
    const auto [alone, alone_cpu] = batch_seconds(db.connection, statements, kBatches);
    samples.statements_seconds.push_back(alone);
    samples.statements_cpu_seconds.push_back(alone_cpu);
  };
  against_statements(precheck_copy_statements_, s.copy);
  against_statements(precheck_job_statements_, s.job);
  against_statements(precheck_direct_statements_, s.repeated_job);
}

void Bench::measure_round(Scenario& s, int round) {
  const bool warming = round < 0;  // caches, fonts and the PDF writer
  for (std::size_t k = 0; k < std::size(kKinds); ++k) {
    const JobKind& kind = kKinds[k];
    Measurement& m = s.measurements[k];
    results_.peak_resets = reset_peak_memory() && results_.peak_resets;
    timed_.use(recording_);
    const std::vector<Document> recorded = print_job(s, kind);
    const JobRun recorded_job = whole_job(s, kind);
    timed_.use(directory_);
    const std::vector<Document> written = print_job(s, kind);
    const JobRun written_job = whole_job(s, kind);
    if (warming)
      continue;
    m.peak_kib = std::max(m.peak_kib, peak_memory_kib());
    m.recording.insert(m.recording.end(), recorded.begin(), recorded.end());
    m.directory.insert(m.directory.end(), written.begin(), written.end());
    m.jobs_recording.push_back(recorded_job);
    m.jobs_directory.push_back(written_job);
    if (kind.kind == Kind::Precheck) {
      for (const Document& d : recorded) {
        s.copy.seconds.push_back(d.seconds);
        s.copy.cpu_seconds.push_back(d.cpu_seconds);
      }
      s.job.seconds.push_back(recorded_job.seconds);
      s.job.cpu_seconds.push_back(recorded_job.cpu_seconds);
      measure_limits(s);
    }
    if (round < options_.plan_runs)
      m.plans.push_back(per_id_plan(s, kind));
  }
}

void Bench::run() {
  for (int round = -1; round < options_.runs; ++round) {
    for (Scenario& s : scenarios_)
      measure_round(s, round);
  }
}

// A busy evening leaves its documents in the printer folders, and each new one is numbered after
// a look at every name there.
void Bench::measure_folder_growth() {
  const fs::path folder = printer_folders_ / kPrinterFolders[0];
  const auto output_seconds = [&](int documents) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "%06d", documents + 1);
    std::vector<double> out;
    for (int r = 0; r < 21; ++r) {
      const Stopwatch::time_point start = Stopwatch::now();
      directory_.print(0, precheck_page_);
      out.push_back(seconds_between(start, Stopwatch::now()));
      fs::remove(folder / (std::string(stem) + ".pdf"));
      fs::remove(folder / (std::string(stem) + ".json"));
    }
    return median(out);
  };
  empty_printer_folders();
  results_.empty_folder_seconds = output_seconds(0);
  results_.full_folder_documents = 2000;
  for (int n = 1; n <= results_.full_folder_documents; ++n) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "%06d", n);
    std::ofstream(folder / (std::string(stem) + ".pdf"));
    std::ofstream(folder / (std::string(stem) + ".json"));
  }
  results_.full_folder_seconds = output_seconds(results_.full_folder_documents);
  empty_printer_folders();
}

Results& Bench::finish() {
  results_.load_after = load_average();
  for (const Scenario& s : scenarios_) {
    results_.measurements.insert(results_.measurements.end(), s.measurements.begin(),
                                 s.measurements.end());
    Limit l;
    l.menu_items = s.menu_items;
    l.line_span = s.line_span;
    l.items = results_.pauses_per_precheck;
    l.copy = s.copy.medians();
    l.job = s.job.medians();
    l.repeated_job = s.repeated_job.medians();
    results_.limits.push_back(l);
  }
  return results_;
}

Options parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) {
      throw std::invalid_argument(
          "usage: bench_documents [--runs N] [--plan-runs N] [--plan-budget STATEMENTS] "
          "[--out FILE]");
    }
    const std::string value = argv[i + 1];
    if (option == "--runs")
      options.runs = std::stoi(value);
    else if (option == "--plan-runs")
      options.plan_runs = std::stoi(value);
    else if (option == "--plan-budget")
      options.plan_budget = std::stol(value);
    else if (option == "--out")
      options.out = value;
    else
      throw std::invalid_argument("unknown option " + option);
  }
  if (options.runs < 1 || options.plan_runs < 1 || options.plan_budget < 1)
    throw std::invalid_argument("the runs and the budget must be 1 or more");
  return options;
}

}  // namespace
}  // namespace talvex::bench

int main(int argc, char** argv) {
  using namespace talvex::bench;
  setenv("TALVEX_SOURCE_DIR", TALVEX_SOURCE_DIR, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_QPA_OFFSCREEN_NO_GLX", "1", 0);
  std::signal(SIGINT, [](int) { interrupted = 1; });
  std::signal(SIGTERM, [](int) { interrupted = 1; });
  try {
    const Options options = parse_options(argc, argv);
    int qt_argc = 1;
    QGuiApplication application(qt_argc, argv);
    Bench bench(options);
    bench.run();
    bench.measure_folder_growth();
    const std::string text = report(bench.finish());
    std::cout << text;
    std::ofstream(options.out) << text;
    std::cerr << "Written to " << options.out << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "bench_documents: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}
