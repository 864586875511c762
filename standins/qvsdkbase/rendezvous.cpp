// The rendezvous that tests arm to see loads meet inside the host: calls of one function wait for
// one another, across threads and hosts.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <string>

#include "standins/qvsdkbase/host_state.h"

namespace qvsdkbase {

namespace {

struct Rendezvous {
  std::mutex mutex;
  std::condition_variable arrived;
  // Read without the mutex first, so that calls pay nothing while no rendezvous is armed.
  std::atomic<bool> armed{false};
  std::string function;
  int parties = 0;
  int waiting = 0;
  std::chrono::milliseconds timeout{0};
  uint64_t round = 0;  // tells the waiters of one rendezvous from those of the next
  bool met = false;
};

Rendezvous& rendezvous() {
  static Rendezvous theRendezvous;
  return theRendezvous;
}

}  // namespace

void armRendezvous(const std::string& function, int parties, std::chrono::milliseconds timeout) {
  Rendezvous& r = rendezvous();
  const std::lock_guard<std::mutex> lock(r.mutex);
  r.armed = parties > 0;
  r.function = function;
  r.parties = parties;
  r.waiting = 0;
  r.timeout = timeout;
  r.met = false;
  ++r.round;
  r.arrived.notify_all();
}

bool rendezvousMet() {
  Rendezvous& r = rendezvous();
  const std::lock_guard<std::mutex> lock(r.mutex);
  return r.met;
}

void meetAtRendezvous(const char* function) {
  Rendezvous& r = rendezvous();
  if (!r.armed.load(std::memory_order_acquire)) return;
  std::unique_lock<std::mutex> lock(r.mutex);
  if (!r.armed || r.function != function) return;
  const uint64_t round = r.round;
  if (++r.waiting == r.parties) {
    r.met = true;
    r.armed = false;
    r.arrived.notify_all();
    return;
  }
  const bool met = r.arrived.wait_for(lock, r.timeout, [&] { return r.round != round || r.met; });
  // A party that gave up ends the rendezvous for the others too.
  if (!met && r.round == round) {
    r.armed = false;
    ++r.round;
    r.arrived.notify_all();
  }
}

}  // namespace qvsdkbase
