// Linked into every test program: a test still running after a minute ends the program with
// its name, so a hang shows as that test's failure instead of a timeout of the whole program.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

static constexpr int kHangSeconds = 60;

static struct Watch {  // never destroyed: the watching thread may wait on it as the program exits
  std::mutex mutex;
  std::condition_variable changed;
  unsigned generation = 0;
  std::string running;  // the test in progress, empty between tests
}& watch = *new Watch;

static void watchForever() {
  std::unique_lock<std::mutex> lock(watch.mutex);
  for (;;) {
    watch.changed.wait(lock, [] { return !watch.running.empty(); });
    if (!watch.changed.wait_for(lock, std::chrono::seconds(kHangSeconds),
                                [seen = watch.generation] { return watch.generation != seen; })) {
      std::cout << "\n*** " << watch.running << " hung: still running after " << kHangSeconds << " s\n" << std::flush;
      std::_Exit(1);
    }
  }
}

static void mark(std::string test) {
  std::lock_guard<std::mutex> lock(watch.mutex);
  watch.running = std::move(test);
  ++watch.generation;
  watch.changed.notify_all();
}

struct Watchdog : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& t) override { mark(std::string(t.test_suite_name()) + "." + t.name()); }
  void OnTestEnd(const testing::TestInfo&) override { mark(""); }
};

static const bool installed = (testing::UnitTest::GetInstance()->listeners().Append(new Watchdog),
                               std::thread(watchForever).detach(), true);
