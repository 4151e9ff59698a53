#include "tests/support/venue_audit.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace talvex::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows query(data::Connection& db, const data::Sql& statement) {
  return db.query(statement).rows;
}

using data::Sql;
using data::value;

constexpr const char* kBillTitle = "Предчек не cвернутый";

// The key that names a document: what it is, for which order, on which role's printer.
std::string ticket_key(const std::string& order, const std::string& sub_order,
                       const std::string& role) {
  return "order ticket " + order + "/" + sub_order + " on " + role;
}
std::string precheck_key(const std::string& order) {
  return "pre-check " + order;
}
std::string receipt_key(const std::string& order, const std::string& role) {
  return "receipt " + order + " on " + role;
}

}  // namespace

std::string document_key(const PrintedDocument& d) {
  const std::string role = d.text_starting("Принтер ").substr(std::string("Принтер ").size());
  if (d.title == "Заказ") {
    const std::string order = d.text_starting("Заказ № ").substr(std::string("Заказ № ").size());
    const std::string sub =
        d.text_starting("Подзаказ №: ").substr(std::string("Подзаказ №: ").size());
    return ticket_key(order, sub, role);
  }
  if (d.title == kBillTitle) {
    const std::string bill = d.text_starting("Счет на оплату № ");
    if (!bill.empty())
      return precheck_key(bill.substr(std::string("Счет на оплату № ").size()));
    const std::string receipt = d.text_starting("Чек № ");
    if (!receipt.empty())
      return receipt_key(receipt.substr(std::string("Чек № ").size()), role);
  }
  return {};
}

namespace {

// The documents a row of `print` calls for, by key.
std::vector<std::string> called_for(data::Connection& db, const std::vector<std::string>& row,
                                    bool control) {
  const std::string& type = row[1];
  const std::string& order = row[2];
  const std::string& sub = row[3];
  std::vector<std::string> out;
  if (type == "podzakaz") {
    for (const auto& printer : query(db, "select id, name from printers order by id")) {
      const std::string& name = printer[1];
      if (name == "KASSA" || name == "CONTROL")
        continue;
      if (!query(db, Sql("select 1 from podzakaz where printer='") + value(printer[0]) +
                         "' and zakaz='" + value(order) + "' and podzakaz='" + value(sub) +
                         "' limit 1")
               .empty())
        out.push_back(ticket_key(order, sub, name));
    }
    const bool has_lines = !query(db, Sql("select 1 from podzakaz where zakaz='") + value(order) +
                                          "' and podzakaz='" + value(sub) + "' limit 1")
                                .empty();
    const bool has_control = !query(db, "select 1 from printers where name='CONTROL'").empty();
    if (control && has_lines && has_control)
      out.push_back(ticket_key(order, sub, "CONTROL"));
  } else if (type == "predcheck") {
    out.push_back(precheck_key(order));
    if (control)
      out.push_back(precheck_key(order));
  } else if (type == "zakaz_close") {
    out.push_back(receipt_key(order, "KASSA"));
    if (control)
      out.push_back(receipt_key(order, "CONTROL"));
  }
  return out;
}

}  // namespace

std::string VenueAudit::report() const {
  std::ostringstream out;
  out << rows << " rows, " << printed_rows << " printed, " << documents << " documents, " << missing
      << " missing, " << duplicates << " duplicates, " << repeated << " repeated, " << damaged
      << " damaged";
  for (const std::string& p : problems)
    out << "\n  " << p;
  return out.str();
}

VenueAudit audit_venue(data::Connection& db, const std::vector<PrintedDocument>& documents,
                       const std::set<std::string>& left_out,
                       const std::map<std::string, int>& may_repeat,
                       const std::vector<DeletedRow>& deleted) {
  VenueAudit audit;
  const Rows setting = query(db,
                             "select value from settings where name='control_printer' "
                             "order by id limit 1");
  const bool control = !setting.empty() && setting[0][0] == "1";

  // Per key: how often the printed rows call for it, and how often rows still waiting may have.
  std::map<std::string, int> required, allowed;
  // The columns as they are, so that each reads as the program reads it (NULL as an empty text,
  // a ZEROFILL number without its padding).
  for (const auto& row : query(db, "select id, type, zakaz, podzakaz, status from print")) {
    if (left_out.count(row[0]) != 0)
      continue;
    ++audit.rows;
    const bool printed = row[4] == "yes";
    audit.printed_rows += printed;
    for (const std::string& key : called_for(db, row, control)) {
      ++allowed[key];
      required[key] += printed;
    }
  }

  for (const DeletedRow& row : deleted) {
    for (const std::string& key : called_for(db, {"", row.type, row.zakaz, row.podzakaz}, control))
      ++allowed[key];
  }

  std::map<std::string, int> printed;
  for (const PrintedDocument& d : documents) {
    ++audit.documents;
    if (!d.damage.empty()) {
      ++audit.damaged;
      audit.problems.push_back("half-written " + d.record.string() + ": " + d.damage);
      continue;
    }
    const std::string key = document_key(d);
    if (key.empty() || allowed.count(key) == 0)
      audit.problems.push_back("no row asks for " + d.record.string() +
                               (key.empty() ? "" : " (" + key + ")"));
    else
      ++printed[key];
  }
  for (const auto& [key, count] : allowed) {
    const int got = printed[key];
    if (got < required[key]) {
      audit.missing += required[key] - got;
      audit.problems.push_back(key + ": printed " + std::to_string(got) + " of " +
                               std::to_string(required[key]));
    }
    const auto repeat = may_repeat.find(key);
    const int allowance = repeat == may_repeat.end() ? 0 : repeat->second;
    const int extra = std::max(got - count, 0);
    audit.repeated += std::min(extra, allowance);
    if (extra > allowance) {
      audit.duplicates += extra - allowance;
      audit.problems.push_back(key + ": printed " + std::to_string(got) + ", at most " +
                               std::to_string(count + allowance) + " asked for");
    }
  }
  return audit;
}

}  // namespace talvex::testing
