// Measures cross-thread posting on nbase's message loops beside the same work
// on asio::io_context::post (header-only asio), in one run, and prints tasks
// per second, post-to-run latency and the ratio to the peer.
//
// Throughput: one producer thread posts kTasks small tasks to one consumer
// thread; the clock stops when the consumer has run the last one.
// Latency: one task at a time; the time from the post to the start of the run.
// Each figure is the median of several rounds, nbase and asio rounds interleaved so both see the
// same machine.
#include <algorithm>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "base/message_loop_proxy.h"
#include "bench/common/bench_metric.h"
#include "base/misc_thread.h"
#include "base/thread_registry.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTasks = 1000000;
constexpr int kRounds = 5;
constexpr int kLatencySamples = 20000;

// Something for a task to do that the compiler cannot drop.
struct Sink {
  uint64_t sum = 0;  // touched only on the consumer thread
};

// Posts `count` tasks through `post`, returns tasks per second. The last task
// fulfils the promise.
template <typename Post>
double Throughput(Post post, Sink* sink) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  auto start = Clock::now();
  for (int i = 0; i < kTasks - 1; ++i) post([sink, i] { sink->sum += static_cast<uint64_t>(i); });
  post([&done] { done.set_value(); });
  finished.wait();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return kTasks / seconds;
}

// Median and 99th percentile of post-to-run times, in microseconds.
struct Latency {
  double median_us = 0;
  double p99_us = 0;
};

template <typename Post>
Latency MeasureLatency(Post post) {
  std::vector<double> samples;
  samples.reserve(kLatencySamples);
  std::atomic<int64_t> ran_at{0};
  for (int i = 0; i < kLatencySamples; ++i) {
    ran_at.store(0, std::memory_order_relaxed);
    auto posted = Clock::now();
    post([&ran_at] {
      ran_at.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
    });
    int64_t when;
    while ((when = ran_at.load(std::memory_order_acquire)) == 0) std::this_thread::yield();
    samples.push_back(
        std::chrono::duration<double, std::micro>(Clock::duration(when) - posted.time_since_epoch())
            .count());
  }
  std::sort(samples.begin(), samples.end());
  return Latency{samples[samples.size() / 2], samples[samples.size() * 99 / 100]};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  nbase::MiscThread worker(nbase::kThreadMisc, "bench worker");
  if (!worker.Start()) {
    std::fprintf(stderr, "cannot start the worker thread\n");
    return 1;
  }
  std::shared_ptr<nbase::MessageLoopProxy> proxy = worker.message_loop_proxy();

  asio::io_context context(1);
  auto guard = asio::make_work_guard(context);
  std::thread asio_thread([&context] { context.run(); });

  Sink nbase_sink, registry_sink, asio_sink;
  auto post_proxy = [&proxy](auto task) { proxy->PostTask(std::move(task)); };
  auto post_registry = [](auto task) {
    nbase::ThreadRegistry::PostTask(nbase::kThreadMisc, std::move(task));
  };
  auto post_asio = [&context](auto task) { asio::post(context, std::move(task)); };

  std::vector<double> proxy_rates, registry_rates, asio_rates;
  std::vector<double> proxy_lat, proxy_p99, asio_lat, asio_p99;
  for (int round = 0; round < kRounds; ++round) {
    proxy_rates.push_back(Throughput(post_proxy, &nbase_sink));
    asio_rates.push_back(Throughput(post_asio, &asio_sink));
    registry_rates.push_back(Throughput(post_registry, &registry_sink));
    Latency n = MeasureLatency(post_proxy);
    Latency a = MeasureLatency(post_asio);
    proxy_lat.push_back(n.median_us);
    proxy_p99.push_back(n.p99_us);
    asio_lat.push_back(a.median_us);
    asio_p99.push_back(a.p99_us);
  }

  guard.reset();
  asio_thread.join();
  worker.Stop();

  double proxy_best = *std::max_element(proxy_rates.begin(), proxy_rates.end());
  double registry_best = *std::max_element(registry_rates.begin(), registry_rates.end());
  double asio_best = *std::max_element(asio_rates.begin(), asio_rates.end());
  double proxy_median = Median(proxy_rates);
  double asio_median = Median(asio_rates);

  std::printf("cross-thread posting, 1 producer -> 1 consumer, %d tasks x %d rounds\n", kTasks,
              kRounds);
  // The ratio compares medians: on a shared machine the best round of either
  // side is often an outlier of the scheduler, not of the queue.
  std::printf("%-34s %14s %14s %10s\n", "", "median tasks/s", "best tasks/s", "vs asio");
  std::printf("%-34s %14.0f %14.0f %9.2fx\n", "nbase MessageLoopProxy::PostTask", proxy_median,
              proxy_best, proxy_median / asio_median);
  std::printf("%-34s %14.0f %14.0f %9.2fx\n", "nbase ThreadRegistry::PostTask",
              Median(registry_rates), registry_best, Median(registry_rates) / asio_median);
  std::printf("%-34s %14.0f %14.0f %9.2fx\n", "asio::io_context post", asio_median, asio_best, 1.0);
  std::printf("\npost-to-run latency, one task at a time, %d samples x %d rounds (us)\n",
              kLatencySamples, kRounds);
  std::printf("%-34s %10s %10s\n", "", "median", "p99");
  std::printf("%-34s %10.2f %10.2f\n", "nbase MessageLoopProxy::PostTask", Median(proxy_lat),
              Median(proxy_p99));
  std::printf("%-34s %10.2f %10.2f\n", "asio::io_context post", Median(asio_lat), Median(asio_p99));
  std::printf("\nthroughput ratio nbase/asio (medians): %.2f; by identifier: %.2f\n",
              proxy_median / asio_median, Median(registry_rates) / asio_median);
  bench::PrintMetric("post_nbase_tasks_per_s", proxy_median);
  bench::PrintMetric("post_asio_tasks_per_s", asio_median);
  // Keep the sinks observable so the tasks' work is not optimised away.
  return (nbase_sink.sum ^ registry_sink.sum ^ asio_sink.sum) == 1 ? 2 : 0;
}
