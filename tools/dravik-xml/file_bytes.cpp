#include "file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include <sys/stat.h>

namespace dravik_xml {
namespace {

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

std::string describe_open_failure(int error_number) {
    switch (error_number) {
        case ENOENT:
            return "no such file; check the name and the directory";
        case EACCES:
            return "permission denied; check the file's permissions";
        default:
            return std::string(std::strerror(error_number)) + "; check the file";
    }
}

}  // namespace

bool read_file_bytes(const std::string& path, std::string* bytes, std::string* problem) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        *problem = describe_open_failure(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        *problem = "is a directory; give the XML files in it, for example " + path + "/*.xml";
        return false;
    }
    // The reader takes its length as unsigned int.
    if (static_cast<unsigned long long>(status.st_size) >
        std::numeric_limits<unsigned int>::max()) {
        *problem = "too large to load (4 GiB or more)";
        return false;
    }
    const file_handle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        *problem = describe_open_failure(errno);
        return false;
    }
    bytes->clear();
    char buffer[1 << 16];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes->append(buffer, count);
    if (std::ferror(file.get())) {
        *problem = std::string("read failed (") + std::strerror(errno) + "); check the file";
        return false;
    }
    return true;
}

}  // namespace dravik_xml
