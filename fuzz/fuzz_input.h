// The fuzzer's bytes read as a stream of small decisions. Reading past the
// end yields zeros, so every input, however short, is a complete run.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzz {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return position_ >= size_; }

    BYTE Byte() { return position_ < size_ ? data_[position_++] : 0; }
    WORD Word() { return static_cast<WORD>(Byte() | (Byte() << 8)); }
    DWORD Dword() { return static_cast<DWORD>(Word()) | (static_cast<DWORD>(Word()) << 16); }
    bool Flag() { return (Byte() & 1) != 0; }

    // A number below `limit` (at least 1).
    unsigned Below(unsigned limit) { return Byte() % limit; }

    // A 32-bit value that is often one of the values code treats specially.
    DWORD InterestingDword() {
        switch (Byte() % 8) {
            case 0:
                return 0;
            case 1:
                return 0xFFFFFFFFu;
            case 2:
                return 0x80000000u;
            case 3:
                return 0x7FFFFFFFu;
            case 4:
                return 10000;
            case 5:
                return Byte();
            case 6:
                return Word();
            default:
                return Dword();
        }
    }

    // `count` bytes of the input, zero-filled where it runs out.
    std::vector<BYTE> Bytes(size_t count) {
        std::vector<BYTE> out(count);
        for (BYTE& b : out) {
            b = Byte();
        }
        return out;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace fuzz
