// A pass over the data file shared among threads: the one reading thread
// reads the file on through its reader (so that the checksum of the pass
// and the end of the data are as ever), cuts it into ranges that each start
// a record, and hands them to the parsing threads; the results come back to
// it in the file's order, and it applies them one after another. Values
// thus enter the cube in the file's order, as the one-thread load puts
// them. At most a few ranges are in memory at once, whatever the file.
#pragma once

#include "input/data_reader.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

struct RangeSettings {
    int threads = 2;                          // parsing threads
    std::size_t bytes = std::size_t{1} << 20; // read for a range at a time; tests make it tiny
    // A classic file's: its records may share and span lines, and a range
    // may end after a blank where it holds no line end.
    bool classic = false;
};

// The bytes a range holds: the tail of the one before, cut off after its
// last line end, then what was read for it.
struct RangeBuffer {
    void* allocation = nullptr;
    char* base = nullptr; // aligned to a page
    char* data = nullptr; // the range's first byte; a NUL follows its last
    std::size_t size = 0;
};

// Room before the bytes read for a range for the tail of the one before:
// a line of the longest, or a token; the bytes read land on a page.
inline constexpr std::size_t range_tail_room = (longest_line + 2 + 4095) / 4096 * 4096;

// Makes room for `bytes` read and the tail before them; false without memory.
bool make_range_buffer(RangeBuffer& range, std::size_t bytes);
void free_range_buffer(RangeBuffer& range);

// Reads the next range into `range` after `tail` (the bytes the last range
// left), and keeps in `tail` what this one leaves. Gives 1 for a range, 0
// at the end of the data, -1 where no range can be cut (a tail longer than
// its room).
int read_range(DataReader& reader, RangeBuffer& range, std::string& tail,
               const RangeSettings& settings);

// Runs a pass: `parse(data, size, result)` on the parsing threads, each
// range's into a result of its own; `apply(result)` on this thread, in the
// file's order, false to stop. Gives false when the pass stopped (a range
// whose result said so, or one that could not be cut): the caller then
// reads the file on one thread, which decides what to say.
template <class Result, class Parse, class Apply>
bool run_ranges(DataReader& reader, const RangeSettings& settings, Parse parse, Apply apply) {
    enum class State : unsigned char { free, ready, parsing, parsed };
    struct Slot {
        RangeBuffer range;
        Result result{};
        State state = State::free;
        std::int64_t index = 0;
    };
    const int threads = settings.threads < 1 ? 1 : settings.threads;
    // Twice the threads: one range parses while the next waits, and the
    // reading thread can read ahead; at most 16, so that memory stays
    // bounded whatever the threads (a few MiB a range).
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(threads) * 2, 16);
    std::vector<Slot> slots(count);
    bool sound = true;
    for (Slot& slot : slots) sound = sound && make_range_buffer(slot.range, settings.bytes);
    std::mutex lock;
    std::condition_variable to_parse, parsed;
    bool stop = false;
    std::vector<std::thread> workers;
    auto work = [&] {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            Slot* next = nullptr;
            to_parse.wait(held, [&] {
                if (stop) return true;
                for (Slot& slot : slots)
                    if (slot.state == State::ready && (!next || slot.index < next->index))
                        next = &slot;
                return next != nullptr;
            });
            if (stop) return;
            next->state = State::parsing;
            held.unlock();
            parse(next->range.data, next->range.size, next->result);
            held.lock();
            next->state = State::parsed;
            parsed.notify_one();
        }
    };
    // A thread the system can't start (its stack is beyond the memory a
    // run may have) leaves the pass to fewer, or to the one-thread load.
    for (int i = 0; sound && i < threads; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    sound = sound && !workers.empty();
    std::string tail;
    std::int64_t read = 0, applied = 0;
    bool more = sound;
    while (sound) {
        while (more && read - applied < static_cast<std::int64_t>(count)) {
            Slot& slot = slots[static_cast<std::size_t>(read) % count];
            const int got = read_range(reader, slot.range, tail, settings);
            if (got <= 0) {
                more = false;
                sound = got == 0;
                break;
            }
            {
                std::lock_guard<std::mutex> held(lock);
                slot.state = State::ready;
                slot.index = read++;
            }
            to_parse.notify_one();
        }
        if (!sound || applied == read) break;
        Slot& slot = slots[static_cast<std::size_t>(applied) % count];
        {
            std::unique_lock<std::mutex> held(lock);
            parsed.wait(held, [&] { return slot.state == State::parsed; });
            slot.state = State::free;
        }
        ++applied;
        sound = apply(slot.result);
    }
    {
        std::lock_guard<std::mutex> held(lock);
        stop = true;
    }
    to_parse.notify_all();
    for (std::thread& worker : workers) worker.join();
    for (Slot& slot : slots) free_range_buffer(slot.range);
    return sound;
}
