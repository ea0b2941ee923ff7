// The catalogue tool's contact with the system: arguments, whole-file reads and writes. Paths are UTF-8 texts on
// every platform; the Windows half turns them into wide paths so Chinese folder names work.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The program's arguments (without the program name) as UTF-8; prepares the console for UTF-8 output.
std::vector<std::string> ToolArguments(int argc, char** argv);

bool ReadFileBytes(const std::string& path, std::string& bytes);
// Replaces the file; a failed write leaves no partial file behind.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
