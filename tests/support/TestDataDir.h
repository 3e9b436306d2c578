// Where the real captures (beacon frames) live: tests/data in the source
// tree, so that a clone holds everything its tests read.
#pragma once

#include <string>

namespace kqtest {

inline std::string TestDataDir() { return KQ_TESTDATA_DIR; }

}  // namespace kqtest
