#include "platform/registry/RegTree.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform::registry;

namespace {

std::string names(const RegKey& key) {
    std::string out;
    for (const auto& v : key.values()) {
        out += v.name + "=" + v.data + ";";
    }
    for (const auto& k : key.subkeys()) {
        out += "[" + k.name() + "]";
    }
    return out;
}

} // namespace

TEST(RegTree, IndexMatchesNamesIgnoringCaseAndKeepsTheOrder) {
    RegKey top;
    RegKey& k = top.create({"Software", "Каталог"});
    k.setValue("Имя", kRegSz, "1");
    k.setValue("Path", kRegSz, "2");
    k.setValue("", kRegSz, "3");
    k.setValue("ИМЯ", kRegSz, "4");  // the same value: replaced, first spelling kept
    k.setValue("ёлка", kRegSz, "5"); // ё and Ё are a case pair
    k.setValue("ЁЛКА", kRegSz, "6");
    k.setValue("Pfad", kRegSz, "7"); // not the same name as "Path"
    EXPECT_EQ(names(k), "Имя=4;Path=2;=3;ёлка=6;Pfad=7;");
    ASSERT_NE(k.findValue("имя"), nullptr);
    EXPECT_EQ(k.findValue("PATH")->data, "2");
    EXPECT_EQ(k.findValue("Päth"), nullptr);

    EXPECT_TRUE(k.removeValue("path"));
    EXPECT_FALSE(k.removeValue("Path"));
    k.setValue("PATH", kRegSz, "8"); // added again: at the end, in its new spelling
    EXPECT_EQ(names(k), "Имя=4;=3;ёлка=6;Pfad=7;PATH=8;");

    top.create({"SOFTWARE", "b"});
    top.create({"software", "A"});
    EXPECT_EQ(names(*top.find({"Software"})), "[Каталог][b][A]");
    EXPECT_EQ(&top.create({"SOFTWARE", "КАТАЛОГ"}), &k);
    EXPECT_TRUE(top.remove({"software", "B"}));
    EXPECT_EQ(top.find({"Software", "b"}), nullptr);
    EXPECT_EQ(top.subkey("SoftWare")->subkey("a")->name(), "A");
    top.create({"Software", "B"});
    EXPECT_EQ(names(*top.find({"Software"})), "[Каталог][A][B]");
}

TEST(RegTree, MovedTreeKeepsItsIndex) {
    RegKey top;
    for (int i = 0; i < 100; ++i) {
        top.create({"K" + std::to_string(i)}).setValue("v" + std::to_string(i), kRegDword, "x");
    }
    RegKey moved(std::move(top));
    RegKey assigned;
    assigned.create({"old"});
    assigned = std::move(moved);
    for (int i = 0; i < 100; ++i) {
        const RegKey* k = assigned.find({"k" + std::to_string(i)});
        ASSERT_NE(k, nullptr) << i;
        EXPECT_NE(k->findValue("V" + std::to_string(i)), nullptr) << i;
    }
    EXPECT_EQ(assigned.find({"old"}), nullptr);
    EXPECT_TRUE(assigned.remove({"K50"}));
    EXPECT_EQ(assigned.subkeys().size(), 99u);
}

TEST(RegTree, DeepTreeIsVisitedAndFreedWithoutRecursion) {
    // Far deeper than the store keeps, so that recursion would run out of stack.
    constexpr std::size_t kDepth = 100000;
    {
        RegKey top;
        RegKey* key = &top;
        for (std::size_t i = 0; i < kDepth; ++i) {
            key = &key->create({"k"});
        }
        key->setValue("bottom", kRegDword, "1234");
        std::size_t visited = 0;
        std::size_t deepest = 0;
        visitKeys(top, [&](const KeyPath& path, const RegKey& found) {
            ++visited;
            deepest = std::max(deepest, path.size());
            if (path.size() == kDepth) {
                EXPECT_NE(found.findValue("bottom"), nullptr);
            }
        });
        EXPECT_EQ(visited, kDepth + 1);
        EXPECT_EQ(deepest, kDepth);
        EXPECT_TRUE(top.find({"k", "k"})->subkeys().size() == 1);
        EXPECT_TRUE(top.remove({"k", "k", "k"})); // frees all below the second level
        key = top.find({"k", "k"});
        ASSERT_TRUE(key->subkeys().empty());
        for (std::size_t i = 0; i < kDepth; ++i) {
            key = &key->create({"again"});
        }
    } // and the rest goes here
}
