#pragma once

#include <QLockFile>
#include <memory>

#include "fleet/fleet_platform.h"

namespace kamt {

class QtFleetPlatform : public FleetPlatform {
 public:
  std::unique_ptr<Store> OpenStore(const std::string& path) override;
  std::unique_ptr<Store> OpenStoreToRead(const std::string& path) override;
  std::unique_ptr<WorkerPool> MakePool(const std::string& path, int size) override;
  // A lock file beside the database (PATH.lock) with the holder's process id: one left by a
  // collector that was killed is taken over, since its process is gone.
  // A server's database is shared by its collectors through their claims: no lock.
  bool LockDatabase(const std::string& path, std::string& holder) override;
  // Needs a QGuiApplication (fonts): kamt makes one for `statement`.
  std::string WritePdf(const std::string& html, const std::string& path) override;
  std::string CollectorName() override;

 private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace kamt
