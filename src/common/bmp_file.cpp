#include "common/bmp_file.h"

#include <algorithm>
#include <atomic>
#include <string>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace talvex::render {

namespace {

std::atomic<int> failingWrites{0};

bool TakeWriteFailure() {
    int left = failingWrites.load();
    while (left > 0)
        if (failingWrites.compare_exchange_weak(left, left - 1)) return true;
    return false;
}

// A name next to the target (so that the final rename stays on one file
// system) that no other save of this process or another one uses.
std::string TemporaryName(const std::string& target, unsigned long process) {
    static std::atomic<unsigned> counter{0};
    return target + "." + std::to_string(process) + "." + std::to_string(counter++) + ".tmp";
}

#if defined(_WIN32)

// The target as it is now: absent, a regular file, or something else.
enum class Existing { None, File, Other };

Existing Examine(const std::string& path) {
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Existing::None : Existing::Other;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool file = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) &&
                      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(handle);
    return file ? Existing::File : Existing::Other;
}

HResult WriteAndReplace(const std::string& path, const std::vector<uint8_t>& bytes) {
    const Existing existing = Examine(path);
    if (existing == Existing::Other) return kNotAFile;
    const std::string temporary = TemporaryName(path, GetCurrentProcessId());
    const HANDLE out = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
    if (out == INVALID_HANDLE_VALUE) return kCannotWriteFile;
    bool written = !TakeWriteFailure();
    for (size_t at = 0; written && at < bytes.size();) {
        DWORD done = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        written = WriteFile(out, bytes.data() + at, chunk, &done, nullptr) && done > 0;
        at += done;
    }
    written = written && FlushFileBuffers(out);
    written = CloseHandle(out) && written;
    if (written && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return kOk;
    DeleteFileA(temporary.c_str());
    return kCannotWriteFile;
}

#else

HResult WriteAndReplace(std::string path, const std::vector<uint8_t>& bytes) {
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        // A link to a picture: the picture is replaced, the link stays. A
        // link to nothing is left as it is rather than replaced by a file.
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) == nullptr) return kCannotWriteFile;
        path = resolved;
    }
    const bool exists = stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) return kNotAFile;
    const std::string temporary = TemporaryName(path, static_cast<unsigned long>(getpid()));
    // Created with the mode a new file gets (the umask applies), or with the
    // mode of the picture it replaces.
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) return kCannotWriteFile;
    bool written = !TakeWriteFailure();
    if (written && exists) written = fchmod(out, status.st_mode & 07777) == 0;
    for (size_t at = 0; written && at < bytes.size();) {
        const ssize_t done = write(out, bytes.data() + at, bytes.size() - at);
        if (done < 0 && errno == EINTR) continue;
        written = done > 0;
        if (written) at += static_cast<size_t>(done);
    }
    written = written && fsync(out) == 0;
    written = close(out) == 0 && written;
    if (written && rename(temporary.c_str(), path.c_str()) == 0) return kOk;
    unlink(temporary.c_str());
    return kCannotWriteFile;
}

#endif

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

size_t RoundUpTo4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

}  // namespace

std::vector<uint8_t> EncodeBmp(int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch) {
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    const size_t rowBytes = RoundUpTo4(3 * w);
    const size_t fileSize = RoundUpTo4(54 + h * rowBytes);
    std::vector<uint8_t> out(fileSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(fileSize));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(w));
    Put32(out, 22, static_cast<uint32_t>(h));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 38, 2834);
    Put32(out, 42, 2834);
    for (size_t row = 0; row < h; ++row) {
        // Bottom row of the picture first.
        const uint32_t* source = pixels + (h - 1 - row) * static_cast<size_t>(pitch);
        uint8_t* target = out.data() + 54 + row * rowBytes;
        for (size_t x = 0; x < w; ++x) {
            target[3 * x] = static_cast<uint8_t>(source[x]);
            target[3 * x + 1] = static_cast<uint8_t>(source[x] >> 8);
            target[3 * x + 2] = static_cast<uint8_t>(source[x] >> 16);
        }
    }
    return out;
}

HResult WriteBmpFile(const char* path, int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch) {
    if (path == nullptr || pixels == nullptr) return kInvalidCall;
    return WriteAndReplace(path, EncodeBmp(width, height, pixels, pitch));
}

void FailNextPictureWrites(int count) { failingWrites = count; }

}  // namespace talvex::render
