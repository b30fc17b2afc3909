// Shared pieces of the user-interface tests: a fresh machine, a module
// handle of the test's own with a resource table, and a window class whose
// procedure logs every message it receives before handing it to
// DefWindowProcA.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "simwin_fixture.h"

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<LoggedMessage>& MessageLog() {
    static std::vector<LoggedMessage> log;
    return log;
}

inline LRESULT CALLBACK LoggingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog().push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

// Messages of one kind in the log, in order, as (window, message) pairs.
inline std::vector<std::pair<HWND, UINT>> Logged(std::initializer_list<UINT> kinds) {
    std::vector<std::pair<HWND, UINT>> seen;
    for (const auto& entry : MessageLog()) {
        for (UINT kind : kinds) {
            if (entry.message == kind) {
                seen.emplace_back(entry.window, entry.message);
            }
        }
    }
    return seen;
}

class UiTest : public SimwinTest {
  protected:
    void SetUp() override {
        SimwinTest::SetUp();
        MessageLog().clear();
        WNDCLASSA logging = {};
        logging.lpfnWndProc = LoggingWindowProc;
        logging.hInstance = kModule;
        logging.lpszClassName = "LoggingWindow";
        ASSERT_NE(RegisterClassA(&logging), 0);
    }

    HWND CreateTopLevel(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, int width = 200,
                        int height = 100) {
        return CreateWindowA("LoggingWindow", "top", style, 0, 0, width, height, nullptr, nullptr,
                             kModule, nullptr);
    }

    HWND CreateChild(HWND parent, int id, DWORD style = WS_CHILD | WS_VISIBLE, int width = 50,
                     int height = 20) {
        return CreateWindowA("LoggingWindow", "child", style, 0, 0, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), kModule, nullptr);
    }

    const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(0x5150000);
};
