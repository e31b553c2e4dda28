// Deterministic damage for the mutation tests: a small generator of our own
// (no std:: distributions), so one seed gives the same cases on every
// machine and compiler, and byte-level mutations that say what they did.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct MutationRng {
    uint64_t state;
};

// The generator for one case: the run's seed mixed with the case number, so
// any case can be made again on its own.
MutationRng caseRng(uint64_t seed, uint64_t caseIndex);
uint64_t nextRandom(MutationRng* rng);
// 0 to bound - 1; bound must be positive.
unsigned randomBelow(MutationRng* rng, unsigned bound);
bool randomChance(MutationRng* rng, unsigned percent);
template <typename T>
const T& pickOne(MutationRng* rng, const std::vector<T>& choices)
{
    return choices[randomBelow(rng, (unsigned)choices.size())];
}

// A byte that parsers treat specially: separators, line ends, NUL,
// Shift-JIS lead and trail bytes, digits and signs.
char interestingByte(MutationRng* rng);
// One of the double-byte lead bytes' edges (0x81, 0x9F, 0xE0, 0xFC).
char shiftJisLeadByte(MutationRng* rng);

// One random byte-level mutation of bytes (flip a bit, overwrite, insert,
// delete, duplicate a run, truncate); what it did is appended to what.
void damageBytes(MutationRng* rng, std::string* bytes, std::string* what);

// The run's settings from the environment: MUTATION_CASES (random cases
// per reader), MUTATION_SEED, and MUTATION_ONLY (run just that case
// number, -1 for all).
struct MutationSettings {
    int cases;
    uint64_t seed;
    long long only;
};
MutationSettings mutationSettings();
bool caseSelected(const MutationSettings& settings, long long caseIndex);

// "41 c3 0a" for the first bytes of text, for failure reports.
std::string hexPreview(const std::string& bytes, size_t limit);
