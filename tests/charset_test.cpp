// The program's Japanese texts are Shift-JIS bytes, and the test machine
// runs with that code page.
#include <gtest/gtest.h>

#include <string.h>

#include "setup/config.h"
#include "setup/messages.h"

TEST(Charset, SystemCodePageIsShiftJis)
{
    EXPECT_EQ(932u, GetACP());
}

TEST(Charset, MessagesAreStoredAsShiftJisBytes)
{
    static const char expected[] =
        "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xAA\x92\x86\x92\x66\x82\xB3"
        "\x82\xEA\x82\xDC\x82\xB5\x82\xBD";
    ASSERT_EQ(sizeof expected, sizeof MsgInterrupted);
    EXPECT_EQ(0, memcmp(expected, MsgInterrupted, sizeof expected));
    EXPECT_EQ(0, memcmp("\x81\x79\x95\xDB\x91\xB6\x81\x7A", ManagedSaveDataPrefix, 9));
}
