// The Windows program (talvex.exe, cross-built with MinGW-w64) as a venue runs it, under Wine: on
// the demo venue in the private MariaDB server, printing on directory printers, each Windows
// program in a Wine prefix of the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

// A document's record without what depends on when it was printed: the date and time lines.
std::vector<std::string> timeless_texts(const PrintedDocument& d) {
  static const std::regex kMoment(R"(\d{2}\.\d{2}\.\d{4}|\d{1,2}:\d{2}(:\d{2})?)");
  std::vector<std::string> texts;
  for (const PrintedDocument::Text& t : d.texts) {
    texts.push_back(std::to_string(t.x) + "," + std::to_string(t.y) + "," +
                    std::to_string(t.points) + " " + std::regex_replace(t.text, kMoment, "<time>"));
  }
  return texts;
}

class WindowsProgramTest : public VenueTest {};

TEST_F(WindowsProgramTest, PrintsEveryWaitingJobWithTheRecordsOfTheLinuxProgram) {
  // The Linux program prints the demo's queue first, on the fixture's printers.
  const std::string waiting =
      scalar("select group_concat(id order by id) from print where status='no'");
  start();
  ASSERT_TRUE(wait_for_empty_queue());
  program_->stop();
  const std::vector<PrintedDocument> linux_documents = printed_documents(printers());

  // The same rows, set waiting again, printed by the Windows program on printers of its own.
  sql("update print set status='no' where id in (" + waiting + ")");
  const fs::path windows_printers = make_printers("windows-printers");
  program_ = launch_windows(windows_printers, 20, {}, "talvex-windows.log");
  ASSERT_TRUE(wait_until_serving(*program_)) << program_->output();
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();
  const std::vector<PrintedDocument> windows_documents = printed_documents(windows_printers);

  ASSERT_EQ(linux_documents.size(), 26u);
  ASSERT_EQ(windows_documents.size(), linux_documents.size());
  for (std::size_t i = 0; i < linux_documents.size(); ++i) {
    const PrintedDocument& l = linux_documents[i];
    const PrintedDocument& w = windows_documents[i];
    SCOPED_TRACE(l.record.string() + " and " + w.record.string());
    EXPECT_EQ(w.printer, l.printer);
    EXPECT_EQ(w.index, l.index);
    EXPECT_EQ(w.title, l.title);
    EXPECT_EQ(timeless_texts(w), timeless_texts(l));
    EXPECT_TRUE(w.damage.empty()) << w.damage;
  }
  EXPECT_EQ(scalar("select count(*) from print where status='no'"), "0");
}

}  // namespace
}  // namespace talvex::testing
