#include "platform/TempNames.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

namespace qv::platform::test {

TEST(TempNames, TheTemporaryFolderEndsInASeparator) {
    const qv::test::ScopedTempFolder scratch("qv-temp-names");
    const qv::test::ScopedEnvironment tmpdir{{"TMPDIR", scratch.Path()}};
    EXPECT_EQ(TempFolder(), scratch.Path() + "/");
}

} // namespace qv::platform::test
