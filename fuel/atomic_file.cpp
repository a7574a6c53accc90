#include "fuel/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace quelt {
namespace {

#ifdef _WIN32
using Code = DWORD;
std::string CodeText(Code code) {
  return std::error_code(static_cast<int>(code), std::system_category()).message();
}
bool IsExists(Code code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }
#else
using Code = int;
std::string CodeText(Code code) { return std::error_code(code, std::generic_category()).message(); }
bool IsExists(Code code) { return code == EEXIST; }
#endif

std::uint64_t ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<std::uint64_t>(::getpid());
#endif
}

// 16 hex digits that no other writer picks: randomness where the system has
// it, mixed with the process, the clock and a counter of this process.
std::string UniqueHex() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t v =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (ProcessId() << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
  try {
    std::random_device random;
    v ^= (static_cast<std::uint64_t>(random()) << 32) ^ random();
  } catch (...) {
    // The clock, the process and the counter still differ.
  }
  static const char* const kDigits = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, v >>= 4) hex[static_cast<std::size_t>(i)] = kDigits[v & 15];
  return hex;
}

// A name of its own beside the target, so that nobody can have prepared it.
std::filesystem::path TempName(const std::filesystem::path& folder,
                               const std::filesystem::path& hint) {
  std::filesystem::path name = hint;
  name += ".";
  name += UniqueHex();
  name += ".partial";
  return folder / name;
}

// A replaced file is a new one: the other names of a hard-linked file
// would keep the old content, parted from this one without a word.
constexpr const char* kHardLinked =
    "has more than one hard link: replacing it would part it from its other names";

std::filesystem::path FromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

#ifdef _WIN32
// A freshly made file: CREATE_NEW fails on any existing name, a link
// included, so nothing planted can receive the bytes.
std::optional<std::filesystem::path> WriteTemp(const std::filesystem::path& folder,
                                               const std::filesystem::path& hint,
                                               std::string_view bytes, Code& code) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path temp = TempName(folder, hint);
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      code = GetLastError();
      if (IsExists(code)) continue;
      return std::nullopt;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) != FALSE && written > 0;
      done += written;
    }
    // On the disk, not only in the cache: a backup is kept for a bad day.
    if (ok) ok = FlushFileBuffers(h) != FALSE;
    if (!ok) code = GetLastError();
    if (CloseHandle(h) == FALSE && ok) ok = false, code = GetLastError();
    if (ok) return temp;
    DeleteFileW(temp.c_str());
    return std::nullopt;
  }
  return std::nullopt;
}

Code Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExW(from.c_str(), to.c_str(), flags) != FALSE ? 0 : GetLastError();
}

void Remove(const std::filesystem::path& path) { DeleteFileW(path.c_str()); }

// MoveFileExW keeps nothing of the replaced file's attributes worth carrying
// over: a read-only file refuses the move itself.
Code KeepMode(const std::filesystem::path&, const std::filesystem::path&) { return 0; }

Code SyncFolder(const std::filesystem::path&) { return 0; }  // MOVEFILE_WRITE_THROUGH did it
#else
std::optional<std::filesystem::path> WriteTemp(const std::filesystem::path& folder,
                                               const std::filesystem::path& hint,
                                               std::string_view bytes, Code& code) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path temp = TempName(folder, hint);
    // O_EXCL with O_NOFOLLOW: a name that exists, a link included, is
    // never opened, so nothing planted can receive the bytes.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      code = errno;
      if (IsExists(code)) continue;
      return std::nullopt;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) done += static_cast<std::size_t>(n);
    }
    if (!ok) code = errno != 0 ? errno : EIO;
    // On the disk, not only in the cache: a backup is kept for a bad day.
    if (ok && ::fsync(fd) != 0) ok = false, code = errno;
    if (::close(fd) != 0 && ok) ok = false, code = errno;
    if (ok) return temp;
    ::unlink(temp.c_str());
    return std::nullopt;
  }
  return std::nullopt;
}

Code Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  // A file system without the no-replace rename: a new hard link fails on
  // an existing name too.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void Remove(const std::filesystem::path& path) { ::unlink(path.c_str()); }

