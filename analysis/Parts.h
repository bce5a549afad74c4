// Work split over the processor's cores for the analysis: body(part) for
// parts 0 .. parts-1, part 0 on the calling thread, each part on a thread of
// its own; a part whose thread cannot be had runs on the calling thread after
// its own. The first exception of any part is thrown on once all have ended.
#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace analysis {

template <typename F>
void RunParts(int parts, F&& body) {
  std::vector<std::exception_ptr> errors(static_cast<size_t>(parts));
  auto run = [&](int part) {
    try {
      body(part);
    } catch (...) {
      errors[static_cast<size_t>(part)] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  std::vector<int> here;
  for (int part = 1; part < parts; ++part) {
    try {
      threads.emplace_back(run, part);
    } catch (const std::system_error&) {
      here.push_back(part);
    }
  }
  run(0);
  for (int part : here) run(part);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace analysis
