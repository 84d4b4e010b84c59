#pragma once

#include <memory>
#include <string>

namespace kamt {

class Store;
class WorkerPool;

// What the collector and the export need from the platform: the database and threads.
class FleetPlatform {
 public:
  virtual ~FleetPlatform() = default;
  // `path` is an SQLite file or a database server's address (DatabaseAddress).
  // A connection to the database at path, made with its schema when new; throws StoreError.
  virtual std::unique_ptr<Store> OpenStore(const std::string& path) = 0;
  // A connection that only reads (export): it writes nothing, not even a newer schema.
  virtual std::unique_ptr<Store> OpenStoreToRead(const std::string& path) = 0;
  // Workers that each open a connection of their own to the database at path.
  virtual std::unique_ptr<WorkerPool> MakePool(const std::string& path, int size) = 0;
  // Takes the database for this collector alone, until the process ends; false, with who
  // holds it, when another collector has it.
  virtual bool LockDatabase(const std::string& path, std::string& holder) = 0;
  // Prints an HTML page (the statement) into a PDF file, whole or not at all: empty when
  // done, else why not.
  virtual std::string WritePdf(const std::string& html, const std::string& path) = 0;
  // This collector's name in the claims of a shared database: its host and process.
  virtual std::string CollectorName() = 0;
};

}  // namespace kamt
