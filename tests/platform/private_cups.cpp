#include "tests/platform/private_cups.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/platform/printout.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

fs::path cups_folder() {
  const char* servers = std::getenv("TALVEX_TEST_SERVERS");
  if (servers == nullptr)
    throw std::runtime_error("TALVEX_TEST_SERVERS is not set: run the tests with ctest");
  return fs::path(servers) / "cups";
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

void use_private_cups() {
  std::string socket = read_file(cups_folder() / "socket");
  while (!socket.empty() && socket.back() == '\n')
    socket.pop_back();
  if (socket.empty())
    throw std::runtime_error("the private CUPS scheduler is not running");
  setenv("CUPS_SERVER", socket.c_str(), 1);
}

std::optional<CapturedJob> wait_for_job(const std::string& queue, const std::string& token) {
  const fs::path folder = cups_folder() / "out" / queue;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  do {
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
      if (e.path().extension() != ".title" || e.path().filename().string().front() == '.')
        continue;
      fs::path document = e.path();
      document.replace_extension(".data");
      if (read_file(document).rfind("%PDF-", 0) != 0)
        continue;
      const std::string text =
          run_command("pdftotext " + shell_quote(document.string()) + " - 2>/dev/null");
      if (text.find(token) != std::string::npos)
        return CapturedJob{read_file(e.path()), document.string()};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

std::vector<CapturedText> captured_jobs(const std::string& queue, const std::string& token) {
  std::vector<std::pair<long, fs::path>> titles;
  for (const fs::directory_entry& e : fs::directory_iterator(cups_folder() / "out" / queue)) {
    const std::string name = e.path().filename().string();
    if (e.path().extension() == ".title" && name.front() != '.')
      titles.emplace_back(std::stol(name), e.path());
  }
  std::sort(titles.begin(), titles.end());
  std::vector<CapturedText> out;
  for (const auto& [number, title] : titles) {
    const std::string document = fs::path(title).replace_extension(".data").string();
    std::string text;
    try {
      text = run_command("pdftotext -layout " + shell_quote(document) + " - 2>/dev/null");
    } catch (const std::runtime_error&) {
      continue;  // not a PDF
    }
    if (text.find(token) != std::string::npos)
      out.push_back({CapturedJob{read_file(title), document}, text});
  }
  return out;
}

std::string cups_admin(const std::string& command) {
  const std::size_t name_end = command.find(' ');
  const std::string program = find_program(command.substr(0, name_end));
  const std::string arguments = name_end == std::string::npos ? "" : command.substr(name_end);
  return run_command(shell_quote(program) + arguments + " 2>&1");
}

std::string capture_driver(int dpi) {
  return (cups_folder() / "ppd" / ("capture-" + std::to_string(dpi) + ".ppd")).string();
}

std::string capture_folder(const std::string& queue) {
  return (cups_folder() / "out" / queue).string();
}

TemporaryQueue::TemporaryQueue(std::string name, const std::string& arguments)
    : name_(std::move(name)) {
  cups_admin("lpadmin -p " + shell_quote(name_) + " -E " + arguments);
}

void TemporaryQueue::remove() {
  removed_ = true;
  cups_admin("lpadmin -x " + shell_quote(name_));
}

TemporaryQueue::~TemporaryQueue() {
  if (removed_)
    return;
  try {
    remove();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "cannot remove the queue " << name_ << ": " << e.what();
  }
}

}  // namespace talvex::testing
