// A TGS frame over the fake host, with a recording opcode handler vector.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/tgs/tgs_frame.h"
#include "tests/support/fake_tgs_host.h"
#include "tools/content/tob_writer.h"

namespace tgstest {

using testsupport::FakeTgsHost;
using testsupport::TobCode;
using testsupport::TobCondition;
using testsupport::TobOperand;
using testsupport::TobWriter;
using Bytes = std::vector<std::uint8_t>;

struct RecordedOp {
    std::uint32_t opcode;
    std::vector<std::uint32_t> operands;  // {type, value} pairs
    std::vector<std::string> strings;     // the string operands' texts
};

class TgsFrameTest : public ::testing::Test {
protected:
    TgsFrameTest() : frame(host) {
        frame.SetFileSource(host.Files());
        for (std::uint32_t op = 12; op < TgsFrame::kOpcodeCount; ++op) {
            frame.SetOpHandler(op, [this, op](TgsFrame& f, std::uint32_t* operands) {
                RecordedOp record{op, {}, {}};
                for (std::uint32_t i = 0; i < f.Executor().operandCount; ++i) {
                    record.operands.push_back(operands[2 * i]);
                    record.operands.push_back(operands[2 * i + 1]);
                    if (TgsIsString(operands[2 * i]) && operands[2 * i + 1]) {
                        record.strings.push_back(reinterpret_cast<const char*>(operands[2 * i + 1]));
                    }
                }
                ops.push_back(record);
                return handlerResult;
            });
        }
    }

    void AddTob(const std::string& name, const Bytes& bytes) { host.files["SCRIPT\\" + name + ".TOB"] = bytes; }

    // Starts module M with these bytes and runs it.
    std::int32_t RunTob(const Bytes& bytes) {
        AddTob("M", bytes);
        frame.ReleaseModules();
        EXPECT_EQ(0, frame.StartScript("M"));
        return frame.Run();
    }

    std::string Output() {
        return std::string(frame.Executor().output, frame.Executor().outputLength);
    }

    // Fake SOB code: [symbol 0] = value.
    static TobCode SetResult(std::uint32_t value) {
        TobCode code;
        code.code = FakeTgsHost::Op(1, value, 0);
        Bytes end = FakeTgsHost::Op(0);
        code.code.insert(code.code.end(), end.begin(), end.end());
        code.fixups[2].push_back({8, 0});  // b = &retTgsExp
        return code;
    }
    // Fake SOB code: variable `array` element 0 = value, then [symbol 0] = value.
    static TobCode StoreAndSet(std::uint32_t array, std::uint32_t value) {
        TobCode code = SetResult(value);
        Bytes store = FakeTgsHost::Op(1, value, 0);
        code.code.insert(code.code.begin(), store.begin(), store.end());
        code.fixups[2][0].at += 12;
        code.fixups[0].push_back({8, array});
        return code;
    }

    FakeTgsHost host;
    TgsFrame frame;
    std::vector<RecordedOp> ops;
    std::int32_t handlerResult = 0;
};

}  // namespace tgstest
