#pragma once
// What the fuzz targets share. Each target is one source file defining
// LLVMFuzzerTestOneInput (and LLVMFuzzerInitialize when it needs set-up).
// Built with libFuzzer (KLETOMER_FUZZ) it is fuzzed; built with replay.cpp
// it reads the files named on its command line once each, which is how
// CTest runs every target over its corpus in every build.
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace klt::fuzz {

// Writes the input to this process's own file with the given suffix
// (".kvt") and returns its path; the same path every time, so each input
// replaces the one before. Readers that take a path read it.
std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix);

} // namespace klt::fuzz
