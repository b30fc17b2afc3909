// An effect record as a caller might hand it over, built from fuzz input:
// any dwSize, flags and numbers; axis, direction, envelope and type-specific
// blocks each present or missing, and each exactly as long as the record
// says (so that reading past any of them is caught), with arbitrary contents.
#pragma once

#include <dinput.h>

#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"

namespace fuzz {

class EffectRecordFromInput {
  public:
    explicit EffectRecordFromInput(FuzzInput& in);
    const DIEFFECT* get() const { return reinterpret_cast<const DIEFFECT*>(record_.data()); }

  private:
    // Exactly the record's size: the DirectX 5 form when dwSize names it,
    // else the full form.
    std::vector<BYTE> record_;
    std::unique_ptr<DWORD[]> axes_;
    std::unique_ptr<LONG[]> directions_;
    std::unique_ptr<DIENVELOPE> envelope_;
    std::vector<BYTE> typeSpecific_;
};

}  // namespace fuzz
