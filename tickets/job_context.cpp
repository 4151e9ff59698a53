#include "tickets/job_context.h"

namespace talvex::tickets {

void mark_printed(JobContext& job) {
  job.db.statements.execute(data::Sql("UPDATE `print` SET status='yes' WHERE id='") +
                            data::value(job.print_row_id) + "'");
}

}  // namespace talvex::tickets
