#pragma once

#include <string>

#include "fleet/worker_pool.h"

namespace kamt {

// Worker threads (QThread), each with its own serial port, TCP client, clock and database
// connection, made in the thread that uses them: Qt's devices and SQL connections belong to
// the thread that made them. Their waits run that thread's own events. The database must have
// been opened once before (FleetPlatform::OpenStore), which makes its schema.
class QtWorkerPool : public WorkerPool {
 public:
  QtWorkerPool(std::string databasePath, int size) : path_(std::move(databasePath)), size_(size) {}
  void Run(std::size_t count, const std::function<void(std::size_t, Workbench&)>& work) override;

 private:
  std::string path_;
  int size_;
};

}  // namespace kamt
