#pragma once

// The one hand-over of blocking database work to a worker thread. A handler keeps its
// statements in order: the blocking call runs on a worker while the calling thread's event loop
// keeps turning (the window repaints, moves and can be closed), and the handler goes on when
// the call is over. Boxes and widgets stay with the window's thread.
//
// Without an application object (the command line), or when called from a worker, the work runs
// directly on the calling thread.

#include <functional>
#include <optional>
#include <type_traits>

namespace jobs {

// Runs `work` on a worker and returns when it is done; what it throws is thrown here. While it
// waits, `tick` (when given) runs on the calling thread every kTickMilliseconds, so that a run
// can show how far its worker has got.
void Wait(const std::function<void()>& work, const std::function<void()>& tick = {});

inline constexpr int kTickMilliseconds = 40;

// The same for work with a result.
template <class Work, class Result = std::invoke_result_t<Work&>>
requires(!std::is_void_v<Result>) Result Wait(Work&& work) {
  std::optional<Result> result;
  Wait([&] { result.emplace(work()); });
  return std::move(*result);
}

// From a worker: runs `call` on the window's thread, after the tick of the run that waits, and
// then lets the window process its pending events once; returns when that is done, and throws
// what `call` threw. On the window's thread itself, `call` runs directly.
void OnWindowThread(const std::function<void()>& call);

}  // namespace jobs
