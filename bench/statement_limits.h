#pragma once

namespace talvex::bench {

// How many statements a document may send, the journal's own left out: the benchmark's targets,
// to which the tests hold the documents too. An order ticket sends exactly its limit, a bill's
// copy at most its limit.
inline constexpr int kOrderTicketStatements = 9;
inline constexpr int kPrecheckCopyStatements = 12;
inline constexpr int kReceiptCopyStatements = 16;

// What the journal of documents may add: statements per document, and per job.
inline constexpr int kJournalPerDocument = 2;
inline constexpr int kJournalPerJob = 1;

}  // namespace talvex::bench
