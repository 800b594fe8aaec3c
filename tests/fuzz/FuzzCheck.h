#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <cstdlib>

namespace harkwell::fuzz {

// A broken property is a finding like a crash: libFuzzer keeps the input.
inline void Require(bool holds, const char* what)
{
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

// Messages are part of normal refusals, not findings.
class SilentSink final : public MessageSink {
public:
    int Show(std::string_view, MessageKind) override { return kMessageOk; }
};

}  // namespace harkwell::fuzz
