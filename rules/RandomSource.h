// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Chance for the deal: a uniform random source 0 <= r < 1 that can be seeded, behind an
// interface so that tests can script the draws.

#include <cstdint>
#include <random>

namespace tavik {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t value) = 0;
    virtual float next() = 0;
};

class MersenneRandom final : public RandomSource {
public:
    void seed(std::uint32_t value) override { engine_.seed(value); }
    float next() override
    {
        // 24 random bits give a float in [0, 1) that can never round up to 1.
        return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
    }

private:
    std::mt19937 engine_;
};

} // namespace tavik
