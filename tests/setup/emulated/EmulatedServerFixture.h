#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/emulated/db/ServerDb.h"
#include "tests/support/TempFolder.h"

// A fresh emulated server in a temporary folder, named by MORVANE_SERVER
// for the duration of a test (libraries find their server through it).
class EmulatedServerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* previous = std::getenv("MORVANE_SERVER");
        if (previous != nullptr) {
            previous_ = previous;
        }
        serverFolder_ = folder_.File("server");
        setenv("MORVANE_SERVER", serverFolder_.c_str(), 1);
        db_ = platform::emulated::ServerDb::Open(serverFolder_, true);
    }
    void TearDown() override {
        db_.reset();
        if (previous_.empty()) {
            unsetenv("MORVANE_SERVER");
        } else {
            setenv("MORVANE_SERVER", previous_.c_str(), 1);
        }
    }
    std::function<std::string()> ServerFolderFunction() const {
        return [folder = serverFolder_] { return folder; };
    }

    testsupport::TempFolder folder_;
    std::string serverFolder_;
    std::string previous_;
    std::shared_ptr<platform::emulated::ServerDb> db_;
};
