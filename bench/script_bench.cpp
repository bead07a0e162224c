// Script machine benchmark: one loop of arithmetic, moves, calls and command calls, run by the
// interpreter and as compiled native code, against the same work done by a plain C++ loop.
// Prints SOB instructions per second and the ratios, best of several runs.
// Usage: script_bench [runs] [iterations]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_timing.h"
#include "game/script/compiled_code.h"
#include "game/script/script_address.h"
#include "game/script/script_core.h"
#include "tools/content/sob_assembler.h"

namespace {

std::uint32_t XM_CDECL AddArguments(std::uint32_t* arguments) {
    return arguments[0] + arguments[1];
}

// 15 instructions an iteration, passing values the way compiled scripts do: through the
// operands of later instructions.
const char kLoop[] =
    "loop: copy i, a+4\n"
    "a: add 0, 7, t\n"
    "copy t, m+4\n"
    "m: mul 0, 3, t\n"
    "copy t, x+4\n"
    "x: xor 0, 0x55, sum\n"
    "call sub\n"
    "cmd cmd:0, args, result\n"
    "dec i\n"
    "copy i, j+4\n"
    "j: jz 0, done\n"
    "jmp loop\n"
    "sub: push 1\n"
    "pop scratch\n"
    "ret\n"
    "done: ret\n"
    ".data\n"
    "i: .word 0\n"
    "t: .word 0\n"
    "sum: .word 0\n"
    "scratch: .word 0\n"
    "result: .word 0\n"
    "args: .word 20, 22\n";
constexpr double kInstructionsPerIteration = 15;

// The loop's work in C++, through memory the compiler may not keep in registers.
struct PlainState {
    volatile std::uint32_t i, t, sum, scratch, result;
    std::uint32_t args[2];
};

void PlainLoop(PlainState& s, std::uint32_t iterations, CommandHandler volatile handler) {
    s.i = iterations;
    do {
        s.t = s.i + 7;
        s.t = s.t * 3;
        s.sum = s.t ^ 0x55;
        s.scratch = 1;
        s.result = handler(s.args);
        s.i = s.i - 1;
    } while (s.i != 0);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::uint32_t iterations = argc > 2 ? static_cast<std::uint32_t>(std::atoi(argv[2])) : 200000;

    const testsupport::SobModule module = testsupport::AssembleSob(kLoop);
    ScriptCore core;
    core.AddCommand(AddArguments);
    const std::vector<std::uint8_t> body = module.Body();
    if (core.LinkModule(body.data(), body.size(), -1, false) != 0) {
        std::fprintf(stderr, "the loop does not link\n");
        return 1;
    }
    std::uint8_t* const image = core.Module(0).ImageBytes();
    SobExecContext& context = core.Context();
    const auto run = [&] {
        std::memcpy(image + module.Label("i"), &iterations, sizeof(iterations));
        context.ResetStack();
        if (context.Call(AddressOf(image)) != kSobReturned) {
            std::fprintf(stderr, "the loop did not return\n");
            std::exit(1);
        }
    };

    PlainState plain = {};
    plain.args[0] = 20;
    plain.args[1] = 22;
    const double plainSeconds = bench::Best(runs, [&] { PlainLoop(plain, iterations, AddArguments); });
    const double interpretedSeconds = bench::Best(runs, run);

    CompiledCode code(context.BoundFields());
    if (context.SetUseCompiled(1) != 0 || code.Compile(AddressOf(image), module.instructionSize) != 0) {
        std::fprintf(stderr, "the loop does not compile\n");
        return 1;
    }
    const double compiledSeconds = bench::Best(runs, run);

    const double instructions = kInstructionsPerIteration * iterations;
    std::printf("script loop: %u iterations of %.0f instructions, best of %d runs\n", iterations,
                kInstructionsPerIteration, runs);
    std::printf("  plain C++ loop  %8.1f M iterations/s (reference)\n", iterations / plainSeconds / 1e6);
    std::printf("  interpreted     %8.1f M instructions/s  %6.1f%% of the plain loop's speed\n",
                instructions / interpretedSeconds / 1e6, 100.0 * plainSeconds / interpretedSeconds);
    std::printf("  compiled        %8.1f M instructions/s  %6.1f%% of the plain loop's speed\n",
                instructions / compiledSeconds / 1e6, 100.0 * plainSeconds / compiledSeconds);
    std::printf("  compiled / interpreted: %.2fx\n", interpretedSeconds / compiledSeconds);
    return 0;
}
