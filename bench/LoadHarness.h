#pragma once

// vemora-bench --server URL --clients N --seconds S [--seed SCALE] [--pause MS]
//
// The load and conflict harness: N clients, each on a connection of its own
// with the program's own logic objects, work on one server register at
// once for S seconds: moves of a shared set of stock items (many clients
// aiming at the same few), adds of colliding stock codes, modifications
// and two-stage removals, and one page rebuild in twenty. Afterwards it
// checks every invariant of the register (see checkInvariants) and prints,
// per operation, the count committed, the conflicts the user was told of,
// the retries after a deadlock, and the median and 95th percentile time,
// with the throughput of them all.
//
// With --seed the harness makes a database of its own beside the one URL
// names, seeds it at that scale, works on it and drops it; otherwise URL
// names a seeded register, which the run changes.

#include <QString>

namespace bench {

struct LoadOptions {
    QString server;
    int clients = 20;
    int seconds = 10;
    double seedScale = 0; // 0: work on the register URL names
    // Each client's pause between two operations, on average (0 to twice
    // this, at random): a user's time to think. 0: none, every client works
    // flat out.
    int pauseMs = 0;
};

// Runs the harness; 0 when every invariant holds and every message a client
// saw was one of the conflict messages, 1 otherwise.
int runLoadHarness(const LoadOptions& options);

} // namespace bench