// The file a replacement takes the place of keeps its permissions: a
// report kept private stays private.
Code KeepMode(const std::filesystem::path& from, const std::filesystem::path& temp) {
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  return ::chmod(temp.c_str(), st.st_mode & 07777) == 0 ? 0 : errno;
}

Code SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  Code code = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // Some file systems cannot flush a folder; their moves are as durable as
  // they get.
  if (code == EINVAL || code == ENOTSUP) code = 0;
  return code;
}
#endif

}  // namespace

bool IsWindowsDeviceName(std::string_view fileName) {
  std::string_view base = fileName.substr(0, fileName.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper;
  for (const char c : base) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
         upper[3] >= '0' && upper[3] <= '9';
}

std::optional<std::string> ReplaceProblem(const std::filesystem::path& path) {
  if (IsWindowsDeviceName(PathText(path.filename()))) return std::string("is the name of a device");
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return std::string("is a link: it is neither followed nor replaced");
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::string("is a folder, not a file");
  if (attributes & FILE_ATTRIBUTE_DEVICE) return std::string("is a device, not a file");
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info{};
    const bool linked = GetFileInformationByHandle(h, &info) != FALSE && info.nNumberOfLinks > 1;
    CloseHandle(h);
    if (linked) return std::string(kHardLinked);
  }
#else
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) {
    return std::string("is a symbolic link: it is neither followed nor replaced");
  }
  if (S_ISDIR(st.st_mode)) return std::string("is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return std::string("is not a regular file (a device or a pipe?)");
  if (st.st_nlink > 1) return std::string(kHardLinked);
#endif
  return std::nullopt;
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

bool WriteFileWhole(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                    Existing existing) {
  auto fail = [&](const std::string& why) {
    if (error) *error = PathText(path) + ": " + why;
    return false;
  };
  if (auto problem = ReplaceProblem(path)) return fail(*problem);
  if (path.filename().empty()) return fail("names no file");
  const std::filesystem::path folder = path.parent_path();
  const bool replace = existing == Existing::Replace;
  Code code = 0;
  const auto temp = WriteTemp(folder.empty() ? "." : folder, path.filename(), bytes, code);
  if (!temp) return fail(CodeText(code));
  if ((replace && (code = KeepMode(path, *temp)) != 0) ||
      (code = Move(*temp, path, replace)) != 0) {
    Remove(*temp);
    if (!replace && IsExists(code)) return fail("exists: it is not replaced");
    return fail(CodeText(code));
  }
  if ((code = SyncFolder(folder)) != 0) return fail(CodeText(code));
  return true;
}

std::string PlatformLineEnds(std::string_view text) {
#ifdef _WIN32
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
#else
  return std::string(text);
#endif
}

bool WriteTextFileWhole(const std::filesystem::path& path, std::string_view text,
                        std::string* error, Existing existing) {
  return WriteFileWhole(path, PlatformLineEnds(text), error, existing);
}

std::optional<std::filesystem::path> WriteNewFile(const std::filesystem::path& folder,
                                                  const std::function<std::string(int)>& name,
                                                  int tries, std::string_view bytes,
                                                  std::string* error) {
  Code code = 0;
  const auto temp = WriteTemp(folder, FromUtf8(name(1)), bytes, code);
  if (!temp) {
    if (error) *error = PathText(folder) + ": " + CodeText(code);
    return std::nullopt;
  }
  for (int n = 1; n <= tries; ++n) {
    const std::filesystem::path path = folder / FromUtf8(name(n));
    code = Move(*temp, path, false);
    if (code == 0) {
      if ((code = SyncFolder(folder)) != 0) {
        if (error) *error = PathText(folder) + ": " + CodeText(code);
        return std::nullopt;
      }
      return path;
    }
    if (!IsExists(code)) break;
  }
  Remove(*temp);
  if (error) {
    *error = PathText(folder) + ": " +
             (IsExists(code) ? "every free name is taken (" + std::to_string(tries) + " tried)"
                             : CodeText(code));
  }
  return std::nullopt;
}

std::string WorkstationName() {
#ifdef _WIN32
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return PathText(std::filesystem::path(std::wstring(name, size)));
#else
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
#endif
}

}  // namespace quelt
