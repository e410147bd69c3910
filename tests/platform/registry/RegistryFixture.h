#pragma once

// A registry store of its own in a fresh folder for each test.

#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

class RegistryTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedEnv env{"UPDATE_REGISTRY_DIR", dir.str()};

    std::filesystem::path
    storePath(platform::registry::Root root = platform::registry::Root::LocalMachine) const {
        return dir / (root == platform::registry::Root::LocalMachine ? "HKLM.reg" : "HKCU.reg");
    }
    std::string
    storeText(platform::registry::Root root = platform::registry::Root::LocalMachine) const {
        return std::filesystem::exists(storePath(root)) ? testsupport::readFile(storePath(root))
                                                        : std::string("<no store>");
    }
    // Puts a store file in place, its lines after the header.
    void putStore(const std::string& body,
                  platform::registry::Root root = platform::registry::Root::LocalMachine) const {
        testsupport::writeFile(storePath(root), "Windows Registry Editor Version 5.00\n\n" + body);
    }
};
