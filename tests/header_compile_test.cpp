// The generated header must compile as C and as C++ and hold the recoded
// transpose of the inputs.
#include "tool_inputs.h"

namespace {

const char DUMP_PROGRAM[] = R"(#include <stdint.h>
#include <stdio.h>
#include "font8x12.h"

int main(void)
{
    return fwrite(font_8x12, 1, sizeof font_8x12, stdout) != 3072;
}
)";

}  // namespace

using GeneratedHeader = ToolInputs;

TEST_F(GeneratedHeader, CompilesAsCAndCxxWithTheRecodedTranspose)
{
    write("dump.c", bytes(std::begin(DUMP_PROGRAM), std::end(DUMP_PROGRAM) - 1));
    ASSERT_EQ(run(quoted(MAKE_H_PATH), ">font8x12.h").status, 0);
    const bytes array = recoded_transpose(font, table);
    for (const std::string &compile :
         {quoted(C_COMPILER) + " -std=c99", quoted(CXX_COMPILER) + " -x c++ -std=c++17"}) {
        const tool_run build = run(compile + " -Wall -Wextra -pedantic -Werror dump.c -o dump");
        ASSERT_EQ(build.status, 0) << build.err;
        EXPECT_EQ(run("./dump").out, std::string(array.begin(), array.end())) << compile;
    }
}
