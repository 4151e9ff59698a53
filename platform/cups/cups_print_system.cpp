#include "platform/cups/cups_print_system.h"

#include <cups/cups.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "platform/escpos/escpos_raster.h"
#include "platform/escpos/receipt_options.h"
#include "platform/qt/page_renderer.h"

namespace talvex::platform {
namespace {

constexpr int kDefaultDpi = 203;

// The job attribute that carries a document's identity: kept with the job, in its history too,
// and shown by no ordinary tool, unlike the title.
constexpr const char* kDocumentAttribute = "talvex-document";
// What CUPS calls a queue without a driver, which passes every job to the device as it comes.
constexpr std::string_view kRawMakeAndModel = "Local Raw Printer";

struct Dests {
  int count = 0;
  cups_dest_t* list = nullptr;
  Dests() { count = cupsGetDests(&list); }
  ~Dests() { cupsFreeDests(count, list); }
  Dests(const Dests&) = delete;
  Dests& operator=(const Dests&) = delete;
};

struct DestDeleter {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;

struct DestInfoDeleter {
  void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

// The queue's full name: an instance is written queue/instance.
std::string full_name(const cups_dest_t& dest) {
  std::string name = dest.name;
  if (dest.instance != nullptr)
    name += std::string("/") + dest.instance;
  return name;
}

std::string queue_of(const std::string& full) {
  return full.substr(0, full.find('/'));
}

DestPtr named_dest(const std::string& full) {
  const std::size_t slash = full.find('/');
  const std::string queue = full.substr(0, slash);
  const std::string instance = slash == std::string::npos ? std::string() : full.substr(slash + 1);
  return DestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(),
                                  instance.empty() ? nullptr : instance.c_str()));
}

int vertical_dpi(cups_dest_t* dest) {
  const std::unique_ptr<cups_dinfo_t, DestInfoDeleter> info(
      cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest));
  if (!info)
    return kDefaultDpi;
  ipp_attribute_t* resolution =
      cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info.get(), "printer-resolution");
  if (resolution == nullptr)
    return kDefaultDpi;
  int y = 0;
  ipp_res_t units = IPP_RES_PER_INCH;
  ippGetResolution(resolution, 0, &y, &units);
  const int dpi = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(y * 2.54)) : y;
  return dpi > 0 ? dpi : kDefaultDpi;
}

// How a queue wants its pages: ESC/POS raster for a queue without a driver (a receipt printer set
// up raw), PDF for one with a driver, unless its talvex-format option says otherwise, on the roll
// its talvex-roll option names. Options of our own are set with `lpadmin -p QUEUE -o
// talvex-...-default=VALUE`; CUPS hands them to clients without the -default suffix.
escpos::ReceiptSetup queue_setup(const cups_dest_t& dest) {
  const auto option = [&](const char* name) -> std::optional<std::string> {
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> model = option("printer-make-and-model");
  return escpos::receipt_setup(std::string("Queue ") + dest.name, model == kRawMakeAndModel,
                               option(escpos::kFormatOption), option(escpos::kRollOption));
}

// The queue's options as job options, without our own, which mean nothing to CUPS, and the
// document's identity, when it has one.
class JobOptions {
 public:
  JobOptions(const cups_dest_t& dest, const std::string& identity) {
    for (int i = 0; i < dest.num_options; ++i) {
      const cups_option_t& o = dest.options[i];
      if (std::strncmp(o.name, "talvex-", 7) != 0)
        count_ = cupsAddOption(o.name, o.value, count_, &options_);
    }
    if (!identity.empty())
      count_ = cupsAddOption(kDocumentAttribute, identity.c_str(), count_, &options_);
  }
  ~JobOptions() { cupsFreeOptions(count_, options_); }
  JobOptions(const JobOptions&) = delete;
  JobOptions& operator=(const JobOptions&) = delete;
  int count() const { return count_; }
  cups_option_t* options() const { return options_; }

 private:
  int count_ = 0;
  cups_option_t* options_ = nullptr;
};

// A file that is removed when it goes out of scope.
class TemporaryPdf {
 public:
  TemporaryPdf() {
    const char* tmp = getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/talvex-XXXXXX.pdf";
    const int fd = mkstemps(path_.data(), 4);
    if (fd < 0)
      throw PrinterError("Cannot create a temporary file in " + path_);
    close(fd);
  }
  ~TemporaryPdf() { std::remove(path_.c_str()); }
  TemporaryPdf(const TemporaryPdf&) = delete;
  TemporaryPdf& operator=(const TemporaryPdf&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Submits `bytes` to the queue as one raw document, which CUPS hands to the device untouched, and
// returns the job's id. A job that fails half way is cancelled, so nothing of it prints.
int submit_raw(const char* queue, const std::string& title, const std::string& bytes,
               const JobOptions& options) {
  const int job =
      cupsCreateJob(CUPS_HTTP_DEFAULT, queue, title.c_str(), options.count(), options.options());
  if (job == 0)
    throw PrinterError(cupsLastErrorString());
  std::string failure;
  const auto failed = [&] {
    if (failure.empty())
      failure = cupsLastErrorString();
  };
  if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue, job, title.c_str(), CUPS_FORMAT_RAW, 1) !=
      HTTP_STATUS_CONTINUE) {
    failed();
  } else {
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE)
      failed();
    // Finishing reads the scheduler's answer, after a failed write too.
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue) > IPP_STATUS_OK_CONFLICTING)
      failed();
  }
  if (failure.empty())
    return job;
  cupsCancelJob2(CUPS_HTTP_DEFAULT, queue, job, 0);
  throw PrinterError(failure);
}

