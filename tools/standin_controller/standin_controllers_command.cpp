// standin-controllers: starts, stops and drives the stand-in controllers of
// a Windows runtime by hand or from scripts.
//
//   standin-controllers start [module.sys]   registers and starts the module
//                                            (default: beside this program)
//   standin-controllers stop
//   standin-controllers plug <slot> s|t|<vid>:<pid>:<report id>   (hex ids)
//   standin-controllers unplug|forget <slot>
//   standin-controllers input <slot> <x> <y> <z> <rz> [hat|-] [button,...]
//   standin-controllers list
//   standin-controllers reports <slot> [first sequence]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/standin_controller/controller_client.h"
#include "tools/standin_controller/model_controllers.h"

namespace {

using standin::ControllerSpec;

int Usage() {
    std::fputs(
        "usage: standin-controllers start [module.sys] | stop | list\n"
        "       standin-controllers plug <slot> s|t|<vid>:<pid>:<report id>\n"
        "       standin-controllers unplug|forget <slot>\n"
        "       standin-controllers input <slot> <x> <y> <z> <rz> [hat|-] [button,...]\n"
        "       standin-controllers reports <slot> [first sequence]\n",
        stderr);
    return 2;
}

int Failed(const char* what) {
    std::fprintf(stderr, "standin-controllers: %s failed: error %lu\n", what, GetLastError());
    return 1;
}

bool ParseNumber(const char* text, int base, unsigned long maximum, unsigned long* value) {
    char* end = nullptr;
    *value = std::strtoul(text, &end, base);
    return end != text && *end == '\0' && *value <= maximum;
}

bool ParseSpec(const char* text, ControllerSpec* spec) {
    if (std::strcmp(text, "s") == 0) {
        *spec = standin::ModelSController();
        return true;
    }
    if (std::strcmp(text, "t") == 0) {
        *spec = standin::ModelTController();
        return true;
    }
    unsigned vendor = 0, product = 0, report = 0;
    char tail = 0;
    if (std::sscanf(text, "%x:%x:%x%c", &vendor, &product, &report, &tail) != 3 ||
        vendor > 0xFFFF || product > 0xFFFF || report > 0xFF) {
        return false;
    }
    *spec = ControllerSpec{};
    spec->vendorId = static_cast<uint16_t>(vendor);
    spec->productId = static_cast<uint16_t>(product);
    spec->outputReportId = static_cast<uint8_t>(report);
    return true;
}

std::string ModuleBesideProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return "standin_controllers.sys";
    }
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1) + "standin_controllers.sys";
}

int Start(int argc, char** argv) {
    const std::string module = argc > 2 ? argv[2] : ModuleBesideProgram();
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    const DWORD error = standin::StartControllerModule(module.c_str());
    QueryPerformanceCounter(&end);
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "standin-controllers: starting %s failed: error %lu\n", module.c_str(),
                     error);
        return 1;
    }
    std::printf("started in %.0f ms\n",
                (end.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart);
    return 0;
}

int Input(standin::ControlChannel& channel, unsigned long slot, int argc, char** argv) {
    if (argc < 7) {
        return Usage();
    }
    standin::InputState input = standin::CentredInput();
    uint8_t* axes[] = {&input.x, &input.y, &input.z, &input.rz};
    for (int axis = 0; axis < 4; ++axis) {
        unsigned long value = 0;
        if (!ParseNumber(argv[3 + axis], 10, 255, &value)) {
            return Usage();
        }
        *axes[axis] = static_cast<uint8_t>(value);
    }
    if (argc > 7 && std::strcmp(argv[7], "-") != 0) {
        unsigned long hat = 0;
        if (!ParseNumber(argv[7], 10, 35999, &hat)) {
            return Usage();
        }
        input.hat = hat;
    }
    if (argc > 8) {
        std::string buttons = argv[8];
        size_t at = 0;
        while (at <= buttons.size()) {
            const size_t comma = std::min(buttons.find(',', at), buttons.size());
            unsigned long button = 0;
            if (!ParseNumber(buttons.substr(at, comma - at).c_str(), 10, standin::kButtonCount,
                             &button) ||
                button == 0) {
                return Usage();
            }
            input.buttons[button - 1] = 1;
            at = comma + 1;
        }
    }
    return channel.SetInput(slot, input) ? 0 : Failed("input");
}

int List(standin::ControlChannel& channel) {
    standin::ControllerList list;
    if (!channel.List(&list)) {
        return Failed("list");
    }
    for (const standin::ControllerInfo& info : list.controllers) {
        if (!info.known) {
            continue;
        }
        std::printf("%2u %-9s %s reports=%llu refused=%llu handles=%u\n", info.slot,
                    info.present ? "plugged" : "unplugged", info.path,
                    static_cast<unsigned long long>(info.reportsReceived),
                    static_cast<unsigned long long>(info.writesRefused), info.openHandles);
    }
    return 0;
}

int Reports(standin::ControlChannel& channel, unsigned long slot, int argc, char** argv) {
    unsigned long long first = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 0;
    // One batch at a time; a ReportBatch is too large for the stack of a
    // small program.
    auto* batch = static_cast<standin::ReportBatch*>(std::malloc(sizeof(standin::ReportBatch)));
    if (batch == nullptr) {
        return 1;
    }
    int result = 0;
    do {
        if (!channel.ReadReports(slot, first, batch)) {
            result = Failed("reports");
            break;
        }
        for (uint32_t i = 0; i < batch->count; ++i) {
            const standin::ReceivedReport& report = batch->reports[i];
            std::printf("%llu %.4f ms:", static_cast<unsigned long long>(report.sequence),
                        report.time / 10000.0);
            for (uint32_t b = 0; b < report.length && b < standin::kMaxReportLength; ++b) {
                std::printf(" %02X", report.bytes[b]);
            }
            std::printf("\n");
        }
        first = batch->nextSequence;
    } while (batch->count != 0);
    std::free(batch);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string command = argv[1];
    if (command == "start") {
        return Start(argc, argv);
    }
    if (command == "stop") {
        const DWORD error = standin::StopControllerModule();
        if (error != ERROR_SUCCESS) {
            std::fprintf(stderr, "standin-controllers: stop failed: error %lu\n", error);
            return 1;
        }
        return 0;
    }
    standin::ControlChannel channel;
    if (!channel.IsOpen()) {
        return Failed("opening the control device (is the module started?)");
    }
    if (command == "list") {
        return List(channel);
    }
    unsigned long slot = 0;
    if (argc < 3 || !ParseNumber(argv[2], 10, 0xFFFFFFFFul, &slot)) {
        return Usage();
    }
    if (command == "plug") {
        ControllerSpec spec;
        if (argc < 4 || !ParseSpec(argv[3], &spec)) {
            return Usage();
        }
        standin::ControllerInfo info;
        if (!channel.Plug(slot, spec, &info)) {
            return Failed("plug");
        }
        std::printf("%s\n", info.path);
        return 0;
    }
    if (command == "unplug") {
        return channel.Unplug(slot) ? 0 : Failed("unplug");
    }
    if (command == "forget") {
        return channel.Forget(slot) ? 0 : Failed("forget");
    }
    if (command == "input") {
        return Input(channel, slot, argc, argv);
    }
    if (command == "reports") {
        return Reports(channel, slot, argc, argv);
    }
    return Usage();
}
