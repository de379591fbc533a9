#include "platform/thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <exception>
#include <limits>
#include <system_error>
#include <utility>

#include "platform/auto_reset_event.h"
#include "platform/fault_injection.h"

namespace platform {

struct Thread::State {
  std::function<void()> body;
  ThreadPriority priority = ThreadPriority::kNormal;
  pthread_t handle{};
  AutoResetEvent ready;  // set once tid is written and the priority applied
  pid_t tid = 0;
};

namespace {

// Nice steps per priority level: a lowered thread yields clearly, a raised one wins clearly.
int NiceOffset(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::kLowest:
      return 10;
    case ThreadPriority::kBelowNormal:
      return 5;
    case ThreadPriority::kNormal:
      return 0;
    case ThreadPriority::kAboveNormal:
      return -5;
    case ThreadPriority::kHighest:
      return -10;
  }
  return 0;
}

// On Linux the nice value belongs to each thread, so setting it for the thread id moves only
// this thread; raising it needs a privilege that the process may not have.
bool ApplyPriority(ThreadPriority priority, pid_t tid) {
  int offset = NiceOffset(priority);
  if (offset == 0) return true;
  errno = 0;
  int current = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (current == -1 && errno != 0) return false;
  int wanted = std::clamp(current + offset, -20, 19);
  return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), wanted) == 0;
}

std::string ErrorText(int code) { return std::system_category().message(code); }

}  // namespace

pid_t CurrentThreadId() { return gettid(); }

void* Thread::Run(void* arg) {
  std::shared_ptr<State> state = std::move(*static_cast<std::shared_ptr<State>*>(arg));
  delete static_cast<std::shared_ptr<State>*>(arg);
  state->tid = CurrentThreadId();
  ApplyPriority(state->priority, state->tid);
  state->ready.Set();
  try {
    state->body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Thread %d ended by an exception: %s\n", static_cast<int>(state->tid),
                 e.what());
  } catch (...) {
    std::fprintf(stderr, "Thread %d ended by an unknown exception\n", static_cast<int>(state->tid));
  }
  return nullptr;
}

size_t Thread::RoundStackSize(size_t bytes) {
  long pageSize = sysconf(_SC_PAGESIZE);
  size_t page = pageSize > 0 ? static_cast<size_t>(pageSize) : 4096;
  size_t wanted = std::max(bytes, static_cast<size_t>(PTHREAD_STACK_MIN));
  if (wanted > std::numeric_limits<size_t>::max() - page) return 0;
  return (wanted + page - 1) / page * page;
}

bool Thread::Start(std::function<void()> body, const ThreadOptions& options) {
  error_.clear();
  if (state_ != nullptr) {
    error_ = "this thread object already holds a running thread";
    return false;
  }
  if (!body) {
    error_ = "no function was given to run on the thread";
    return false;
  }
  pthread_attr_t attr;
  int rc = pthread_attr_init(&attr);
  if (rc != 0) {
    error_ = "cannot prepare a thread: " + ErrorText(rc);
    return false;
  }
  if (options.stackBytes != 0) {
    size_t size = RoundStackSize(options.stackBytes);
    rc = size == 0 ? EINVAL : pthread_attr_setstacksize(&attr, size);
    if (rc != 0) {
      pthread_attr_destroy(&attr);
      error_ = "cannot use a stack of " + std::to_string(options.stackBytes) +
               " bytes: " + ErrorText(rc);
      return false;
    }
  }
  auto state = std::make_shared<State>();
  state->body = std::move(body);
  state->priority = options.priority;
  auto* arg = new std::shared_ptr<State>(state);
  rc = InjectFault(Seam::StartThread) ? EAGAIN
                                      : pthread_create(&state->handle, &attr, &Thread::Run, arg);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete arg;
    error_ = "cannot start a thread";
    if (options.stackBytes != 0)
      error_ += " with a stack of " + std::to_string(options.stackBytes) + " bytes";
    error_ += ": " + ErrorText(rc);
    return false;
  }
  state->ready.Wait(kInfinite);
  state_ = std::move(state);
  return true;
}

bool Thread::Join() {
  if (state_ == nullptr || pthread_equal(state_->handle, pthread_self())) return false;
  int rc = pthread_join(state_->handle, nullptr);
  state_.reset();
  return rc == 0;
}

void Thread::JoinOrDetach() {
  if (state_ == nullptr) return;
  if (pthread_equal(state_->handle, pthread_self())) {
    // A thread that drops its own object cannot wait for itself; it cleans up when it ends.
    pthread_detach(state_->handle);
    state_.reset();
    return;
  }
  Join();
}

Thread::~Thread() { JoinOrDetach(); }

pid_t Thread::Id() const { return state_ != nullptr ? state_->tid : 0; }

}  // namespace platform
