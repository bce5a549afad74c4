// The console front end of the formula engine, as a function the program
// and its tests share.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Runs one command line (without the program name). Writes the report to
// out and usage errors and warnings to err; returns the exit status: 0, 2
// for a bad command line or a formula longer than MaxFormulaLength, 1 for a
// failure of the run itself (out then empty, err saying why). Never throws.
int RunCalc(const std::vector<std::string>& args, std::string& out, std::string& err);

// Writes the report to the stream; a report that cannot be written in full
// (a full disk, a closed output) adds the system's reason to err and gives
// status 1, otherwise status.
int WriteCalcReport(const std::string& out, std::string& err, int status, std::FILE* stream);
