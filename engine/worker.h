#ifndef ENGINE_WORKER_H_
#define ENGINE_WORKER_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

// Runs jobs one after another, in the order given, on a thread of its own,
// started with the first job: work for the second core while the first
// makes the file calls. A caller about to wait for a job may run the next
// one itself instead. Going away, it waits for the job that is running and
// drops those not started; Settle does the same and stays.
class Worker {
 public:
  Worker() = default;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker();

  template <class Job>
  auto Run(Job job) -> std::future<decltype(job())> {
    return Queue(std::move(job), jobs_);
  }
  // Runs job before every job given to Run that has not begun, after those
  // given here before it.
  template <class Job>
  auto RunFirst(Job job) -> std::future<decltype(job())> {
    return Queue(std::move(job), first_);
  }

  // Runs the oldest job given to Run and not yet begun on the calling
  // thread, if there is one.
  void RunNext();

  // Drops the jobs not begun and waits for the one running: what jobs
  // refer to may go once it returns.
  void Settle();

  // Settles the worker when it goes out of scope, however the scope ends.
  class Scope {
   public:
    explicit Scope(Worker& worker) : worker_(worker) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { worker_.Settle(); }

   private:
    Worker& worker_;
  };

 private:
  using Jobs = std::deque<std::function<void()>>;

  template <class Job>
  auto Queue(Job job, Jobs& jobs) -> std::future<decltype(job())> {
    auto task =
        std::make_shared<std::packaged_task<decltype(job())()>>(std::move(job));
    auto result = task->get_future();
    Push([task] { (*task)(); }, jobs);
    return result;
  }
  void Push(std::function<void()> job, Jobs& jobs);
  void DropPending();  // with mutex_ held
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  bool running_ = false;
  Jobs first_;
  Jobs jobs_;
  bool stop_ = false;
  std::thread thread_;
};

#endif  // ENGINE_WORKER_H_
