#include "data/document_journal.h"

#include <map>
#include <optional>

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
  std::optional<DataError> not_created;
  try {
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
  } catch (const DataError& failure) {
    // The server checks the privilege before it looks for the table: an account without CREATE
    // fails here even where an administrator made the table for it.
    if (!journal_unavailable(failure))
      throw;
    not_created = failure;
  }
  try {
    connection_.execute(
        "DELETE FROM `talvex_documents` WHERE state='marked' AND at < NOW(3) - INTERVAL 7 DAY");
  } catch (const DataError& failure) {
    // Without the table, why it could not be made says more than that it is missing.
    if (not_created && journal_unavailable(failure))
      throw *not_created;
    throw;
  }
}

std::vector<JournalEntry> DocumentJournal::read_waiting() {
  // Each line with the row whose id its key starts with, and whether that row waits as the server
  // decides it, under the collation of `print`.`status`.
  const ResultTable table = connection_.query(
      "SELECT d.print_id, d.document, d.state, d.computer, d.printer, d.identity, d.discount, "
      "d.service, GREATEST(COALESCE(TIMESTAMPDIFF(MICROSECOND, NOW(3), d.held_until), 0), 0) DIV "
      "1000, p.id, p.type, p.zakaz, p.podzakaz, COALESCE(p.status = 'no', 0) "
      "FROM `talvex_documents` d LEFT JOIN `print` p ON p.id = SUBSTRING_INDEX(d.print_id, ' ', 1) "
      "WHERE d.state <> 'marked'");
  std::vector<JournalEntry> entries;
  std::set<std::string> stale;
  // Lines under a bare id, and the key of the waiting row they go to.
  std::map<std::string, std::string> taken_over;
  for (const std::vector<std::string>& row : table.rows) {
    const std::string& line_key = row.at(0);
    const bool waiting = row.at(13) == "1";
    const std::string row_key = journal_key({row.at(9), row.at(10), row.at(11), row.at(12)});
    if (waiting && line_key == row.at(9) && line_key != row_key) {
      taken_over.emplace(line_key, row_key);
    } else if (!waiting || line_key != row_key) {
      stale.insert(line_key);
      continue;
    }
    entries.push_back(JournalEntry{row_key, row.at(1), row.at(2), row.at(3), row.at(4), row.at(5),
                                   parse_int(row.at(6)), row.at(7), std::stoll(row.at(8))});
  }
  if (!stale.empty())
    forget(stale);
  for (const auto& [id, row_key] : taken_over) {
    // IGNORE: a line the key already has (a service of each kind ran at once) stays as it is.
    connection_.execute(Sql("UPDATE IGNORE `talvex_documents` SET print_id='") + value(row_key) +
                        "' WHERE print_id='" + value(id) + "' AND state <> 'marked'");
  }
  return entries;
}

void DocumentJournal::forget(const std::set<std::string>& row_keys) {
  connection_.execute(Sql("UPDATE `talvex_documents` SET state='marked', at=NOW(3) "
                          "WHERE state <> 'marked' AND print_id IN (") +
                      row_keys + ")");
}

void DocumentJournal::handed(const JournalEntry& e) {
  connection_.execute(
      Sql("INSERT INTO `talvex_documents` "
          "(print_id, document, state, computer, printer, identity, discount, service, at) VALUES "
          "('") +
      value(e.row_key) + "', '" + value(e.document) + "', 'handed', '" + value(e.computer) +
      "', '" + value(e.printer) + "', '" + value(e.identity) + "', '" + value(e.discount) + "', '" +
      value(e.service) +
      "', NOW(3)) ON DUPLICATE KEY UPDATE state='handed', computer=VALUES(computer), "
      "printer=VALUES(printer), identity=VALUES(identity), spooler_job='', "
      "discount=VALUES(discount), "
      "held_until=NULL, service=VALUES(service), at=VALUES(at)");
}

void DocumentJournal::ended(const std::string& row_key, const std::string& document,
                            const std::string& spooler_job) {
  connection_.execute(Sql("UPDATE `talvex_documents` SET state='ended', spooler_job='") +
                      value(spooler_job) + "', at=NOW(3) WHERE print_id='" + value(row_key) +
                      "' AND document='" + value(document) + "'");
}

void DocumentJournal::refused(const std::string& row_key, const std::string& document) {
  connection_.execute(Sql("DELETE FROM `talvex_documents` WHERE print_id='") + value(row_key) +
                      "' AND document='" + value(document) + "' AND state='handed'");
}

void DocumentJournal::hold(const std::string& row_key, const std::string& service,
                           std::int64_t milliseconds) {
  connection_.execute(
      Sql("INSERT INTO `talvex_documents` (print_id, document, state, service, held_until, at) "
          "VALUES ('") +
      value(row_key) + "', 'job', 'held', '" + value(service) + "', NOW(3) + INTERVAL '" +
      value(std::to_string(milliseconds * 1000)) +
      "' MICROSECOND, NOW(3)) ON DUPLICATE KEY UPDATE state='held', service=VALUES(service), "
      "held_until=VALUES(held_until), at=VALUES(at)");
}

void DocumentJournal::mark_printed(const QueueRow& row) {
  connection_.execute(Sql("UPDATE `print` p LEFT JOIN `talvex_documents` d ON d.print_id = '") +
                      value(journal_key(row)) +
                      "' SET p.status='yes', d.state='marked', d.at=NOW(3) WHERE p.id='" +
                      value(row.id) + "'");
}

}  // namespace talvex::data
