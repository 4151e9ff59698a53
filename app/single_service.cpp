#include "app/single_service.h"

namespace talvex::app {
namespace {

std::string server_and_database(const data::ConnectionParams& connection) {
  return "database '" + connection.database + "' on " + connection.host + ":" +
         std::to_string(connection.port);
}

}  // namespace

std::string service_key(const data::ConnectionParams& connection) {
  // The pieces are separated by a character no host name holds.
  return connection.host + "\n" + std::to_string(connection.port) + "\n" + connection.database;
}

std::string running_text(const data::ConnectionParams& connection) {
  return "Talvex is running for " + server_and_database(connection) + ".";
}

std::string already_running_text(const data::ConnectionParams& connection, long long pid) {
  const std::string process = pid > 0 ? " (process " + std::to_string(pid) + ")" : "";
  return "Talvex is already running for " + server_and_database(connection) + process +
         ". Click its icon in the notification area to open its panel.";
}

}  // namespace talvex::app
