#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run as a crash would, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(...) ((__VA_ARGS__) ? (void) 0 : (std::fprintf (stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #__VA_ARGS__), std::abort()))
