// The generated header must compile as C and as C++ and hold the recoded
// transpose of the inputs.
#include <gtest/gtest.h>

#include "scratch.h"

namespace {

const char DUMP_PROGRAM[] = R"(#include <stdint.h>
#include <stdio.h>
#include "font8x12.h"

int main(void)
{
    return fwrite(font_8x12, 1, sizeof font_8x12, stdout) != 3072;
}
)";

void check_compiled_array(const std::string &compile)
{
    scratch_dir dir;
    const bytes font = test_font(), table = test_table();
    dir.write("8x12.fnt", font);
    dir.write("koi.bin", table);
    dir.write("dump.c", bytes(std::begin(DUMP_PROGRAM), std::end(DUMP_PROGRAM) - 1));
    ASSERT_EQ(run_in(dir, MAKE_H_PATH, ">font8x12.h").status, 0);

    const tool_run build = run_in(dir, compile + " -Wall -Wextra -pedantic -Werror -o dump");
    ASSERT_EQ(build.status, 0) << build.err;
    const tool_run dump = run_in(dir, "./dump");
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, text(recoded_transpose(font, table)));
}

}  // namespace

TEST(GeneratedHeader, CompilesAsCWithTheRecodedTranspose)
{
    check_compiled_array(std::string(C_COMPILER) + " -std=c99 dump.c");
}

TEST(GeneratedHeader, CompilesAsCxxWithTheRecodedTranspose)
{
    check_compiled_array(std::string(CXX_COMPILER) + " -x c++ -std=c++17 dump.c");
}
