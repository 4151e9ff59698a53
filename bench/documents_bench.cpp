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
#include <iostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

class Bench {
 public:
  explicit Bench(const Options& options);
  ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  void run(int menu_items, int line_span);
  void measure_folder_growth();
  Results& finish();

 private:
  void queue(const std::string& row);
  std::vector<Document> print_job(const JobKind& kind, const std::string& row);
  JobRun whole_job(const JobKind& kind, const std::string& row);
  PlanMeasurement per_id_plan(const JobKind& kind, const std::string& row, int line_span);
  Cost cost(const std::vector<std::string>& statements, double seconds, double cpu_seconds);
  Limit limit(const Measurement& precheck);
  std::pair<double, double> batch_seconds(const std::vector<std::string>& statements);
  void empty_printer_folders();
  void check_counts(const std::string& what, std::int64_t observed, const ServerDelta& server);

  Options options_;
  Results results_;
  testing::PrivateServer server_;
  data::Connection admin_;     // fills the database and queues the jobs
  data::Connection counters_;  // reads the server's counters
  fs::path printer_folders_;
  testing::RecordingPrintSystem recording_;
  platform::DirectoryPrintSystem directory_;
  TimedPrintSystem timed_{recording_};
  platform::Printer printer_{timed_};
  testing::FakePanel panel_;
  testing::FakeMessageBox box_;
  testing::FakeClock clock_;  // its pause() returns at once
  app::PrintService service_;
  std::int64_t sent_ = 0;  // statements the service's connection sent, by its observer

  // The job being split into documents, and its statements by document.
  bool splitting_ = false;
  bool capturing_ = false;
  std::vector<Document> documents_;
  std::vector<std::pair<std::size_t, std::string>> statements_;
  // The statements of the last pre-check copy and of the last whole pre-check job.
  std::vector<std::string> precheck_copy_statements_;
  std::vector<std::string> precheck_job_statements_;
  std::size_t pages_out_ = 0;
  Stopwatch::time_point segment_start_;
  double segment_cpu_ = 0;
  std::int64_t segment_sent_ = 0;
  ServerCounts segment_server_;
  platform::PrintedPage precheck_page_;  // a pre-check copy as printed
};

Bench::Bench(const Options& options)
    : options_(options),
      admin_(server_.params("screen")),
      counters_(server_.params("")),
      printer_folders_(make_printer_folders()),
      recording_(kPrinterFolders),
      directory_(printer_folders_),
      service_(server_.params("screen"),
               app::Services{panel_, printer_, box_, clock_, "Talvex benchmark"}) {
  results_.runs = options.runs;
  results_.plan_runs = options.plan_runs;
  results_.plan_budget = options.plan_budget;
  results_.orders = EveningShape{}.orders;
  results_.lines_per_order = EveningShape{}.lines_per_order;
  results_.load_before = load_average();

  testing::create_schema_database(server_.params(""), "screen");
  results_.server_version = admin_.query("SELECT VERSION()").rows.at(0).at(0);
  service_.db.connection.set_statement_observer([this](const std::string& statement) {
    ++sent_;
    if (capturing_)
      statements_.push_back({documents_.size(), statement});
  });
  service_.open_database();
  timed_.page_ended = [this](double output_seconds, Stopwatch::time_point out) {
    ++pages_out_;
    if (!splitting_)
      return;
    const double cpu = thread_cpu_seconds();
    // The counters are read between two documents, outside the time of either.
    const ServerCounts now = read_server_counts(counters_);
    documents_.push_back({seconds_between(segment_start_, out), cpu - segment_cpu_, output_seconds,
                          sent_ - segment_sent_, now - segment_server_});
    segment_server_ = now;
    segment_sent_ = sent_;
    segment_cpu_ = thread_cpu_seconds();
    segment_start_ = Stopwatch::now();
  };
}

Bench::~Bench() {
  std::error_code ignored;
  fs::remove_all(printer_folders_, ignored);
}

// The job's row waits, and the queue slot stands on it as the queue check leaves it.
void Bench::queue(const std::string& row) {
  stop_when_interrupted();
  admin_.execute(Sql::fixed("UPDATE print SET status='no' WHERE id=" + row));
  service_.db.queue.reload("select * from print where status='no' ORDER BY id ASC");
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
std::vector<Document> Bench::print_job(const JobKind& kind, const std::string& row) {
  queue(row);
  const std::string print_id = service_.db.queue.text("id");
  tickets::JobProgress progress;
  tickets::JobContext job{service_.db, printer_, clock_,    service_.settings,
                          print_id,    progress, [](int) {}};
  documents_.clear();
  statements_.clear();
  clock_.pauses.clear();
  segment_server_ = read_server_counts(counters_);
  segment_sent_ = sent_;
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
    // The second copy's.
    precheck_copy_statements_.clear();
    for (const auto& [document, statement] : statements_) {
      if (document == 1)
        precheck_copy_statements_.push_back(statement);
    }
  }
  empty_printer_folders();
  for (const Document& d : documents_)
    check_counts(kind.document, d.observed, d.server);
  return documents_;
}

