// Linked into every test program: a test still running after a minute ends the program with
// its name, so a hang shows as that test's failure instead of a timeout of the whole program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

static std::atomic<unsigned> testsStartedOrEnded{0};

// Each test gets a watcher of its own, which finds it still running after a minute or lets go.
struct Watchdog : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    const unsigned mine = ++testsStartedOrEnded;
    std::thread([mine, name = std::string(test.test_suite_name()) + "." + test.name()] {
      std::this_thread::sleep_for(std::chrono::seconds(60));
      if (testsStartedOrEnded != mine) return;
      std::cout << "\n*** " << name << " hung: still running after 60 s\n" << std::flush;
      std::_Exit(1);
    }).detach();
  }
  void OnTestEnd(const testing::TestInfo&) override { ++testsStartedOrEnded; }
};

static const bool installed = (testing::UnitTest::GetInstance()->listeners().Append(new Watchdog), true);
