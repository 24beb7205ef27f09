#include "Pacer.h"

#include <algorithm>

namespace sim {

namespace {
constexpr double kChunkSeconds = 0.008; // one write per this much line time
constexpr double kCatchUpSeconds = 0.02;
} // namespace

double lineSeconds(size_t bytes, int baud) {
    return static_cast<double>(bytes) * 10.0 / baud;
}

bool lineCarries(size_t bytesPerSecond, int baud) {
    return static_cast<unsigned long long>(bytesPerSecond) * 10ull <=
           static_cast<unsigned long long>(baud);
}

Pacer::Pacer(int baud, bool paced, Writer writer)
    : baud_(baud), paced_(paced), writer_(std::move(writer)) {}

void Pacer::enqueue(Piece piece) {
    queue_.push_back({std::move(piece)});
}

void Pacer::enqueueNext(Piece piece) {
    auto at = queue_.begin();
    if (at != queue_.end() && at->sent > 0) ++at;
    queue_.insert(at, Entry{std::move(piece)});
}

size_t Pacer::queuedBytes() const {
    size_t n = 0;
    for (const auto& e : queue_)
        n += e.piece.bytes.size() - e.sent;
    return n;
}

double Pacer::pump(double now) {
    if (!paced_) {
        while (!queue_.empty()) {
            Entry& e = queue_.front();
            if (e.sent < e.piece.bytes.size())
                writer_(e.piece.bytes.data() + e.sent, e.piece.bytes.size() - e.sent);
            queue_.pop_front();
        }
        return -1;
    }
    // An idle line does not save up time: the next byte starts now at the
    // earliest. A late wake-up may catch up a little, never more than
    // kCatchUpSeconds of line time at once.
    if (idle_ && !queue_.empty()) freeAt_ = std::max(freeAt_, now);
    if (freeAt_ < now - kCatchUpSeconds) freeAt_ = now - kCatchUpSeconds;
    const size_t chunk = std::max<size_t>(1, static_cast<size_t>(baud_ / 10.0 * kChunkSeconds));
    while (!queue_.empty() && freeAt_ <= now) {
        Entry& e = queue_.front();
        const std::string& b = e.piece.bytes;
        size_t end = std::min(b.size(), e.sent + chunk);
        if (e.piece.pauseSeconds > 0 && !e.paused && e.sent < e.piece.pauseAt)
            end = std::min(end, e.piece.pauseAt);
        if (end > e.sent) {
            writer_(b.data() + e.sent, end - e.sent);
            freeAt_ += lineSeconds(end - e.sent, baud_);
            e.sent = end;
        }
        if (e.piece.pauseSeconds > 0 && !e.paused && e.sent == e.piece.pauseAt) {
            e.paused = true;
            freeAt_ += e.piece.pauseSeconds;
        }
        if (e.sent >= b.size()) queue_.pop_front();
    }
    idle_ = queue_.empty();
    return queue_.empty() ? -1 : freeAt_;
}

} // namespace sim
