// The driver of fuzzing campaigns. AFL++'s runtime object, linked in, keeps
// the coverage map, the fork server and the persistent loop; this driver runs
// the target over many inputs per process (each on standard input) and
// records the edges between basic blocks that every input takes. For
// campaigns the project is compiled with -fsanitize-coverage=trace-pc, which
// makes the compiler call __sanitizer_cov_trace_pc at the start of every
// basic block; this file itself is compiled without it.
#include "fuzz_target.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" {
extern std::uint8_t* __afl_area_ptr;
int __afl_persistent_loop(unsigned int max_count);
// Start of the program's image, provided by the linker: block addresses are
// taken relative to it so that they do not depend on where the program is
// loaded.
extern const char __executable_start;
}

namespace {

// The coverage map holds 2^16 counters.
constexpr std::uintptr_t MAP_MASK = 0xffff;
// The fuzzer switches to persistent mode when it finds this text in the
// program.
[[gnu::used]] const char persistent_marker[] = "##SIG_AFL_PERSISTENT##";
// Inputs per process before the fork server starts a fresh one.
constexpr unsigned int INPUTS_PER_PROCESS = 10000;
// The fuzzer's largest input.
constexpr std::size_t LARGEST_INPUT = std::size_t{1} << 20;

thread_local std::uintptr_t previous_block = 0;

}  // namespace

// An edge is counted at the pair (previous block, this block); the previous
// block is shifted so that A->B and B->A count apart.
extern "C" [[gnu::no_sanitize_coverage, gnu::no_sanitize("address", "undefined")]] void
__sanitizer_cov_trace_pc() {
  auto block = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)) -
               reinterpret_cast<std::uintptr_t>(&__executable_start);
  block = (block ^ (block >> 16)) * 0x45d9f3b;
  block = (block ^ (block >> 16)) & MAP_MASK;
  ++__afl_area_ptr[block ^ previous_block];
  previous_block = block >> 1;
}

int main() {
  std::vector<std::uint8_t> buffer(LARGEST_INPUT);
  while (__afl_persistent_loop(INPUTS_PER_PROCESS) != 0) {
    previous_block = 0;
    const auto length = std::max<ssize_t>(read(STDIN_FILENO, buffer.data(), buffer.size()), 0);
    // A buffer of exactly the input's size lets the address sanitizer see any
    // read past its end.
    const std::vector<std::uint8_t> input(buffer.begin(), buffer.begin() + length);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
