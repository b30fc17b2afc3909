// Writes the twelve effect registrations that a device installation puts in
// the registry, so that a driver object can be created.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// Registry path (below HKEY_LOCAL_MACHINE) of registration `position` of the
// device with the given ids.
std::string EffectRegistrationPath(WORD vendorId, WORD productId, unsigned position);

// Writes all twelve, each "Attributes" a 20-byte record whose effect id is
// its position. Any registration in `skipped` (positions) is left out.
void InstallEffectRegistrations(WORD vendorId, WORD productId,
                                std::initializer_list<unsigned> skipped = {});

}  // namespace test_support
