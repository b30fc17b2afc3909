// Fuzzes the property sheet of either model as a user and a joystick drive
// it: all its pages shown, with arbitrary joystick readings, Acquire and
// GetDeviceState results, page switches, button presses, trackbar moves,
// commands, timer ticks, paints, unplugging and replugging, and closing and
// reopening the sheet. Nothing the sheet made may outlive it.
#include <simwin/control.h>
#include <unistd.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/model_constants.h"
#include "fuzz/sheet_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    simwin::SetEventNamespace("rumbix-fuzz-sheet-" + std::to_string(getpid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const fuzz::ModelConstants& model = fuzz::Model(in.Flag());
    simwin::Reset();
    fuzz::SheetSession sheet(model, in);
    for (unsigned n = 0; n < 64 && !in.empty(); ++n) {
        sheet.Act();
    }
    sheet.Finish();
    return 0;
}
