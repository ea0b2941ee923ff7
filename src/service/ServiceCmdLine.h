// What the service program's command line asks for. Portable.
#pragma once

#include <string>
#include <vector>

struct ServiceCommand {
    bool install = false;    // "-i" / "-install"
    bool uninstall = false;  // "-u" / "-uninstall"
    bool start = false;      // "-c" / "-start"
};

// Every argument is compared without regard to case; "-s" and anything unknown are ignored. The program's own
// name may be among the arguments: it never matches a switch.
ServiceCommand ParseServiceArgs(const std::vector<std::wstring>& args);
