#include "text/text_file.h"

#include <atomic>
#include <chrono>
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
#include <signal.h>
#include <unistd.h>
#define KAMT_GETPID getpid
#endif

namespace kamt {
namespace {

// A temporary is named after its final name, the writing process and a count of its writes:
// "KAMTarchH123.txt.tmp4711-0".
constexpr std::string_view kTemporaryMark = ".tmp";

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temp = path;
  temp += std::string(kTemporaryMark) + std::to_string(KAMT_GETPID()) + "-" + std::to_string(counter++);
  return temp;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process that wrote a temporary of `finalName` called `name`, when it is one of ours.
std::optional<long long> WriterOf(std::string_view name, std::string_view finalName) {
  if (!name.starts_with(finalName)) return std::nullopt;
  name.remove_prefix(finalName.size());
  if (!name.starts_with(kTemporaryMark)) return std::nullopt;
  name.remove_prefix(kTemporaryMark.size());
  const auto dash = name.find('-');
  if (dash == std::string_view::npos || dash > 9 || !AllDigits(name.substr(0, dash)) || !AllDigits(name.substr(dash + 1))) {
    return std::nullopt;
  }
  return std::stoll(std::string(name.substr(0, dash)));
}

// Writing a file takes seconds at the most: a temporary untouched for an hour has no writer
// left, whoever wrote it (a process number can be taken again by another program).
constexpr auto kAbandonedAfter = std::chrono::hours(1);

bool WriterIsGone(long long pid, const std::filesystem::path& temp) {
#ifndef _WIN32
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return true;
#else
  (void)pid;
#endif
  std::error_code ec;
  const auto written = std::filesystem::last_write_time(temp, ec);
  return !ec && std::filesystem::file_time_type::clock::now() - written > kAbandonedAfter;
}

// A write killed half-way (power cut, SIGKILL) leaves its temporary behind, where nothing else
// would ever remove it. Only temporaries of this very name are touched, and only those whose
// writer is gone: one still being written by another process is left alone, and this process
// writes one name at a time.
void RemoveStaleTemporaries(const std::filesystem::path& path) {
  const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  const std::string finalName = path.filename().string();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path entry = it->path();
    const auto writer = WriterOf(entry.filename().string(), finalName);
    if (!writer || *writer == KAMT_GETPID() || !it->is_regular_file(ec)) continue;
    std::error_code removeError;
    if (WriterIsGone(*writer, entry)) std::filesystem::remove(entry, removeError);
  }
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
  RemoveStaleTemporaries(path);
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

SmallFile ReadSmallFile(const std::filesystem::path& path, std::size_t limit) {
  SmallFile file;
  std::ifstream in(path, std::ios::binary);
  if (!in) return file;
  std::string bytes(limit + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return file;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > limit) {
    file.tooLarge = true;
    return file;
  }
  file.bytes = std::move(bytes);
  return file;
}

}  // namespace kamt
