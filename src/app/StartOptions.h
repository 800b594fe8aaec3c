#pragma once

#include <string>
#include <vector>

namespace harkwell {

// What the command line asks of a start. Without options the program works
// in the folder it is started from.
struct StartOptions {
    bool dataHome = false;   // --data-home: work in the user's data folder for the program
    bool selfCheck = false;  // --self-check: tell whether the shipped files are found, then end
    bool usage = false;      // --help
    std::string error;       // a wrong option, as a sentence; empty when the line is fine
};

inline constexpr const char* kStartUsage =
    "usage: harkwell [--data-home] [--self-check] [--help]\n"
    "  --data-home   keep setup.ini and line.dat in $XDG_DATA_HOME/harkwell\n"
    "                (~/.local/share/harkwell), made when missing\n"
    "  --self-check  tell where the manual and the SoundFont are found, then end\n"
    "Without options the work files are kept in the current folder.\n";

// The arguments after the program's name, with Qt's own already taken out.
StartOptions ParseStartOptions(const std::vector<std::string>& arguments);

// The user's data folder for the program: $XDG_DATA_HOME/harkwell when that
// is an absolute path, else $HOME/.local/share/harkwell; empty when neither
// is known.
std::string DataHomeFolder(const char* xdgDataHome, const char* home);

// Makes the folder with its parents when missing and makes it the current
// folder. False with the cause ("path: reason") when it cannot.
bool EnterWorkFolder(const std::string& folder, std::string& cause);

}  // namespace harkwell
