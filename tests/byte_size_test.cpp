// Size texts: the worked examples and every band edge.
#include <gtest/gtest.h>

#include <string.h>

#include "wizard/byte_size.h"

namespace {

struct SizeCase {
    long long size;
    const char* text;
};

const SizeCase sizeCases[] = {
    {0, "0 bytes"},
    {1023, "1023 bytes"},
    {-1, "-1 bytes"},
    {-4294967296LL - 5, "-5 bytes"},  // the low 32 bits, signed
    {1024, "1.00 KB"},
    {1075, "1.04 KB"},
    {1536, "1.50 KB"},
    {2047, "1.99 KB"},
    {10239, "9.99 KB"},
    {10240, "10.0 KB"},
    {102399, "99.9 KB"},
    {102400, "100 KB"},
    {1048575, "1023 KB"},
    {1048576, "1.00 MB"},
    {10485759, "9.99 MB"},
    {10485760, "10.0 MB"},
    {104857599, "99.9 MB"},
    {104857600, "100 MB"},
    {123456789, "117 MB"},
    {1073741823, "1023 MB"},
    {1073741824, "1.00 GB"},
    {1500000000, "1.39 GB"},
    {1610612736, "1.50 GB"},
    {4700000000LL, "4.37 GB"},
    {10737418239LL, "9.99 GB"},
    {10737418240LL, "10.0 GB"},
    {107374182399LL, "99.9 GB"},
    {107374182400LL, "100 GB"},
    {1099511627775LL, "1023 GB"},
    {1099511627776LL, "1.00 TB"},
    {10995116277759LL, "9.99 TB"},
    {10995116277760LL, "10.0 TB"},
    {109951162777599LL, "99.9 TB"},
    {109951162777600LL, "100 TB"},
    {1125899906842624LL, "1024 TB"},
    {0x7FFFFFFFFFFFFFFFLL, "8388607 TB"},
};

TEST(FormatByteSize, BandsAndWorkedExamples)
{
    for (const SizeCase& c : sizeCases) {
        char out[1024];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(out, formatByteSize(out, sizeof out, c.size)) << c.size;
        EXPECT_STREQ(c.text, out) << c.size;
    }
}

TEST(FormatByteSize, TextThatDoesNotFitLeavesTheBufferUntouched)
{
    // "117 MB" needs 7 bytes with its terminator.
    char out[6] = "keep";
    EXPECT_EQ(nullptr, formatByteSize(out, sizeof out, 123456789));
    EXPECT_STREQ("keep", out);
    char fits[7];
    EXPECT_EQ(fits, formatByteSize(fits, sizeof fits, 123456789));
    EXPECT_STREQ("117 MB", fits);
}

}  // namespace
