// Saving a document to a file: links, owners, permissions, long names and what interrupted
// saves leave behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Generated/flash-invoke.h"
#include "saved_documents.h"

namespace {

using lmx_test::read_file;

// A fresh directory per test, removed with everything in it.
class c_scratch_directory {
public:
    explicit c_scratch_directory(const std::string& name)
        : m_path(::testing::TempDir() + "document_saving_" + name + "/") {
        remove_all();
        ::mkdir(m_path.c_str(), 0755);
    }
    ~c_scratch_directory() { remove_all(); }
    std::string operator/(const std::string& name) const { return m_path + name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        if (DIR* listing = ::opendir(m_path.c_str())) {
            while (const dirent* entry = ::readdir(listing)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(listing);
        }
        return names;
    }

private:
    void remove_all() const {
        for (const std::string& name : entries())
            std::remove((m_path + name).c_str());
        ::rmdir(m_path.c_str());
    }
    std::string m_path;
};

const char k_call[] =
    "<invoke name=\"play\" returntype=\"xml\"><arguments><number>1</number></arguments></invoke>";

lmx::elmx_error save(const std::string& path) {
    lmx::elmx_error error = lmx::ELMX_OK;
    flash_lmx::c_invoke call(std::string(k_call), &error);
    EXPECT_EQ(error, lmx::ELMX_OK);
    return call.marshal(path.c_str());
}

void write_text(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

bool is_link(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

struct stat status_of(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status;
}

// A process id that no process has any more.
long ended_process_id() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int ignored = 0;
    ::waitpid(child, &ignored, 0);
    return child;
}

TEST(DocumentSaving, SymbolicLinksAreFollowedAndStayLinks) {
    c_scratch_directory dir("links");
    write_text(dir / "real.xml", "old");
    ASSERT_EQ(::symlink("real.xml", (dir / "relative.xml").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "relative.xml").c_str(), (dir / "chain.xml").c_str()), 0);

    ASSERT_EQ(save(dir / "chain.xml"), lmx::ELMX_OK);
    EXPECT_TRUE(is_link(dir / "chain.xml"));
    EXPECT_TRUE(is_link(dir / "relative.xml"));
    EXPECT_NE(read_file(dir / "real.xml").find("<invoke name=\"play\""), std::string::npos);

    // A link to a file that does not exist yet creates that file.
    ASSERT_EQ(::symlink("new.xml", (dir / "dangling.xml").c_str()), 0);
    ASSERT_EQ(save(dir / "dangling.xml"), lmx::ELMX_OK);
    EXPECT_TRUE(is_link(dir / "dangling.xml"));
    EXPECT_EQ(read_file(dir / "new.xml"), read_file(dir / "real.xml"));

    // A loop of links names no file: the save fails and changes nothing.
    ASSERT_EQ(::symlink("loop-b", (dir / "loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", (dir / "loop-b").c_str()), 0);
    EXPECT_EQ(save(dir / "loop-a"), lmx::ELMX_UNABLE_TO_OPEN_FILE);
    EXPECT_TRUE(is_link(dir / "loop-a"));
    EXPECT_EQ(dir.entries().size(), 7u);  // no temporary file left
}

TEST(DocumentSaving, PermissionsOwnerAndGroupAreKept) {
    c_scratch_directory dir("owner");
    const std::string path = dir / "settings.xml";
    write_text(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const bool may_give_away = ::geteuid() == 0;
    if (may_give_away) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    }
    const struct stat before = status_of(path);

    ASSERT_EQ(save(path), lmx::ELMX_OK);
    const struct stat after = status_of(path);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not rewritten in place
}

TEST(DocumentSaving, TheLongestValidNameCanBeSaved) {
    c_scratch_directory dir("long");
    const std::string name = std::string(251, 'n') + ".xml";  // 255 bytes, the most there is
    ASSERT_EQ(save(dir / name), lmx::ELMX_OK);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
    // Two long names that differ only at their end get temporaries of their own.
    const std::string other = std::string(251, 'n') + ".bak";
    EXPECT_NE(lmx::temporary_name_prefix(dir / name), lmx::temporary_name_prefix(dir / other));
    EXPECT_LE(lmx::temporary_name_prefix(dir / name).size() - (dir / "").size() + 14, 255u);
}

TEST(DocumentSaving, LeftoversOfInterruptedSavesAreRemovedByTheNextSave) {
    c_scratch_directory dir("leftovers");
    const std::string path = dir / "call.xml";
    const std::string prefix = lmx::temporary_name_prefix(path);
    const std::string ended = prefix + std::to_string(ended_process_id()) + "-0.tmp";
    const std::string running = prefix + std::to_string(::getppid()) + "-0.tmp";
    const std::string own = prefix + std::to_string(::getpid()) + "-7.tmp";
    const std::string other_target = lmx::temporary_name_prefix(dir / "other.xml") +
                                     std::to_string(ended_process_id()) + "-0.tmp";
    for (const std::string& temporary : {ended, running, own, other_target})
        write_text(temporary, "partial");

    ASSERT_EQ(save(path), lmx::ELMX_OK);
    EXPECT_NE(::access(ended.c_str(), F_OK), 0) << "the ended save's temporary was not removed";
    EXPECT_EQ(::access(running.c_str(), F_OK), 0) << "a save in progress lost its temporary";
    EXPECT_EQ(::access(own.c_str(), F_OK), 0) << "another thread's save lost its temporary";
    EXPECT_EQ(::access(other_target.c_str(), F_OK), 0) << "another file's temporary was removed";
}

}  // namespace

namespace {

// Reading faults are errors of their own, never a shorter document.
TEST(DocumentLoading, AFileThatCannotBeReadIsNotAnEmptyDocument) {
    c_scratch_directory dir("unreadable");
    lmx::elmx_error error = lmx::ELMX_OK;
    flash_lmx::c_invoke from_directory((dir / "").c_str(), &error);
    EXPECT_EQ(error, lmx::ELMX_UNABLE_TO_OPEN_FILE);

    lmx::c_xml_reader_file reader((dir / "").c_str());
    ASSERT_TRUE(reader.is_open());  // a directory opens, but reading it fails
    flash_lmx::c_invoke invoke;
    EXPECT_EQ(invoke.unmarshal(reader), lmx::ELMX_UNABLE_TO_OPEN_FILE);
    lmx::elmx_error_type type = lmx::ELMX_TYPE_NONE;
    EXPECT_TRUE(reader.get_error_info(&type, nullptr, nullptr));
    EXPECT_EQ(type, lmx::ELMX_TYPE_FATAL);
}

}  // namespace
