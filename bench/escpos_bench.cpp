// One kitchen ticket of a sub-order with three Cyrillic lines, as the order tickets draw it (read
// from a private MariaDB server started for the run), printed for a receipt printer: the time to
// render it as a 1-bit image of an 80 mm roll, to encode that as ESC/POS, and to write it as the
// PDF a queue with a driver gets instead, with the bytes of each.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/database.h"
#include "platform/escpos/escpos_raster.h"
#include "platform/printer.h"
#include "platform/qt/page_renderer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/private_server.h"
#include "tests/support/recording_print_system.h"
#include "tests/support/temporary_folder.h"
#include "tickets/order_ticket.h"

namespace {

using talvex::data::Sql;
using talvex::platform::PrintedPage;

// The page of the kitchen ticket, drawn once by the real order tickets.
const PrintedPage& kitchen_ticket() {
  static const PrintedPage page = [] {
    setenv("TALVEX_SOURCE_DIR", TALVEX_SOURCE_DIR, 0);
    talvex::testing::PrivateServer server;
    talvex::testing::create_schema_database(server.params(""), "screen");
    talvex::data::Connection admin(server.params("screen"));
    for (const char* s : {
             "INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (4, 'KITCHEN', 2)",
             "INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, "
             "'Айгерим')",
             "INSERT INTO menu (id, name) VALUES (1, 'Борщ украинский'), (2, 'Шашлык из "
             "баранины'), (3, 'Чай с чабрецом')",
             "INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo) VALUES (10, 1, 4, 1, "
             "2), (10, 1, 4, 2, 1), (10, 1, 4, 3, 3)",
             "INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, "
             "'podzakaz', 'no')",
         }) {
      admin.execute(Sql::fixed(s));
    }
    talvex::data::Database db(server.params("screen"));
    talvex::testing::RecordingPrintSystem system;
    talvex::platform::Printer printer(system);
    talvex::testing::FakeClock clock;
    const talvex::tickets::Settings settings{
        "ТОО «Зефира»", "Кафе на набережной", "0", "5", "0", "40", "60"};
    std::string print_row_id = "1";
    db.queue.reload("select * from print where status='no' ORDER BY id ASC");
    talvex::tickets::JobProgress progress;
    talvex::tickets::JobContext job{db,           printer,  clock,     settings,
                                    print_row_id, progress, [](int) {}};
    talvex::tickets::print_order_tickets(job);
    return system.jobs.at(0).page;
  }();
  return page;
}

void BM_EscposRender(benchmark::State& state) {
  const PrintedPage& page = kitchen_ticket();
  for (auto _ : state)
    benchmark::DoNotOptimize(talvex::platform::qt::render_mono(page, 203, 576));
}
BENCHMARK(BM_EscposRender)->Unit(benchmark::kMillisecond);

void BM_EscposEncode(benchmark::State& state) {
  const talvex::platform::MonoImage image =
      talvex::platform::qt::render_mono(kitchen_ticket(), 203, 576);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string stream = talvex::platform::escpos::encode_receipt(image);
    bytes = stream.size();
    benchmark::DoNotOptimize(stream.data());
  }
  state.counters["escpos_bytes"] = static_cast<double>(bytes);
  state.counters["image_rows"] = image.height;
}
BENCHMARK(BM_EscposEncode)->Unit(benchmark::kMicrosecond);

void BM_Pdf(benchmark::State& state) {
  const PrintedPage& page = kitchen_ticket();
  const talvex::testing::TemporaryFolder folder;
  const std::string path = folder.path() + "/ticket.pdf";
  for (auto _ : state)
    talvex::platform::qt::write_pdf(page, talvex::platform::qt::Roll{}, path);
  state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Rendering needs no screen: run the same way with or without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_QPA_OFFSCREEN_NO_GLX", "1", 0);
  int qt_argc = 1;
  QGuiApplication application(qt_argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
