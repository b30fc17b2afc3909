// warning_icon: draws the sheet's warning icon (32 x 32 and 16 x 16) and
// writes it as an .ico file, or checks that a file holds exactly that icon.
// The icon is committed beside the resource script so that the Windows
// builds need no program of the host; the host tests run the check.
//
//   warning_icon --write <file.ico>
//   warning_icon --check <file.ico>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "icon_file_format.h"
#include "warning_sign.h"

int main(int argc, char** argv) {
    const bool write = argc == 3 && std::strcmp(argv[1], "--write") == 0;
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (!write && !check) {
        std::cerr << "usage: warning_icon --write|--check <file.ico>\n";
        return 2;
    }
    std::vector<warning_icon::SquareImage> images;
    for (const int size : {32, 16}) {
        images.push_back({size, warning_icon::DrawWarningSign(size)});
    }
    const std::vector<unsigned char> bytes = warning_icon::IcoFileBytes(images);

    if (write) {
        std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file.flush()) {
            std::cerr << "warning_icon: cannot write " << argv[2] << "\n";
            return 1;
        }
        return 0;
    }
    std::ifstream file(argv[2], std::ios::binary);
    const std::vector<unsigned char> stored{std::istreambuf_iterator<char>(file),
                                            std::istreambuf_iterator<char>()};
    if (stored != bytes) {
        std::cerr << argv[2] << " is not the icon this program draws; rewrite it with "
                  << "warning_icon --write\n";
        return 1;
    }
    return 0;
}
