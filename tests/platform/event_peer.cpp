// The other process of the cross-process event tests. It opens (or creates,
// initially signalled, auto-reset) the named event, reports "opened 1" if the
// event already existed (else "opened 0"), waits up to 5 s to take it and
// reports "held" (or "timeout"), then on a line from standard input sets the
// event again, closes it and exits 0.
// Usage: simwin_event_peer <event name>
#include <windows.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    HANDLE event = CreateEventA(nullptr, FALSE, TRUE, argv[1]);
    if (event == nullptr) {
        return 3;
    }
    std::cout << "opened " << (GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0) << std::endl;
    std::cout << (WaitForSingleObject(event, 5000) == WAIT_OBJECT_0 ? "held" : "timeout")
              << std::endl;
    std::string line;
    std::getline(std::cin, line);
    SetEvent(event);
    CloseHandle(event);
    return 0;
}
