/*
 * FuzzTarget.cpp - the libFuzzer entry of the session fuzzer: one input,
 * one whole session (FuzzSession.h).  A refused session is rejected (-1:
 * not kept in the corpus); a finding aborts, so that libFuzzer keeps the
 * input as a crash, after the session as played is printed.
 */
#include "tests/fuzz/FuzzSession.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Played p = fuzz::playInput(data, size);
    if (p.verdict == fuzz::Verdict::Refused)
        return -1;
    if (p.verdict == fuzz::Verdict::Finding) {
        std::fprintf(stderr, "nerolit fuzz: finding: %s\n--- the session as played:\n%s---\n", p.message.c_str(),
                     p.session.c_str());
        std::abort();
    }
    return 0;
}
