#pragma once

namespace qv::test {

// Registers, once per test program, a QApplication on the offscreen platform with the program's
// title and fonts, as the real program sets them up at start-up. Call it from a namespace-scope
// initializer of the test file.
bool RegisterQtTestEnvironment();

} // namespace qv::test