// Whether a job that CUPS holds in `state` prints, or printed, its document.
bool job_prints(int state) {
  return state == IPP_JSTATE_PENDING || state == IPP_JSTATE_HELD ||
         state == IPP_JSTATE_PROCESSING || state == IPP_JSTATE_STOPPED ||
         state == IPP_JSTATE_COMPLETED;
}

PrinterActivity activity_of(int state) {
  switch (state) {
    case IPP_PSTATE_IDLE:
      return PrinterActivity::Idle;
    case IPP_PSTATE_PROCESSING:
      return PrinterActivity::Printing;
    case IPP_PSTATE_STOPPED:
      return PrinterActivity::Stopped;
    default:
      return PrinterActivity::Unknown;
  }
}

// Every queue's state from one CUPS-Get-Printers request, by queue name.
std::map<std::string, PrinterState> queue_states() {
  static const char* const kAttributes[] = {"printer-name", "printer-state",
                                            "printer-state-reasons", "printer-state-message"};
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
  std::map<std::string, PrinterState> states;
  if (!response)
    return states;

  // The response holds a group of attributes per queue; a separator starts the next group.
  std::string name;
  PrinterState state;
  const auto keep = [&] {
    if (!name.empty())
      states[name] = std::move(state);
    name.clear();
    state = PrinterState{};
  };
  for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a != nullptr;
       a = ippNextAttribute(response.get())) {
    if (ippGetGroupTag(a) != IPP_TAG_PRINTER || ippGetName(a) == nullptr) {
      keep();
      continue;
    }
    const std::string_view attribute = ippGetName(a);
    if (attribute == "printer-name") {
      name = ippGetString(a, 0, nullptr);
    } else if (attribute == "printer-state") {
      state.activity = activity_of(ippGetInteger(a, 0));
    } else if (attribute == "printer-state-reasons") {
      for (int i = 0; i < ippGetCount(a); ++i) {
        const char* reason = ippGetString(a, i, nullptr);
        if (reason != nullptr && std::strcmp(reason, "none") != 0)
          state.reasons.emplace_back(reason);
      }
    } else if (attribute == "printer-state-message") {
      const char* message = ippGetString(a, 0, nullptr);
      state.message = message != nullptr ? message : "";
    }
  }
  keep();
  return states;
}

}  // namespace

std::vector<std::string> CupsPrintSystem::list_names() {
  const Dests dests;
  std::vector<std::string> names;
  for (int i = 0; i < dests.count; ++i)
    names.push_back(full_name(dests.list[i]));
  return names;
}

