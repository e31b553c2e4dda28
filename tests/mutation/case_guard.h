// Names the mutation case that killed or hung the test program: a crash,
// a trap of the hardened build or an abort reports the running case on
// stderr before the process ends, and a case that runs longer than the
// limit is reported and the process ended (exit code 3).
#pragma once

#include <string>

void installCaseGuard(int hangLimitMs);
void beginCase(const char* reader, long long caseIndex, const std::string& description);
void endCase();
