#pragma once
// Every fuzz target provides its own seeds, made by the code under test, so the
// corpus always matches the current formats.
#include <cstdint>
#include <vector>

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds();
