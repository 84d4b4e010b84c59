#include "text/text_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "text/cp1251.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#define KAMT_GETPID _getpid
#else
#include <unistd.h>
#define KAMT_GETPID getpid
#endif

namespace kamt {
namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(KAMT_GETPID()) + "-" + std::to_string(counter++);
  return temp;
}

bool SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// Writes and flushes to the disk, so that the rename publishes bytes that are really there.
bool WriteAndSync(const std::filesystem::path& temp, std::string_view bytes, std::string* error,
                  WriteFailure& failure) {
  std::FILE* f = std::fopen(temp.string().c_str(), "wb");
  failure = f ? WriteFailure::Write : WriteFailure::Create;
  if (!f) return SetError(error, std::strerror(errno));
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
  int saved = errno;
#ifdef _WIN32
  ok = ok && _commit(_fileno(f)) == 0;
#else
  ok = ok && fsync(fileno(f)) == 0;
#endif
  if (!ok) saved = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  return ok || SetError(error, std::strerror(saved ? saved : EIO));
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                         WriteFailure* failure) {
  const std::filesystem::path temp = TemporaryBeside(path);
  std::error_code ec;
  WriteFailure step = WriteFailure::None;
  if (!WriteAndSync(temp, bytes, error, step)) {
    if (failure) *failure = step;
    std::filesystem::remove(temp, ec);
    return false;
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    // The final name cannot be had (a folder of that name, say): as if it could not be made.
    if (failure) *failure = WriteFailure::Create;
    std::filesystem::remove(temp, ec);
    return SetError(error, ec.message());
  }
  if (failure) *failure = WriteFailure::None;
  return true;
}

bool WriteTextFile(const std::filesystem::path& path, std::string_view utf8Text, std::string* error,
                   WriteFailure* failure) {
  return WriteFileAtomically(path, Utf8ToCp1251(utf8Text), error, failure);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(bytes).str();
}

}  // namespace kamt
