// The report log: one line per report the controller received, so that a
// run can be read, compared and checked byte for byte.
//
//   # comment lines (model, scenario, columns)
//   <ms from scenario start> | <hex bytes> | <kind> [| left 0xNN NN.N% | right 0xNN NN.N%]
//
// The motor columns follow strength reports only.
#pragma once

#include <string>
#include <vector>

#include "profiles/device_model_profile.h"
#include "tools/lab/report_decoding.h"

namespace lab {

std::string ReportLogLine(const DeviceModelProfile& profile, const LabReport& report);

// False with a message when the file cannot be written.
bool WriteReportLog(const std::string& path, const DeviceModelProfile& profile,
                    const std::string& scenarioName, const std::vector<LabReport>& reports,
                    std::string* error);

}  // namespace lab