std::optional<std::string> CupsPrintSystem::default_name() {
  const Dests dests;
  for (int i = 0; i < dests.count; ++i) {
    if (dests.list[i].is_default)
      return full_name(dests.list[i]);
  }
  return std::nullopt;
}

bool CupsPrintSystem::can_open(int index) {
  return has_index(index) && named_dest(name(index)) != nullptr;
}

std::string CupsPrintSystem::print(int index, const PrintedPage& page) {
  const std::string& queue = name(index);
  const DestPtr dest = named_dest(queue);
  if (!dest)
    throw PrinterError(cupsLastErrorString());
  const escpos::ReceiptSetup setup = queue_setup(*dest);
  const int dpi = vertical_dpi(dest.get());
  const int dots = static_cast<int>(std::lround(setup.roll.dots_at_203 * dpi / 203.0));
  const JobOptions options(*dest, page.identity);

  if (setup.escpos) {
    return std::to_string(submit_raw(
        dest->name, page.title, escpos::encode_receipt(qt::render_mono(page, dpi, dots)), options));
  }
  TemporaryPdf pdf;
  qt::write_pdf(page, qt::Roll{dpi, setup.roll.width_mm, dots}, pdf.path());
  const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, dest->name, pdf.path().c_str(),
                                 page.title.c_str(), options.count(), options.options());
  if (job == 0)
    throw PrinterError(cupsLastErrorString());
  return std::to_string(job);
}

DocumentPresence CupsPrintSystem::find_document(int index, const std::string& identity) {
  if (identity.empty() || !has_index(index))
    return DocumentPresence::CannotTell;
  const DestPtr dest = named_dest(name(index));
  if (!dest)
    return DocumentPresence::CannotTell;
  // The queue's jobs, finished ones included, as long as CUPS keeps their history.
  static const char* const kAttributes[] = {"job-id", "job-state", kDocumentAttribute};
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", dest->name);
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
  if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
    return DocumentPresence::CannotTell;

  // A group of attributes per job; a separator starts the next group.
  bool found = false;
  int state = 0;
  bool ours = false;
  const auto job_ends = [&] {
    found = found || (ours && job_prints(state));
    state = 0;
    ours = false;
  };
  for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a != nullptr;
       a = ippNextAttribute(response.get())) {
    if (ippGetGroupTag(a) != IPP_TAG_JOB || ippGetName(a) == nullptr) {
      job_ends();
      continue;
    }
    const std::string_view attribute = ippGetName(a);
    if (attribute == "job-state") {
      state = ippGetInteger(a, 0);
    } else if (attribute == kDocumentAttribute) {
      const char* text = ippGetString(a, 0, nullptr);
      ours = text != nullptr && identity == text;
    }
  }
  job_ends();
  return found ? DocumentPresence::Found : DocumentPresence::NotFound;
}

std::vector<PrinterState> CupsPrintSystem::printer_states() {
  const std::vector<std::string>& names = listed_names();
  std::map<std::string, PrinterState> by_queue = queue_states();
  if (by_queue.empty())
    return {};

  cups_job_t* jobs = nullptr;
  const int job_count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
  for (int i = 0; i < job_count; ++i) {
    const auto state = by_queue.find(jobs[i].dest);
    if (state != by_queue.end())
      state->second.jobs.push_back({jobs[i].id, jobs[i].title != nullptr ? jobs[i].title : ""});
  }
  cupsFreeJobs(job_count, jobs);

  std::vector<PrinterState> states;
  for (const std::string& full : names) {
    const auto state = by_queue.find(queue_of(full));
    states.push_back(state != by_queue.end() ? state->second : PrinterState{});
  }
  // Job numbers grow with each job CUPS accepts: the lowest is the oldest.
  for (PrinterState& s : states) {
    std::sort(s.jobs.begin(), s.jobs.end(),
              [](const UnfinishedJob& a, const UnfinishedJob& b) { return a.id < b.id; });
  }
  return states;
}

}  // namespace talvex::platform
