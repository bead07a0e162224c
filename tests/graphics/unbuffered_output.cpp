// The test program's output goes to a file under Wine, where the C runtime buffers it whole: a
// test that crashes would take the report of every test before it along. Unbuffered, the last
// line names the test that crashed.
#include <cstdio>

namespace {

const int kUnbuffered = std::setvbuf(stdout, nullptr, _IONBF, 0);

}  // namespace
