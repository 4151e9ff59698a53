#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace talvex::testing {

// The private CUPS scheduler as the Windows tests see it under Wine: its queues are the spooler's
// printers (CUPS_SERVER names it before Wine starts), and what the spooler sends arrives in its
// capture folder.

std::string read_file(const std::filesystem::path& path);

// The files of the documents the scheduler captured on `queue` under `title`, as submitted,
// waiting up to a minute for the first.
std::vector<std::filesystem::path> captured(const std::string& queue, const std::string& title);

// What a command of the build machine prints on standard output. Wine starts Unix programs but
// does not wait for them, so the command writes into a file that it renames into place when it
// ends, in the test's Wine prefix (a folder of the build machine), and the test waits for that.
// The command is one argument of a double-quoted command line: it holds no double quote.
std::string build_machine_output(const std::string& command);

// Runs a CUPS administration command (lpadmin, cupsreject...) on the private scheduler, its
// arguments quoted for the shell; throws when it fails, with what it wrote.
void cups_admin(const std::string& command);

// A queue the test adds to the private scheduler, with the capture backend as its device, and a
// printer of Wine's spooler on it; both are removed when the object goes. Wine reads the
// scheduler's queues only in the first program of its session that loads the spooler, so the test
// adds the printer itself, on the queue's port (CUPS:name) with the driver of one of the harness's
// queues, as an administrator adds a printer on Windows. `driver` is lpadmin's "-m raw" or "-P
// FILE". Name it so that it sorts after the harness's queues ("Stop-80").
class WineQueue final {
 public:
  WineQueue(std::string name, const std::string& driver);
  ~WineQueue();
  WineQueue(const WineQueue&) = delete;
  WineQueue& operator=(const WineQueue&) = delete;

  const std::string& name() const { return name_; }
  // Gives the printer the driver named `driver` in Wine's registry, as installing it would.
  void set_driver(const std::string& driver) const;
  // Sets the printer's data value `name` to the text `value`, or removes it when `value` is empty.
  void set_data(const std::string& name, const std::string& value) const;

 private:
  std::string name_;
};

// The folder of the harness's capture drivers (capture-203.ppd), as the build machine names it.
std::string capture_drivers();

}  // namespace talvex::testing
