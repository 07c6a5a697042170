#include "engine/worker.h"

Worker::~Worker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    DropPending();
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void Worker::Push(std::function<void()> job, Jobs& jobs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs.push_back(std::move(job));
  }
  if (!thread_.joinable()) {
    thread_ = std::thread(&Worker::Loop, this);
  } else {
    wake_.notify_one();
  }
}

void Worker::DropPending() {
  first_.clear();
  jobs_.clear();
}

void Worker::RunNext() {
  std::function<void()> job;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (jobs_.empty()) return;
    job = std::move(jobs_.front());
    jobs_.pop_front();
  }
  job();
}

void Worker::Settle() {
  std::unique_lock<std::mutex> lock(mutex_);
  DropPending();
  idle_.wait(lock, [this] { return !running_; });
}

void Worker::Loop() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock,
                 [this] { return stop_ || !first_.empty() || !jobs_.empty(); });
      if (stop_) return;
      Jobs& next = first_.empty() ? jobs_ : first_;
      job = std::move(next.front());
      next.pop_front();
      running_ = true;
    }
    job();
    job = nullptr;  // what it holds goes before the job counts as done
    {
      std::lock_guard<std::mutex> lock(mutex_);
      running_ = false;
    }
    idle_.notify_all();
  }
}
