#include "lmx/writing/document_saving.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <memory>
#include <new>
#include <vector>

namespace lmx {

namespace {

// Longer chains of symbolic links are taken for a loop, as the system itself does.
constexpr int k_max_link_hops = 40;
// The longest file name the file systems in use accept, in bytes.
constexpr std::size_t k_max_name_length = 255;
// What a temporary name adds to the part of the target's name it keeps: ".", ".", a 16-digit
// hash, ".lmx-", a process id of up to 10 digits, "-", an attempt of up to 3 digits, ".tmp".
constexpr std::size_t k_temporary_name_overhead = 1 + 1 + 16 + 5 + 10 + 1 + 3 + 4;
constexpr unsigned k_attempts = 100;

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// FNV-1a: a stable, well-spread hash, so that two long names cut to the same prefix still get
// different temporary names.
std::uint64_t name_hash(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool read_link(const std::string& path, std::string* destination) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) return false;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            destination->assign(buffer.data(), static_cast<std::size_t>(length));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool is_process_gone(long pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Removes the temporaries of saves of the same target whose process has ended; those of live
// processes, this one included (another thread may be saving), are left alone.
void remove_leftover_temporaries(const std::string& prefix) {
    const std::string directory = directory_of(prefix);
    const std::string stem = prefix.substr(directory.size());
    // Closed on every way out, running out of memory included.
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(
        ::opendir(directory.empty() ? "." : directory.c_str()), ::closedir);
    if (!listing) return;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.compare(0, stem.size(), stem) != 0) continue;
        const long pid = std::strtol(name.c_str() + stem.size(), nullptr, 10);
        if (pid != ::getpid() && is_process_gone(pid)) ::unlink((directory + name).c_str());
    }
}

// A new file beside the target, removed unless it has been renamed over the target. It gets
// the target's permissions, owner and group when the target exists (the owner only where the
// process may set it), else those of any new file, without touching the process-wide umask.
class c_temporary_file {
public:
    explicit c_temporary_file(const std::string& target) {
        struct stat target_status;
        const bool target_exists = ::stat(target.c_str(), &target_status) == 0;
        const mode_t mode = target_exists ? (target_status.st_mode & 07777) : 0666;
        const std::string prefix = temporary_name_prefix(target);
        // O_EXCL makes every name ours alone, even against other threads saving the same file.
        for (unsigned attempt = 0; attempt < k_attempts && !m_created; ++attempt) {
            m_name = prefix + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
            const int descriptor =
                ::open(m_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (descriptor < 0) {
                if (errno != EEXIST) return;
                continue;
            }
            if (target_exists) {
                // Changing the owner may clear set-id bits, so the mode comes after it.
                if (::fchown(descriptor, target_status.st_uid, target_status.st_gid) != 0)
                    (void)!::fchown(descriptor, static_cast<uid_t>(-1), target_status.st_gid);
                ::fchmod(descriptor, mode);
            }
            ::close(descriptor);
            m_created = true;
        }
    }
    c_temporary_file(const c_temporary_file&) = delete;
    c_temporary_file& operator=(const c_temporary_file&) = delete;
    ~c_temporary_file() {
        if (m_created) std::remove(m_name.c_str());
    }
    bool created() const { return m_created; }
    const std::string& name() const { return m_name; }
    // Puts the written bytes on the disk before the rename, so that a crash leaves either the
    // old document or the new one, never an empty file.
    bool sync() const {
        const int descriptor = ::open(m_name.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return false;
        const bool synced = ::fsync(descriptor) == 0;
        return ::close(descriptor) == 0 && synced;
    }
    bool replace(const std::string& target) {
        if (std::rename(m_name.c_str(), target.c_str()) != 0) return false;
        m_created = false;
        // The rename itself is made durable with the directory; a failure here loses nothing.
        const std::string directory = directory_of(target);
        const int descriptor =
            ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor >= 0) {
            ::fsync(descriptor);
            ::close(descriptor);
        }
        return true;
    }

private:
    std::string m_name;
    bool m_created = false;
};

}  // namespace

std::string resolve_save_target(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < k_max_link_hops; ++hop) {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::string destination;
        if (!read_link(current, &destination) || destination.empty()) return std::string();
        current = destination[0] == '/' ? destination : directory_of(current) + destination;
    }
    return std::string();
}

std::string temporary_name_prefix(const std::string& target) {
    static const char k_hex_digits[] = "0123456789abcdef";
    const std::string directory = directory_of(target);
    const std::string name = target.substr(directory.size());
    std::string hash(16, '0');
    std::uint64_t value = name_hash(name);
    for (std::size_t i = hash.size(); i-- > 0; value >>= 4)
        hash[i] = k_hex_digits[value & 0xF];
    return directory + "." + name.substr(0, k_max_name_length - k_temporary_name_overhead) + "." +
           hash + ".lmx-";
}

namespace {

elmx_error save_to_file(const char* file_name, document_writer write, const void* document) {
    const std::string target = resolve_save_target(file_name);
    if (target.empty()) return ELMX_UNABLE_TO_OPEN_FILE;
    remove_leftover_temporaries(temporary_name_prefix(target));
    c_temporary_file temporary(target);
    if (!temporary.created()) return ELMX_UNABLE_TO_OPEN_FILE;
    std::ofstream os(temporary.name(), std::ios::binary | std::ios::trunc);
    if (!os.is_open()) return ELMX_UNABLE_TO_OPEN_FILE;
    os.imbue(std::locale::classic());
    const elmx_error error = write(os, document);
    if (error != ELMX_OK) return error;
    os.flush();
    const bool written = os.good();
    os.close();
    if (!written || os.fail() || !temporary.sync()) return ELMX_UNABLE_TO_OPEN_FILE;
    if (!temporary.replace(target)) return ELMX_UNABLE_TO_OPEN_FILE;
    return ELMX_OK;
}

}  // namespace

elmx_error save_document_file(const char* file_name, document_writer write,
                              const void* document) noexcept {
    if (!file_name || !*file_name) return ELMX_UNABLE_TO_OPEN_FILE;
    // Running out of memory is an error like any other: the temporary file is removed on the
    // way out and the target stays as it was.
    try {
        return save_to_file(file_name, write, document);
    } catch (const std::bad_alloc&) {
        return ELMX_UNDEFINED_ERROR;
    }
}

}  // namespace lmx
