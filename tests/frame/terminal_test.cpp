#include "frame/terminal.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// The ends a terminal or a pipe can come to, as the key reader sees them.
TEST(InputGoneTest, TellsAHungUpTerminalFromAQuietOne)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    EXPECT_FALSE(InputGone(slave)) << "a terminal with no key pressed";
    ASSERT_EQ(write(master, "s", 1), 1);
    EXPECT_FALSE(InputGone(slave)) << "a terminal with a key waiting";
    close(master);
    EXPECT_TRUE(InputGone(slave)) << "a terminal whose other side closed";
    close(slave);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_FALSE(InputGone(pipeEnds[0])) << "a pipe still open for writing";
    close(pipeEnds[1]);
    EXPECT_TRUE(InputGone(pipeEnds[0])) << "a pipe nobody writes to any more";
    close(pipeEnds[0]);
    EXPECT_TRUE(InputGone(pipeEnds[0])) << "a closed descriptor";
}

} // namespace
