// The lesson service's command line: serve, create-lesson, set-config and reports.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs one command; the process's exit code. Results go to `out`, errors to `err`.
int RunCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