// The whole job as the print service runs it: the queue check, the documents, the status update.
JobRun Bench::whole_job(const JobKind& kind, const std::string& row) {
  stop_when_interrupted();
  admin_.execute(Sql::fixed("UPDATE print SET status='no' WHERE id=" + row));
  const ServerCounts before = read_server_counts(counters_);
  const std::int64_t sent = sent_;
  pages_out_ = 0;
  statements_.clear();
  capturing_ = true;
  const double cpu = thread_cpu_seconds();
  const Stopwatch::time_point start = Stopwatch::now();
  service_.check_queue();
  const Stopwatch::time_point end = Stopwatch::now();
  const double cpu_end = thread_cpu_seconds();
  capturing_ = false;
  const JobRun job{seconds_between(start, end), cpu_end - cpu, pages_out_, sent_ - sent,
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
PlanMeasurement Bench::per_id_plan(const JobKind& kind, const std::string& row, int line_span) {
  data::Database& db = service_.db;
  queue(row);
  if (kind.kind == Kind::OrderTicket)
    db.printers.reload("select * from printers WHERE id='2'");
  const std::string print_id = db.queue.text("id");
  const int per_menu_id = line_span + (kind.kind == Kind::OrderTicket ? 3 : 1);
  const int limit = std::max(1, static_cast<int>(options_.plan_budget / per_menu_id));

  const ServerCounts before = read_server_counts(counters_);
  const std::int64_t sent = sent_;
  PlanMeasurement plan;
  plan.run = kind.kind == Kind::OrderTicket
                 ? read_order_ticket_per_id(db, print_id, false, limit)
                 : read_bill_copy_per_id(db, print_id, "KASSA", kind.kind == Kind::Receipt, limit);
  plan.observed = sent_ - sent;
  plan.server = read_server_counts(counters_) - before;
  admin_.execute(Sql::fixed("UPDATE print SET status='yes' WHERE id=" + row));
  check_counts(std::string(kind.document) + " per-id plan", plan.observed, plan.server);
  if (plan.observed != plan.run.statements)
    throw std::runtime_error("the per-id plan miscounted its statements");
  return plan;
}

// The median time, and processor time, of sending `statements` one after the other.
std::pair<double, double> Bench::batch_seconds(const std::vector<std::string>& statements) {
  std::vector<double> wall, cpu;
  for (int b = 0; b < 101; ++b) {
    const double cpu_start = thread_cpu_seconds();
    const Stopwatch::time_point start = Stopwatch::now();
    for (const std::string& statement : statements)
      service_.db.connection.query(Sql::fixed(statement));
    wall.push_back(seconds_between(start, Stopwatch::now()));
    cpu.push_back(thread_cpu_seconds() - cpu_start);
  }
  return {median(wall), median(cpu)};
}

Cost Bench::cost(const std::vector<std::string>& statements, double seconds, double cpu_seconds) {
  Cost c;
  c.statements = static_cast<double>(statements.size());
  c.seconds = seconds;
  c.cpu_seconds = cpu_seconds;
  c.trivial_seconds = batch_seconds(std::vector<std::string>(statements.size(), "SELECT 1")).first;
  std::tie(c.statements_seconds, c.statements_cpu_seconds) = batch_seconds(statements);
  return c;
}

Limit Bench::limit(const Measurement& precheck) {
  Limit l;
  l.menu_items = precheck.menu_items;
  l.line_span = precheck.line_span;
  l.items = results_.pauses_per_precheck;
  std::vector<double> copies, copies_cpu, jobs, jobs_cpu;
  for (const Document& d : precheck.recording) {
    copies.push_back(d.seconds);
    copies_cpu.push_back(d.cpu_seconds);
  }
  for (const JobRun& j : precheck.jobs_recording) {
    jobs.push_back(j.seconds);
    jobs_cpu.push_back(j.cpu_seconds);
  }
  l.copy = cost(precheck_copy_statements_, median(copies), median(copies_cpu));
  l.job = cost(precheck_job_statements_, median(jobs), median(jobs_cpu));
  return l;
}

void Bench::run(int menu_items, int line_span) {
  const MeasuredOrder order = fill_evening(admin_, EveningShape{menu_items, line_span});
  if (order.line_span != line_span)
    throw std::runtime_error("the order spans " + std::to_string(order.line_span) + " line ids");
  service_.load_settings();
  std::cerr << "M = " << menu_items << ", S = " << line_span << ": order " << order.order << ", "
            << order.concurrent_orders << " orders at a time, payments spanning "
            << order.payment_span << " ids\n";

  for (const JobKind& kind : kKinds) {
    const std::string& row = row_of(kind.kind, order);
    // Warm the caches, the fonts and the PDF writer first.
    timed_.use(directory_);
    print_job(kind, row);
    timed_.use(recording_);
    print_job(kind, row);

    Measurement m;
    m.kind = &kind;
    m.menu_items = menu_items;
    m.line_span = line_span;
    results_.peak_resets = reset_peak_memory() && results_.peak_resets;
    for (int r = 0; r < options_.runs; ++r) {
      timed_.use(recording_);
      for (const Document& d : print_job(kind, row))
        m.recording.push_back(d);
      m.jobs_recording.push_back(whole_job(kind, row));
      timed_.use(directory_);
      for (const Document& d : print_job(kind, row))
        m.directory.push_back(d);
      m.jobs_directory.push_back(whole_job(kind, row));
    }
    m.peak_kib = peak_memory_kib();
    for (int r = 0; r < options_.plan_runs; ++r)
      m.plans.push_back(per_id_plan(kind, row, line_span));
    results_.measurements.push_back(m);
    if (kind.kind == Kind::Precheck)
      results_.limits.push_back(limit(m));
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
    for (const int menu_items : kMenuSizes) {
      for (const int line_span : kLineSpans)
        bench.run(menu_items, line_span);
    }
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
