#pragma once
// What this build of Quillmere trusts: the keys a program list may be signed
// with, and the most a download may bring when its server announces no
// length. Defined in keys/trusted_keys.cpp, which each Quillmere program
// compiles into itself: Quillmere.exe trusts the publisher's keys only; the
// test build (QUILLMERE_TEST_BUILD), which only the download tests start,
// also the test key and stops endless downloads sooner.
#include "batcher/config/signature_check.h"

#include <cstdint>
#include <span>

namespace corv {

std::span<const P256PublicKey> trustedListKeys();
int64_t downloadCeiling();

} // namespace corv
