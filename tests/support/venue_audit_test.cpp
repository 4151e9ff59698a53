// The venue audit that every whole-service test ends with, given a queue and printer folders with
// one fault each: it must report every fault, and pass the queue whose documents are all there.

#include "tests/support/venue_audit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/database_fixture.h"
#include "tests/support/printed_documents.h"
#include "tests/support/temporary_folder.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

// One fault put into the clean venue: statements on its database, then a change of its printer
// folders; and what the audit must say about it.
struct Fault {
  const char* name;
  std::vector<std::string> statements;
  void (*change)(const fs::path& printers);
  int missing;
  int duplicates;
  int damaged;
  const char* problem;  // a part of one reported problem; empty for the clean case
};

// The case's name, in a failure's line.
void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

void write_text(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// A document as a directory printer writes it: the record of its texts and its page beside it.
void write_document(const fs::path& folder, const std::string& number, const std::string& title,
                    const std::vector<std::string>& texts) {
  std::string list;
  int y = 0;
  for (const std::string& t : texts) {
    list += (list.empty() ? "" : ", ") + std::string("{\"x\": 0, \"y\": ") + std::to_string(y) +
            ", \"pt\": 8, \"text\": \"" + t + "\"}";
    y += 25;
  }
  write_text(folder / (number + ".json"), "{\"printer\": \"" + folder.filename().string() +
                                              "\", \"index\": 0, \"title\": \"" + title +
                                              "\", \"texts\": [" + list + "]}");
  write_text(folder / (number + ".pdf"), "%PDF-1.4\n%%EOF\n");
}

void order_ticket(const fs::path& folder, const std::string& number, int sub_order,
                  const std::string& role) {
  write_document(folder, number, "Заказ",
                 {"Заказ № 1", "Подзаказ №: " + std::to_string(sub_order), "Принтер " + role});
}

constexpr const char* kBillTitle = "Предчек не cвернутый";

const Fault kFaults[] = {
    {"Clean", {}, [](const fs::path&) {}, 0, 0, 0, ""},
    {"MissingDocument",
     {},
     [](const fs::path& p) {
       fs::remove(p / "3-CONTROL" / "000002.json");
       fs::remove(p / "3-CONTROL" / "000002.pdf");
     },
     1,
     0,
     0,
     "receipt 1 on CONTROL: printed 0 of 1"},
    {"DocumentTwice",
     {},
     [](const fs::path& p) { order_ticket(p / "1-BAR", "000002", 1, "BAR"); },
     0,
     1,
     0,
     "order ticket 1/1 on BAR: printed 2, at most 1 asked for"},
    {"DocumentNobodyAskedFor",
     {},
     [](const fs::path& p) { order_ticket(p / "2-KITCHEN", "000002", 2, "KITCHEN"); },
     0,
     0,
     0,
     "no row asks for"},
    {"PrintedRowWithoutItsDocuments",
     {"INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (4, 1, 2, 'podzakaz', 'yes')"},
     [](const fs::path&) {},
     2,
     0,
     0,
     "order ticket 1/2 on KITCHEN: printed 0 of 1"},
    {"RecordCutShort",
     {},
     [](const fs::path& p) {
       const fs::path record = p / "0-KASSA" / "000001.json";
       fs::resize_file(record, fs::file_size(record) / 2);
     },
     1,
     0,
     1,
     "half-written"},
    {"RecordWithoutItsPage",
     {},
     [](const fs::path& p) { fs::remove(p / "2-KITCHEN" / "000001.pdf"); },
     1,
     0,
     1,
     "no page 000001.pdf"},
};

class VenueAuditFixture : public DatabaseTest {
 protected:
  // A venue whose three rows are printed, each document once: the order ticket of sub-order 1 of
  // order 1 on BAR and KITCHEN (the roles of its lines) and on CONTROL, the pre-check twice, and
  // the receipt on KASSA and on CONTROL. Sub-order 2 has a KITCHEN line and no row yet.
  void SetUp() override {
    DatabaseTest::SetUp();
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(3, 'KITCHEN', 2), (4, 'CONTROL', 3)");
    sql("INSERT INTO settings (id, name, value) VALUES (1, 'control_printer', '1')");
    sql("INSERT INTO podzakaz (zakaz, podzakaz, menu, kolvo, price, printer) VALUES "
        "(1, 1, 1, 2, 500, 2), (1, 1, 2, 1, 900, 3), (1, 2, 2, 1, 900, 3)");
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
        "(1, 1, 1, 'podzakaz', 'yes'), (2, 1, NULL, 'predcheck', 'yes'), "
        "(3, 1, NULL, 'zakaz_close', 'yes')");

    for (const char* folder : {"0-KASSA", "1-BAR", "2-KITCHEN", "3-CONTROL"})
      fs::create_directories(printers_ / folder);
    write_document(printers_ / "0-KASSA", "000001", kBillTitle,
                   {"Счет на оплату № 1", "Принтер KASSA"});
    write_document(printers_ / "0-KASSA", "000002", kBillTitle,
                   {"Счет на оплату № 1", "Принтер KASSA"});
    write_document(printers_ / "0-KASSA", "000003", kBillTitle, {"Чек № 1", "Принтер KASSA"});
    order_ticket(printers_ / "1-BAR", "000001", 1, "BAR");
    order_ticket(printers_ / "2-KITCHEN", "000001", 1, "KITCHEN");
    order_ticket(printers_ / "3-CONTROL", "000001", 1, "CONTROL");
    write_document(printers_ / "3-CONTROL", "000002", kBillTitle, {"Чек № 1", "Принтер CONTROL"});
  }

  VenueAudit audit(const std::set<std::string>& left_out = {},
                   const std::map<std::string, int>& may_repeat = {},
                   const std::vector<DeletedRow>& deleted = {}) {
    data::Connection db(params());
    return audit_venue(db, read_printed_documents(printers_), left_out, may_repeat, deleted);
  }

  TemporaryFolder folder_;
  fs::path printers_ = fs::path(folder_.path()) / "printers";
};

