#include "platform/qt_worker_pool.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "fleet/store.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "platform/sql_store.h"

namespace kamt {
namespace {

// A worker waits on the network almost all the time: a small stack is plenty.
constexpr unsigned kStackSize = 1024 * 1024;

}  // namespace

void QtWorkerPool::Run(std::size_t count, const std::function<void(std::size_t, Workbench&)>& work) {
  std::atomic<std::size_t> next = 0;
  std::mutex mutex;
  std::string error;
  bool unreachable = false;
  const auto worker = [&] {
    try {
      QtSerialPort port;
      QtClientSocket socket;
      QtClock clock;
      SqlStore store(path_, SqlStore::Open::Prepared);
      Workbench bench{port, socket, clock, store};
      for (std::size_t i = next++; i < count; i = next++) work(i, bench);
    } catch (const std::exception& e) {
      const std::lock_guard lock(mutex);
      if (error.empty()) {
        error = e.what();
        const auto* store = dynamic_cast<const StoreError*>(&e);
        unreachable = store && store->Unreachable();
      }
      next = count;
    }
  };
  const auto threads = std::min<std::size_t>(count, static_cast<std::size_t>(std::max(size_, 1)));
  std::vector<std::unique_ptr<QThread>> pool;
  for (std::size_t t = 0; t < threads; ++t) {
    pool.emplace_back(QThread::create(worker));
    pool.back()->setStackSize(kStackSize);
    pool.back()->start();
  }
  for (auto& thread : pool) thread->wait();
  if (!error.empty()) throw StoreError(error, unreachable);
}

}  // namespace kamt
