// The subtractive generator written out from its definition, as a check on the shared class.
#pragma once

#include <cstdint>

namespace transtest {

class ModelGenerator {
public:
    explicit ModelGenerator(std::int64_t s) {
        const std::int64_t m = 1000000000;
        w[55] = s;
        std::int64_t a = s, b = 1;
        for (int i = 1; i <= 54; ++i) {
            const int k = (21 * i) % 55;
            w[k] = b;
            b = a - b;
            if (b < 0) b += m;
            a = w[k];
        }
        for (int round = 0; round < 3; ++round) Refill();
        j = 55;
    }
    std::int64_t Next() {
        if (++j > 55) {
            Refill();
            j = 1;
        }
        return w[j];
    }

private:
    void Refill() {
        for (int i = 1; i <= 55; ++i) {
            w[i] -= w[1 + (i + 30) % 55];
            if (w[i] < 0) w[i] += 1000000000;
        }
    }
    std::int64_t w[56] = {};
    int j = 55;
};

}  // namespace transtest
