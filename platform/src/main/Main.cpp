// The process entry on Linux: start the layer, then the system's wWinMain
// with the program's own module and the usual show command.
#include "core/Platform.h"
#include "res/Resources.h"

int main(int argc, char** argv) {
    winapi::initialize(argc, argv);
    WCHAR empty[1] = {0};
    return wWinMain(winapi::mainInstance(), nullptr, empty, SW_SHOWDEFAULT);
}
