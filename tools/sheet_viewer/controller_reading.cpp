#include "tools/sheet_viewer/controller_reading.h"

#include <cerrno>
#include <cstdlib>

namespace sheet_viewer {

namespace {

constexpr unsigned long kLargestAxis = 255;
// One full turn less a hundredth of a degree.
constexpr unsigned long kLargestHat = 35999;

// A whole decimal number up to `highest`, digits only.
bool ParseNumber(const std::string& text, unsigned long highest, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    const unsigned long number = std::strtoul(text.c_str(), nullptr, 10);
    if (errno != 0 || number > highest) {
        return false;
    }
    value = number;
    return true;
}

bool ParseButtons(const std::string& text, uint16_t& buttons, std::string& error) {
    buttons = 0;
    if (text == "none") {
        return true;
    }
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        const std::string item = text.substr(start, plus - start);
        unsigned long button = 0;
        if (!ParseNumber(item, ControllerReading::kButtonCount, button) || button == 0) {
            error = "buttons are numbers from 1 to 12 joined by '+', not \"" + text + "\"";
            return false;
        }
        const uint16_t bit = static_cast<uint16_t>(1u << (button - 1));
        if (buttons & bit) {
            error = "button " + item + " is named twice";
            return false;
        }
        buttons |= bit;
        if (plus == std::string::npos) {
            return true;
        }
        start = plus + 1;
    }
}

}  // namespace

bool ParseControllerReading(const std::string& text, ControllerReading& reading,
                            std::string& error) {
    reading = ControllerReading{};
    if (text.empty()) {
        error = "the reading is empty";
        return false;
    }
    struct Axis {
        const char* name;
        uint8_t* value;
    };
    const Axis axes[] = {
        {"x", &reading.x}, {"y", &reading.y}, {"z", &reading.z}, {"rz", &reading.rz}};
    std::string seen = ",";
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        const size_t equals = item.find('=');
        if (equals == std::string::npos || equals == 0) {
            error = "\"" + item + "\" is not name=value";
            return false;
        }
        const std::string name = item.substr(0, equals);
        const std::string value = item.substr(equals + 1);
        if (seen.find("," + name + ",") != std::string::npos) {
            error = name + " is given twice";
            return false;
        }
        seen += name + ",";

        bool known = false;
        for (const Axis& axis : axes) {
            if (name == axis.name) {
                known = true;
                unsigned long number = 0;
                if (!ParseNumber(value, kLargestAxis, number)) {
                    error = name + " must be a number from 0 to 255, not \"" + value + "\"";
                    return false;
                }
                *axis.value = static_cast<uint8_t>(number);
            }
        }
        if (name == "hat") {
            known = true;
            unsigned long number = 0;
            if (value == "centred") {
                reading.hat = ControllerReading::kHatCentred;
            } else if (ParseNumber(value, kLargestHat, number)) {
                reading.hat = static_cast<uint32_t>(number);
            } else {
                error = "hat must be a number from 0 to 35999 or centred, not \"" + value + "\"";
                return false;
            }
        } else if (name == "buttons") {
            known = true;
            if (!ParseButtons(value, reading.buttons, error)) {
                return false;
            }
        }
        if (!known) {
            error = "unknown reading " + name + " (x, y, z, rz, buttons, hat)";
            return false;
        }
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
}

}  // namespace sheet_viewer
