#pragma once

// Large inputs for the benchmarks of the BLAST+ readers, made in memory from
// the reports of tests/data/blastplus, and the newline count they are
// measured against.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace blastsearch {

// The whole content of tests/data/blastplus/`name`; throws naming the file.
inline std::string BlastPlusBenchFile(const std::string& name) {
  const std::string path = std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// `head`, then `body` repeated (joined by `joint`) to at least `size` bytes,
// then `tail`.
inline std::string RepeatedReport(const std::string& head, const std::string& body,
                                  const std::string& joint, const std::string& tail,
                                  std::size_t size) {
  std::string all = head;
  all.reserve(size + body.size() + tail.size());
  for (bool first = true; all.size() < size; first = false) {
    if (!first) all += joint;
    all += body;
  }
  return all + tail;
}

// Lines of `text`, counted with memchr: the speed that reading line by line
// can at best reach.
inline std::size_t CountNewlines(const std::string& text) {
  std::size_t count = 0;
  for (const char *p = text.data(), *end = p + text.size();
       (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
    ++count;
  return count;
}

// Measures CountNewlines over `text` as the floor a reader is compared with:
// one pass over the same bytes, reported in bytes per second.
inline void MeasureNewlineFloor(benchmark::State& state, const std::string& text) {
  for (auto _ : state) benchmark::DoNotOptimize(CountNewlines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

}  // namespace blastsearch
