// The engine's changes as counters, the one way they reach an editor in
// either format. The host adapter (VST 2 or LV2) owns the board and makes
// it the engine's listener; the editor keeps the counts it has seen and,
// in its idle time, refreshes what moved. The board outlives every editor
// of its instance, so an editor that goes away leaves nothing the audio
// thread could still call, and any number of editors can read it.
//
// The listener calls come on any thread, the audio thread among them, often
// under the engine's lock: they only increment atomics.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/enginelistener.h"

class SEngineChangeBoard final : public SIEngineListener {
public:
    // Engine indices 0 to kIndices - 1 are counted; others count as
    // everything having changed.
    static constexpr int kIndices = 16;

    SEngineChangeBoard()
    {
        for (auto& count : counts)
            count.store(0, std::memory_order_relaxed);
    }

    void ParameterChanged(int index) override
    {
        Bump(index >= 0 && index < kIndices ? counts[index] : everything);
    }
    void EverythingChanged() override { Bump(everything); }

    uint32_t Count(int index) const { return counts[index].load(std::memory_order_acquire); }
    uint32_t EverythingCount() const { return everything.load(std::memory_order_acquire); }

    // What one reader has seen. Collect calls onAll() once when everything
    // changed since the last call (and then skips the single indices), else
    // onIndex(index) for each index that changed.
    class Reader {
    public:
        template <typename OnIndex, typename OnAll>
        void Collect(const SEngineChangeBoard& board, OnIndex onIndex, OnAll onAll)
        {
            const uint32_t all = board.EverythingCount();
            if (all != seenAll || !started) {
                started = true;
                seenAll = all;
                for (int i = 0; i < kIndices; ++i)
                    seen[i] = board.Count(i);
                onAll();
                return;
            }
            for (int i = 0; i < kIndices; ++i) {
                const uint32_t now = board.Count(i);
                if (now != seen[i]) {
                    seen[i] = now;
                    onIndex(i);
                }
            }
        }

        // The next Collect reports everything (an editor that opens again).
        void Restart() { started = false; }

    private:
        bool started = false;
        uint32_t seenAll = 0;
        uint32_t seen[kIndices] = {};
    };

private:
    static void Bump(std::atomic<uint32_t>& count) { count.fetch_add(1, std::memory_order_release); }

    std::atomic<uint32_t> counts[kIndices];
    std::atomic<uint32_t> everything{0};
};
