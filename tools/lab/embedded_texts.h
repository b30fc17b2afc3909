// Texts built into the lab from the repository's own files, so that the
// built-in runs use exactly what ships: the demo scenario
// (tools/scenarios/demo.json) and each model's install registry file
// (install/rumbix_<m>.reg).
#pragma once

namespace lab {

extern const char kDemoScenario[];
extern const char kModelSRegistryFile[];
extern const char kModelTRegistryFile[];

}  // namespace lab
