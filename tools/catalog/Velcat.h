// The catalogue tool's commands, apart from main so the tests can run them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit statuses.
constexpr int kVelcatOk = 0;
constexpr int kVelcatFailed = 1;  // errors found, or a file could not be read or written
constexpr int kVelcatUsage = 2;   // the command line is wrong

// Runs one command line (without the program name). Messages go to out (results, --help) and err (findings,
// failures), each one line, UTF-8.
int RunVelcat(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
