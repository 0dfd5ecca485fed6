// voxtelo.exe: the one static application object and the entry point.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/VoxteloApp.h"

namespace {

CVoxteloApp theApp;

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    for (int i = 0; i < __argc; ++i) {
        arguments.emplace_back(__argv[i] ? __argv[i] : "");
    }
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance(CommandLineArguments());
    return 0;
}
