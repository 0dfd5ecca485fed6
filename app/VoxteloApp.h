// The application object: runs the main window modally; the process ends with it.
#pragma once

#include <string>
#include <vector>

class CVoxteloApp {
public:
    // Initialises the common controls, runs the main window to its end and returns false,
    // so that the process ends.
    bool InitInstance(std::vector<std::string> arguments);
};
