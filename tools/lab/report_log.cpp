#include "tools/lab/report_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/lab/lab_models.h"

namespace lab {

std::string ReportLogLine(const DeviceModelProfile& profile, const LabReport& report) {
    char line[160];
    int length = std::snprintf(line, sizeof line, "%6lld | %s | %s", report.timeMs,
                               HexBytes(report.bytes).c_str(), ReportKindName(report.decoded.kind));
    if (report.decoded.kind == ReportKind::Strength && length > 0 &&
        static_cast<size_t>(length) < sizeof line) {
        std::snprintf(line + length, sizeof line - length,
                      " | left 0x%02x %5.1f%% | right 0x%02x %5.1f%%", report.decoded.left,
                      MotorPercent(profile, report.decoded.left), report.decoded.right,
                      MotorPercent(profile, report.decoded.right));
    }
    return line;
}

bool WriteReportLog(const std::string& path, const DeviceModelProfile& profile,
                    const std::string& scenarioName, const std::vector<LabReport>& reports,
                    std::string* error) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fprintf(file, "# rumbix-lab report log: model %s (%s), scenario %s\n",
                 ModelLetter(profile), profile.productName, scenarioName.c_str());
    std::fprintf(file, "# time_ms | report bytes | kind | motors (strength reports)\n");
    for (const LabReport& report : reports) {
        std::fprintf(file, "%s\n", ReportLogLine(profile, report).c_str());
    }
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace lab
