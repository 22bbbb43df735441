// Stand-in for libFuzzer's main where clang is not used: feeds a fixed number
// of pseudo-random inputs (seeded, so a failure repeats) of varied shapes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  long runs = argc > 1 ? std::atol(argv[1]) : 10000;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 12345u);
  // Bias towards bytes that matter to text formats and paths.
  static const uint8_t interesting[] = {0,    '\r', '\n', '\\', ':', '=', '[', ']', ';', '.', '0', 'x', '$',
                                        '-',  ' ',  '\t', 0xEF, 0xBB, 0xBF, 0xFE, 0xFF, 0xD8, 0xDC, '*', '?'};
  std::vector<uint8_t> buf;
  for (long i = 0; i < runs; ++i) {
    size_t size = (i % 100 == 0) ? rng() % 70000 : rng() % 300;
    buf.resize(size);
    for (auto& b : buf)
      b = (rng() % 3 == 0) ? interesting[rng() % sizeof interesting] : static_cast<uint8_t>(rng());
    LLVMFuzzerTestOneInput(buf.data(), buf.size());
  }
  std::printf("%ld inputs, no failure\n", runs);
  return 0;
}
