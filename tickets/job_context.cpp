#include "tickets/job_context.h"

namespace talvex::tickets {

void start_document(Page& page, const std::string& title, NextStep step) {
  page.start(title);
  if (step != NextStep::PrintAsRepeat)
    return;
  // One 12-point line above everything else, which moves down by it.
  page.size(12);
  page.line(0, "ПОВТОР", 50);
}

void send_document(JobContext& job, Page& page, const std::string& document,
                   std::int32_t discount) {
  const std::string identity = job.progress.handing(
      document, job.printer.printer_name(job.printer.printer_index()), discount);
  std::string spooler_job;
  try {
    spooler_job = page.end(identity);
  } catch (const platform::PrinterError&) {
    job.progress.refused(document);
    throw;
  }
  job.progress.ended(document, spooler_job);
}

void mark_printed(JobContext& job) {
  if (job.progress.kept()) {
    job.progress.mark_printed();
    return;
  }
  job.db.statements.execute(data::Sql("UPDATE `print` SET status='yes' WHERE id='") +
                            data::value(job.print_row_id) + "'");
}

}  // namespace talvex::tickets
