#include "platform/cups/cups_print_system.h"

#include <cups/cups.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/qt/page_renderer.h"

namespace talvex::platform {
namespace {

constexpr int kDefaultDpi = 203;
constexpr double kRollWidthMm = 80.0;
// An 80 mm roll prints 576 dots at 203 dpi; other resolutions print the same width.
constexpr int kPrintableDotsAt203 = 576;

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

// The queue's full name: an instance is written queue/instance.
std::string full_name(const cups_dest_t& dest) {
  std::string name = dest.name;
  if (dest.instance != nullptr)
    name += std::string("/") + dest.instance;
  return name;
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

void CupsPrintSystem::print(int index, const PrintedPage& page) {
  const std::string& queue = name(index);
  const DestPtr dest = named_dest(queue);
  if (!dest)
    throw PrinterError(cupsLastErrorString());
  const int dpi = vertical_dpi(dest.get());

  TemporaryPdf pdf;
  qt::write_pdf(
      page,
      qt::Roll{dpi, kRollWidthMm, static_cast<int>(std::lround(kPrintableDotsAt203 * dpi / 203.0))},
      pdf.path());
  if (cupsPrintFile2(CUPS_HTTP_DEFAULT, dest->name, pdf.path().c_str(), page.title.c_str(),
                     dest->num_options, dest->options) == 0)
    throw PrinterError(cupsLastErrorString());
}

}  // namespace talvex::platform
