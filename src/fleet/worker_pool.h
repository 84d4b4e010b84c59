#pragma once

#include <cstddef>
#include <functional>

namespace kamt {

class ClientSocket;
class Clock;
class SerialPort;
class Store;

// What one worker of the pool owns: devices and a database connection of its own, since a
// device and a connection belong to the thread that made them.
struct Workbench {
  SerialPort& port;
  ClientSocket& socket;
  Clock& clock;
  Store& store;
};

class WorkerPool {
 public:
  virtual ~WorkerPool() = default;
  // Runs work(i, bench) once for every i below count, up to the pool's size at once; returns
  // when all are done. Throws StoreError when a worker's database connection cannot be made.
  virtual void Run(std::size_t count, const std::function<void(std::size_t, Workbench&)>& work) = 0;
};

}  // namespace kamt
