// A small subtract-with-borrow random generator (lag 3, borrow 18). Cheap,
// deterministic for a given seed, and good enough for window names.
#pragma once

#include <cstdint>

namespace kova::math::random::generator {

class SRandomMarsaglia {
public:
    // Fixed start state; Seed() mixes in a per-run value.
    SRandomMarsaglia() = default;

    // Derives the state from one 32-bit value (the editor uses the low word
    // of the time-stamp counter).
    void Seed(uint32_t a)
    {
        seed[0] = a;
        state[0] = a ^ 0x1F123BB5u;
        state[1] = a ^ 0x159A55E5u;
        state[2] = a ^ 0x00F6A3D9u;
        state[3] = a ^ 0x436CBAE9u;
        carry = state[2] < state[1] ? 1u : 0u;
    }

    // One step; the result is also kept as the first seed word.
    int Integer()
    {
        uint32_t sum = carry + state[0];
        uint32_t d;
        if (state[1] > sum) {
            d = state[1] - sum;
            carry = 0;
        } else {
            d = state[1] - sum - 18u;
            carry = 1;
        }
        state[0] = state[1];
        state[1] = state[2];
        state[2] = d;
        state[3] = 69069u;
        uint32_t result = d + 1489463708u;
        seed[0] = result;
        return (int)result;
    }

    // The next integer scaled by (2^32 + 1) / 2^64, in single precision.
    float Float()
    {
        float f = (float)Integer();
        return (float)(f * 2.3283064370807974e-10);
    }

    uint32_t SeedWord(int i) const { return seed[i & 1]; }
    uint32_t StateWord(int i) const { return state[i & 3]; }
    uint32_t Carry() const { return carry; }

private:
    uint32_t seed[2] = {0x12B9B0A1u, 0x12B9B0A1u};
    uint32_t state[4] = {0x0DAB8B14u, 0x0723E544u, 0x124F1378u, 0x51D50A48u};
    uint32_t carry = 0;
};

}  // namespace kova::math::random::generator
