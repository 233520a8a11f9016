#pragma once

#include "sim/SimOptions.h"

#include <string>

// The simulator's host-device and fault options, and scenario files.
//
// A scenario file holds the same settings as the command line, one per line: "name = value"
// for "--name value", a flag's name alone (or "name = yes|no") for "--name". Blank lines and
// lines starting with '#' or ';' are skipped; "[section]" lines only group settings and change
// nothing. The file is applied where --scenario stands, so later options override it. Example:
//
//     [host]
//     host-family = wenlo
//     serial = 0012345678
//     type-name = RSK Basic
//     [faults]
//     nack = RS:7B,3
//     slow = *,200

enum class SimOptionMatch { NotMine, Taken, Failed };

// One host, fault or --scenario option at argv[i]; i is moved to its last token when Taken.
// error is set when Failed.
SimOptionMatch ParseScenarioOption(int argc, const char* const* argv, int& i, SimOptions& options,
                                   std::string& error);

// Applies a scenario file to options; false with error ("FILE:LINE: reason") when it cannot be
// read or a line is wrong (options may then be partly applied).
bool LoadScenarioFile(const std::string& path, SimOptions& options, std::string& error);

// What the server makes of its options at start: a lost MAC address has its last three bytes
// zero.
SimOptions ResolveSimOptions(const SimOptions& options);

// The --help section on the host device, the faults and scenario files.
std::string SimScenarioHelpText();
