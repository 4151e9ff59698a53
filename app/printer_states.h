#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/print_system.h"

namespace talvex::app {

// A printer-state reason the operator is told of: its IPP keyword (without the -error, -warning or
// -report that says how grave it is), the words the panel shows for it, and whether it keeps the
// printer from printing, which the queue line and the error box report. A -warning reason never
// keeps it from printing.
struct ReasonWords {
  std::string_view keyword;
  std::string_view words;
  bool stops_printing;
};

inline constexpr std::array<ReasonWords, 19> kReasonWords{{
    {"media-empty", "нет бумаги", true},
    {"media-needed", "нет бумаги", true},
    {"media-jam", "замятие бумаги", true},
    {"media-low", "мало бумаги", false},
    {"cover-open", "открыта крышка", true},
    {"door-open", "открыта крышка", true},
    {"interlock-open", "открыта крышка", true},
    {"offline", "нет связи", true},
    {"connecting-to-device", "нет соединения", true},
    {"timed-out", "принтер не отвечает", true},
    {"paused", "остановлен оператором", true},
    {"shutdown", "принтер выключен", true},
    {"spool-area-full", "очередь переполнена", true},
    {"output-area-full", "лоток выдачи полон", true},
    {"marker-supply-empty", "нет ленты или чернил", true},
    {"toner-empty", "нет тонера", true},
    {"service-needed", "нужно обслуживание", true},
    {"moving-to-paused", "останавливается", false},
    {"other", "неисправность принтера", true},
}};

// The row of `reason` (as "media-empty-error"), or nullptr for a keyword not in the table.
const ReasonWords* reason_words(std::string_view reason);

// Whether `reason` keeps its printer from printing: a reason of the table that does so, reported
// as an error, a report or without a suffix.
bool stops_printing(std::string_view reason);

// "готов", "печатает", "остановлен"; empty for an unknown state.
std::string_view activity_words(platform::PrinterActivity activity);

// The words of the state's reasons that the table knows, each once, in the order given and
// separated by commas.
std::string reason_texts(const platform::PrinterState& state);

// Whether the printer cannot print now: it is stopped, or a reason keeps it from printing.
bool out_of_order(const platform::PrinterState& state);

// A line of the printer list: "<index> <name>" as always, followed where the state is known by
// " — <activity>[: <reasons>], заданий: <unfinished jobs>".
std::string printer_list_line(std::size_t index, const std::string& name,
                              const platform::PrinterState& state);

}  // namespace talvex::app
