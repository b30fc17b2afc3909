// What the stand-in controller's sticks, buttons and hat read, written on the
// viewer's command line for pictures of the sheet with a controller held a
// known way: "x=200,y=60,z=30,rz=220,buttons=1+4+9,hat=4500". Kept free of
// the runtime's headers so that its parser is checked on any machine.
#pragma once

#include <cstdint>
#include <string>

namespace sheet_viewer {

// Readings as the controller reports them: axes 0..255 with 128 the centre,
// the hat in hundredths of a degree clockwise from up.
struct ControllerReading {
    static constexpr uint32_t kHatCentred = 0xFFFFFFFFu;
    static constexpr unsigned kButtonCount = 12;

    uint8_t x = 128;
    uint8_t y = 128;
    uint8_t z = 128;
    uint8_t rz = 128;
    uint32_t hat = kHatCentred;
    // Bit n-1 set: button n pressed.
    uint16_t buttons = 0;

    bool pressed(unsigned button) const { return (buttons >> (button - 1)) & 1u; }
};

// Parses comma-separated "name=value" items: x, y, z, rz (0..255), hat
// (0..35999, or "centred"), buttons (numbers 1..12 joined by '+', or
// "none"). Each name at most once; what is not named stays centred or
// released. False with a message in `error` for anything else.
bool ParseControllerReading(const std::string& text, ControllerReading& reading,
                            std::string& error);

}  // namespace sheet_viewer
