#include "crash/symbols/SymbolName.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

TEST(SymbolName, DemangledNamesLoseTheirParameterListsOnly) {
    EXPECT_EQ(FunctionNameFromLinkage("main"), "main");
    EXPECT_EQ(FunctionNameFromLinkage("_ZN2qv5crash8TMapFile4SortEv"), "qv::crash::TMapFile::Sort");
    EXPECT_EQ(FunctionNameFromLinkage("_ZNK2qv5crash8TMapFile6LineAtEm"), "qv::crash::TMapFile::LineAt");
    EXPECT_EQ(FunctionNameFromLinkage("_Z"), "_Z") << "broken mangling stays as it is";
    EXPECT_EQ(WithoutParameters("ns::Functor::operator()(int) const"), "ns::Functor::operator()");
    EXPECT_EQ(WithoutParameters("f(void (*)(int))"), "f");
    EXPECT_EQ(WithoutParameters("ns::g<int (*)(char)>(int (*)(char))"), "ns::g<int (*)(char)>");
    EXPECT_EQ(WithoutParameters("plain"), "plain");
}

} // namespace qv::crash::test
