// Sends bytes no faster than a serial line at the simulated baud rate would
// carry them (ten bits per byte: start, eight data, stop), in small chunks
// with timing, and honours pauses inside a piece.
#pragma once

#include "Faults.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace sim {

// Seconds the line needs for `bytes` at `baud`.
double lineSeconds(size_t bytes, int baud);
// True when `bytesPerSecond` fit the line: bytes * 10 <= baud.
bool lineCarries(size_t bytesPerSecond, int baud);

class Pacer {
  public:
    // Writes bytes; returns how many were taken (the rest are dropped).
    using Writer = std::function<size_t(const char*, size_t)>;

    // paced false: everything leaves at once, pauses are skipped.
    Pacer(int baud, bool paced, Writer writer);

    void enqueue(Piece piece);
    // Before the pieces not yet started (replies to commands go out between
    // sentences, never inside one).
    void enqueueNext(Piece piece);
    bool idle() const { return queue_.empty(); }
    size_t queuedBytes() const;

    // Sends what is due at `now` (monotonic seconds). Returns the time at
    // which more is due, or a negative value when nothing is queued.
    double pump(double now);

  private:
    struct Entry {
        Piece piece;
        size_t sent = 0;
        bool paused = false;
    };
    int baud_;
    bool paced_;
    Writer writer_;
    std::deque<Entry> queue_;
    double freeAt_ = 0; // when the line can take the next byte
    bool idle_ = true;  // nothing was queued at the last pump
};

} // namespace sim
