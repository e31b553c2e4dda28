#include "mutation/mutator.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

// splitmix64: spreads neighbouring case numbers over the whole state.
uint64_t mix(uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

const char interestingBytes[] = {'\0',   '\r',   '\n',   '=',    ',',    ':',    ' ',    '\t',
                                 '[',    ']',    ';',    '"',    '\\',   '-',    '+',    '0',
                                 '9',    'a',    '\x81', '\x9F', '\xE0', '\xFC', '\x80', '\xA0',
                                 '\xFD', '\xFF', '\x40', '\x7F', '\x5C'};

long long environmentNumber(const char* name, long long fallback)
{
    const char* text = getenv(name);
    if (!text || !*text)
        return fallback;
    return strtoll(text, NULL, 0);
}

}  // namespace

MutationRng caseRng(uint64_t seed, uint64_t caseIndex)
{
    MutationRng rng = {mix(seed ^ mix(caseIndex))};
    if (!rng.state)
        rng.state = 1;  // xorshift never leaves zero
    return rng;
}

uint64_t nextRandom(MutationRng* rng)
{
    // xorshift64*
    uint64_t x = rng->state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    rng->state = x;
    return x * 0x2545F4914F6CDD1Dull;
}

unsigned randomBelow(MutationRng* rng, unsigned bound)
{
    return (unsigned)((nextRandom(rng) >> 32) % bound);
}

bool randomChance(MutationRng* rng, unsigned percent)
{
    return randomBelow(rng, 100) < percent;
}

char interestingByte(MutationRng* rng)
{
    if (randomChance(rng, 20))
        return (char)randomBelow(rng, 256);
    return interestingBytes[randomBelow(rng, sizeof interestingBytes)];
}

char shiftJisLeadByte(MutationRng* rng)
{
    static const char leads[] = {'\x81', '\x9F', '\xE0', '\xFC'};
    return leads[randomBelow(rng, sizeof leads)];
}

void damageBytes(MutationRng* rng, std::string* bytes, std::string* what)
{
    char note[96];
    size_t size = bytes->size();
    size_t at = size ? randomBelow(rng, (unsigned)size) : 0;
    switch (size ? randomBelow(rng, 6) : 2) {
    case 0: {
        unsigned bit = randomBelow(rng, 8);
        (*bytes)[at] = (char)((*bytes)[at] ^ (1 << bit));
        snprintf(note, sizeof note, "; flip bit %u of byte %zu", bit, at);
        break;
    }
    case 1:
        (*bytes)[at] = interestingByte(rng);
        snprintf(note, sizeof note, "; byte %zu = %02x", at, (unsigned char)(*bytes)[at]);
        break;
    case 2: {
        unsigned count = 1 + randomBelow(rng, 8);
        std::string inserted;
        for (unsigned i = 0; i < count; i++)
            inserted += interestingByte(rng);
        at = randomBelow(rng, (unsigned)size + 1);
        bytes->insert(at, inserted);
        snprintf(note, sizeof note, "; insert %s at %zu", hexPreview(inserted, 8).c_str(), at);
        break;
    }
    case 3: {
        size_t count = 1 + randomBelow(rng, 16);
        bytes->erase(at, count);
        snprintf(note, sizeof note, "; delete %zu bytes at %zu", count, at);
        break;
    }
    case 4: {
        size_t count = 1 + randomBelow(rng, 64);
        std::string run = bytes->substr(at, count);
        bytes->insert(at, run);
        snprintf(note, sizeof note, "; repeat %zu bytes at %zu", run.size(), at);
        break;
    }
    default:
        bytes->resize(at);
        snprintf(note, sizeof note, "; truncate at %zu", at);
        break;
    }
    *what += note;
}

MutationSettings mutationSettings()
{
    MutationSettings settings;
    settings.cases = (int)environmentNumber("MUTATION_CASES", 1000);
    settings.seed = (uint64_t)environmentNumber("MUTATION_SEED", 0x5E7C0F16);
    settings.only = environmentNumber("MUTATION_ONLY", -1);
    return settings;
}

bool caseSelected(const MutationSettings& settings, long long caseIndex)
{
    return settings.only < 0 || settings.only == caseIndex;
}

std::string hexPreview(const std::string& bytes, size_t limit)
{
    std::string text;
    char hex[4];
    for (size_t i = 0; i < bytes.size() && i < limit; i++) {
        snprintf(hex, sizeof hex, i ? " %02x" : "%02x", (unsigned char)bytes[i]);
        text += hex;
    }
    if (bytes.size() > limit)
        text += " ...";
    return text;
}
