#include "data/document_journal.h"

#include "data/integer_parse.h"
#include "data/sql.h"

namespace talvex::data {
namespace {

// The server's error numbers for a journal that cannot be kept.
constexpr unsigned kDatabaseAccessDenied = 1044;
constexpr unsigned kTableAccessDenied = 1142;
constexpr unsigned kColumnAccessDenied = 1143;
constexpr unsigned kNoSuchTable = 1146;
constexpr unsigned kSpecificAccessDenied = 1227;
constexpr unsigned kReadOnly = 1290;

}  // namespace

bool journal_unavailable(const DataError& failure) {
  switch (failure.server_code()) {
    case kDatabaseAccessDenied:
    case kTableAccessDenied:
    case kColumnAccessDenied:
    case kNoSuchTable:
    case kSpecificAccessDenied:
    case kReadOnly:
      return true;
    default:
      return false;
  }
}

void DocumentJournal::prepare() {
  connection_.execute(
      "CREATE TABLE IF NOT EXISTS `talvex_documents` ("
      "`print_id` VARCHAR(64) NOT NULL, "
      "`document` VARCHAR(64) NOT NULL, "
      "`state` VARCHAR(10) NOT NULL, "
      "`computer` VARCHAR(255) NOT NULL DEFAULT '', "
      "`printer` VARCHAR(255) NOT NULL DEFAULT '', "
      "`identity` VARCHAR(64) NOT NULL DEFAULT '', "
      "`spooler_job` VARCHAR(64) NOT NULL DEFAULT '', "
      "`discount` INT NOT NULL DEFAULT 0, "
      "`held_until` DATETIME(3) NULL, "
      "`service` VARCHAR(64) NOT NULL DEFAULT '', "
      "`at` DATETIME(3) NOT NULL, "
      "PRIMARY KEY (`print_id`, `document`), KEY `state` (`state`)"
      ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci");
  connection_.execute(
      "DELETE FROM `talvex_documents` WHERE state='marked' AND at < NOW(3) - INTERVAL 7 DAY");
}

std::vector<JournalEntry> DocumentJournal::read_waiting() {
  const ResultTable table = connection_.query(
      "SELECT d.print_id, d.document, d.state, d.computer, d.printer, d.identity, d.discount, "
      "d.service, GREATEST(COALESCE(TIMESTAMPDIFF(MICROSECOND, NOW(3), d.held_until), 0), 0) DIV "
      "1000, COALESCE(p.status, '') "
      "FROM `talvex_documents` d LEFT JOIN `print` p ON p.id = d.print_id "
      "WHERE d.state <> 'marked'");
  std::vector<JournalEntry> entries;
  std::set<std::string> stale;
  for (const std::vector<std::string>& row : table.rows) {
    if (row.at(9) != "no") {
      stale.insert(row.at(0));
      continue;
    }
    entries.push_back(JournalEntry{row.at(0), row.at(1), row.at(2), row.at(3), row.at(4), row.at(5),
                                   parse_int(row.at(6)), row.at(7), std::stoll(row.at(8))});
  }
  if (!stale.empty())
    forget(stale);
  return entries;
}

void DocumentJournal::forget(const std::set<std::string>& print_ids) {
  connection_.execute(Sql("UPDATE `talvex_documents` SET state='marked', at=NOW(3) "
                          "WHERE state <> 'marked' AND print_id IN (") +
                      print_ids + ")");
}

void DocumentJournal::handed(const JournalEntry& e) {
  connection_.execute(
      Sql("INSERT INTO `talvex_documents` "
          "(print_id, document, state, computer, printer, identity, discount, service, at) VALUES "
          "('") +
      value(e.print_id) + "', '" + value(e.document) + "', 'handed', '" + value(e.computer) +
      "', '" + value(e.printer) + "', '" + value(e.identity) + "', '" + value(e.discount) + "', '" +
      value(e.service) +
      "', NOW(3)) ON DUPLICATE KEY UPDATE state='handed', computer=VALUES(computer), "
      "printer=VALUES(printer), identity=VALUES(identity), spooler_job='', "
      "discount=VALUES(discount), "
      "held_until=NULL, service=VALUES(service), at=VALUES(at)");
}

void DocumentJournal::ended(const std::string& print_id, const std::string& document,
                            const std::string& spooler_job) {
  connection_.execute(Sql("UPDATE `talvex_documents` SET state='ended', spooler_job='") +
                      value(spooler_job) + "', at=NOW(3) WHERE print_id='" + value(print_id) +
                      "' AND document='" + value(document) + "'");
}

void DocumentJournal::refused(const std::string& print_id, const std::string& document) {
  connection_.execute(Sql("DELETE FROM `talvex_documents` WHERE print_id='") + value(print_id) +
                      "' AND document='" + value(document) + "' AND state='handed'");
}

void DocumentJournal::hold(const std::string& print_id, const std::string& service,
                           std::int64_t milliseconds) {
  connection_.execute(
      Sql("INSERT INTO `talvex_documents` (print_id, document, state, service, held_until, at) "
          "VALUES ('") +
      value(print_id) + "', 'job', 'held', '" + value(service) + "', NOW(3) + INTERVAL '" +
      value(std::to_string(milliseconds * 1000)) +
      "' MICROSECOND, NOW(3)) ON DUPLICATE KEY UPDATE state='held', service=VALUES(service), "
      "held_until=VALUES(held_until), at=VALUES(at)");
}

void DocumentJournal::mark_printed(const std::string& print_id) {
  connection_.execute(Sql("UPDATE `print` p LEFT JOIN `talvex_documents` d ON d.print_id = p.id "
                          "SET p.status='yes', d.state='marked', d.at=NOW(3) WHERE p.id='") +
                      value(print_id) + "'");
}

}  // namespace talvex::data
