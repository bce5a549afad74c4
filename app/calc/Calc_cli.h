// The console front end of the formula engine, as a function the program
// and its tests share.
#pragma once

#include <string>
#include <vector>

// Runs one command line (without the program name). Writes the report to
// out and usage errors to err; returns the exit status (0, or 2 for a bad
// command line).
int RunCalc(const std::vector<std::string>& args, std::string& out, std::string& err);
