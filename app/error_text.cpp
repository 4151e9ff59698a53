#include "app/error_text.h"

#include <string_view>

namespace talvex::app {
namespace {

std::string innermost_message(const std::exception& failure) {
  std::string message = failure.what();
  try {
    std::rethrow_if_nested(failure);
  } catch (const std::exception& inner) {
    std::string deeper = innermost_message(inner);
    if (!deeper.empty())
      message = std::move(deeper);
  } catch (...) {
  }
  return message;
}

}  // namespace

std::string error_box_text(std::string message) {
  // UTF-8 lead and continuation bytes are all above '.', as are the characters they encode.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    message += '.';
  return message;
}

std::string journal_lost_text(const std::string& reason) {
  return "Talvex cannot keep its journal of printed documents (table talvex_documents): " +
         error_box_text(reason) +
         " Printing goes on without it; a document that was printing when the service stopped may "
         "come out twice";
}

std::string error_box_text(const std::exception& failure) {
  return error_box_text(innermost_message(failure));
}

}  // namespace talvex::app
