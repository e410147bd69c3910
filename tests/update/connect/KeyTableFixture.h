#pragma once

// Points loadShiftKeyTable at a key table file of the test's own, so that no table of the
// machine running the tests is used.

#include "tests/support/TempDir.h"
#include "update/connect/ShiftKeyTable.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace connecttest {

// Distinct values in each half, the two halves different at every position.
inline constexpr update::connect::ShiftKeyTable kTestTable = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 31, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

inline std::string tableText(const update::connect::ShiftKeyTable& table) {
    std::string text;
    for (const auto v : table) {
        text += std::to_string(v) + " ";
    }
    return text;
}

class KeyTableFixture : public ::testing::Test {
protected:
    KeyTableFixture() { useTableText(tableText(kTestTable)); }
    // Makes the file named by UPDATE_SHIFT_KEY_TABLE hold the text.
    void useTableText(const std::string& text) {
        testsupport::writeFile(tableFile(), text);
        useTableFile(tableFile().string());
    }
    void useTableFile(const std::string& path) {
        env_.reset();
        env_.emplace("UPDATE_SHIFT_KEY_TABLE", path);
    }
    std::filesystem::path tableFile() const { return dir_ / "shift-key-table"; }

    testsupport::TempDir dir_;

private:
    std::optional<testsupport::ScopedEnv> env_;
};

} // namespace connecttest