class VenueAuditTest : public VenueAuditFixture, public ::testing::WithParamInterface<Fault> {};

TEST_P(VenueAuditTest, ReportsTheFaultAndPassesOnlyTheCleanVenue) {
  const Fault& fault = GetParam();
  for (const std::string& s : fault.statements)
    sql(s);
  fault.change(printers_);

  const VenueAudit audit = this->audit();
  EXPECT_EQ(audit.rows, 3 + static_cast<int>(fault.statements.size()));
  EXPECT_EQ(audit.missing, fault.missing) << audit.report();
  EXPECT_EQ(audit.duplicates, fault.duplicates) << audit.report();
  EXPECT_EQ(audit.damaged, fault.damaged) << audit.report();
  if (std::string(fault.problem).empty()) {
    EXPECT_TRUE(audit.clean()) << audit.report();
    EXPECT_EQ(audit.documents, 7);
  } else {
    EXPECT_FALSE(audit.clean()) << audit.report();
    EXPECT_NE(audit.report().find(fault.problem), std::string::npos) << audit.report();
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, VenueAuditTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& fault) {
                           return std::string(fault.param.name);
                         });

// What a whole-service test may allow, each within its bounds: a printed row left out of the
// audit, a document that came out once more than asked (a job started anew after a kill), and the
// documents of a row the front end deleted.
TEST_F(VenueAuditFixture, AllowancesPassWhatTheyAllowAndNothingMore) {
  // The allowances a case gives the audit.
  struct Allowances {
    std::set<std::string> left_out;
    std::map<std::string, int> may_repeat;
    std::vector<DeletedRow> deleted;
  };
  struct Case {
    const char* name;
    bool printed_row_4;   // row 4, sub-order 2, printed without a document of its own
    int bar_tickets;      // how many BAR tickets of sub-order 1 came out (the row asks for one)
    int deleted_tickets;  // KITCHEN tickets of sub-order 2, which no row of `print` asks for
    Allowances allowed;
    int missing;
    int duplicates;
    int repeated;
  };
  const Allowances kRow4LeftOut{{"4"}, {}, {}};
  const Allowances kBarOnceMore{{}, {{"order ticket 1/1 on BAR", 1}}, {}};
  const Allowances kSubOrder2Deleted{{}, {}, {{"podzakaz", "1", "2"}}};
  for (const Case& c : {
           Case{"printed row left out", true, 1, 0, kRow4LeftOut, 0, 0, 0},
           Case{"printed row audited", true, 1, 0, {}, 2, 0, 0},
           Case{"repeat allowed", false, 2, 0, kBarOnceMore, 0, 0, 1},
           Case{"repeat not allowed", false, 2, 0, {}, 0, 1, 0},
           Case{"repeat beyond its allowance", false, 3, 0, kBarOnceMore, 0, 1, 1},
           Case{"deleted row's document", false, 1, 1, kSubOrder2Deleted, 0, 0, 0},
           Case{"deleted row's document twice", false, 1, 2, kSubOrder2Deleted, 0, 1, 0},
       }) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.printed_row_4)
      sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (4, 1, 2, 'podzakaz', "
          "'yes')");
    for (int n = 2; n <= c.bar_tickets; ++n)
      order_ticket(printers_ / "1-BAR", "00000" + std::to_string(n), 1, "BAR");
    for (int n = 1; n <= c.deleted_tickets; ++n)
      order_ticket(printers_ / "2-KITCHEN", "00000" + std::to_string(n + 1), 2, "KITCHEN");
    const VenueAudit audit =
        this->audit(c.allowed.left_out, c.allowed.may_repeat, c.allowed.deleted);
    EXPECT_EQ(audit.clean(), c.missing == 0 && c.duplicates == 0) << audit.report();
    EXPECT_EQ(audit.missing, c.missing) << audit.report();
    EXPECT_EQ(audit.duplicates, c.duplicates) << audit.report();
    EXPECT_EQ(audit.repeated, c.repeated) << audit.report();
    fs::remove_all(printers_);
  }
}

}  // namespace
}  // namespace talvex::testing
