// OCIFile: the initialised switch, opening with access modes and creation
// options, reading, writing, seeking, the error translation and the standard
// streams. Every file lives in a fresh temporary directory.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <oci1.h>

#include "platform_fixture.h"

using namespace platform_test;

namespace {

OraText *T(const char *s) { return reinterpret_cast<OraText *>(const_cast<char *>(s)); }

class FileTest : public EnvTest {
protected:
    void SetUp() override {
        EnvTest::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "ocifile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ASSERT_EQ(OCIFileInit(env, err), OCI_SUCCESS);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        EnvTest::TearDown();
    }

    OCIFileObject *Open(const char *name, ub4 mode, ub4 create, sword expect = OCI_SUCCESS) {
        OCIFileObject *file = nullptr;
        EXPECT_EQ(OCIFileOpen(env, err, &file, T(name), T(dir.c_str()), mode, create, OCI_FILE_BIN), expect);
        return file;
    }
    void Write(OCIFileObject *file, const std::string &text) {
        ub4 written = 0;
        EXPECT_EQ(OCIFileWrite(env, err, file, const_cast<char *>(text.data()), text.size(), &written), OCI_SUCCESS);
        EXPECT_EQ(written, text.size());
    }
    std::string Read(OCIFileObject *file, ub4 size) {
        std::string buf(size, '\0');
        ub4 got = 0;
        EXPECT_EQ(OCIFileRead(env, err, file, buf.data(), size, &got), OCI_SUCCESS);
        buf.resize(got);
        return buf;
    }
    std::string Contents(const char *name) {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir;
};

TEST_F(FileTest, EveryCallButSeekNeedsTheSwitch) {
    OCIFileObject *file = Open("a", OCI_FILE_READ_WRITE, OCI_FILE_CREATE);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(OCIFileTerm(env, err), OCI_SUCCESS);

    char buf[4];
    ub4 count = 0;
    ub1 flag = 0;
    ubig_ora length = 0;
    OCIFileObject *other = nullptr;
    EXPECT_EQ(OCIFileOpen(env, err, &other, T("a"), T(dir.c_str()), OCI_FILE_READ_ONLY, OCI_FILE_CREATE, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileRead(env, err, file, buf, sizeof buf, &count), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileWrite(env, err, file, buf, sizeof buf, &count), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileExists(env, err, T("a"), T(dir.c_str()), &flag), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileGetLength(env, err, T("a"), T(dir.c_str()), &length), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileFlush(env, err, file), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30162);
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 0, OCI_FILE_FORWARD), OCI_SUCCESS);

    // The switch is per environment.
    OCIEnv *second = NewEnv();
    OCIError *secondErr = NewError(second);
    EXPECT_EQ(OCIFileExists(second, secondErr, T("a"), T(dir.c_str()), &flag), OCI_ERROR);
    EXPECT_EQ(ErrorCode(secondErr), 30162);
    OCIHandleFree(second, OCI_HTYPE_ENV);

    ASSERT_EQ(OCIFileInit(env, err), OCI_SUCCESS);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    // Only an environment is accepted, with an error handle.
    void *session = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &session, OCI_HTYPE_SESSION, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIFileInit(session, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIFileInit(env, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIFileExists(env, reinterpret_cast<OCIError *>(env), T("a"), T("."), &flag), OCI_INVALID_HANDLE);
}

TEST_F(FileTest, OpenChecksItsArguments) {
    OCIFileObject *file = nullptr;
    const OraText *d = T(dir.c_str());
    struct Case {
        ub4 mode, create, type;
    } refused[] = {
        {OCI_FILE_READ_WRITE, 0, OCI_FILE_BIN},                    // no creation option
        {OCI_FILE_READ_WRITE, 0x10, OCI_FILE_BIN},                 // unknown option
        {0, OCI_FILE_CREATE, OCI_FILE_BIN},                        // no access mode
        {4, OCI_FILE_CREATE, OCI_FILE_TEXT},                       // unknown access mode
        {OCI_FILE_READ_WRITE, OCI_FILE_CREATE, 5},                 // unknown type
        {OCI_FILE_READ_ONLY, OCI_FILE_CREATE | OCI_FILE_TRUNCATE, OCI_FILE_BIN},
    };
    for (const Case &c : refused) {
        file = reinterpret_cast<OCIFileObject *>(&file);
        EXPECT_EQ(OCIFileOpen(env, err, &file, T("x"), const_cast<OraText *>(d), c.mode, c.create, c.type), OCI_ERROR);
        EXPECT_EQ(ErrorCode(err), 30150) << c.mode << " " << c.create << " " << c.type;
        EXPECT_EQ(file, nullptr);
    }
    EXPECT_EQ(OCIFileOpen(env, err, nullptr, T("x"), T("."), OCI_FILE_READ_ONLY, OCI_FILE_CREATE, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileOpen(env, err, &file, nullptr, T("."), OCI_FILE_READ_ONLY, OCI_FILE_CREATE, 0), OCI_ERROR);
    EXPECT_EQ(OCIFileOpen(env, err, &file, T("x"), nullptr, OCI_FILE_READ_ONLY, OCI_FILE_CREATE, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_FALSE(std::filesystem::exists(dir + "/x"));
}

TEST_F(FileTest, CreationOptionsAndErrorTranslation) {
    // Missing without a creating option.
    Open("missing", OCI_FILE_READ_WRITE, OCI_FILE_APPEND, OCI_ERROR);
    Record record = FirstRecord(err);
    EXPECT_EQ(record.code, 30152);
    EXPECT_NE(record.text.find("30152: file not found"), std::string::npos);

    // Exclusive creation: once, then 30151.
    OCIFileObject *file = Open("excl", OCI_FILE_WRITE_ONLY, OCI_FILE_EXCL);
    ASSERT_NE(file, nullptr);
    Write(file, "abc");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    EXPECT_EQ(Open("excl", OCI_FILE_WRITE_ONLY, OCI_FILE_EXCL, OCI_ERROR), nullptr);
    EXPECT_EQ(ErrorCode(err), 30151);
    EXPECT_EQ(Open("excl", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE | OCI_FILE_EXCL, OCI_ERROR), nullptr);
    EXPECT_EQ(ErrorCode(err), 30151);

    // Create keeps what is there, truncate empties it, options combine.
    file = Open("excl", OCI_FILE_READ_ONLY, OCI_FILE_CREATE);
    EXPECT_EQ(Read(file, 10), "abc");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    file = Open("excl", OCI_FILE_READ_WRITE, OCI_FILE_CREATE | OCI_FILE_TRUNCATE);
    EXPECT_EQ(Read(file, 10), "");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    // A directory component that is not there, and a name that is a directory.
    EXPECT_EQ(Open("nodir/f", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE, OCI_ERROR), nullptr);
    EXPECT_EQ(ErrorCode(err), 30152);
    std::filesystem::create_directory(dir + "/sub");
    EXPECT_EQ(Open("sub", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE, OCI_ERROR), nullptr);
    EXPECT_EQ(ErrorCode(err), 30155);  // EISDIR: any other error

    // A full device.
    OCIFileObject *full = nullptr;
    if (OCIFileOpen(env, err, &full, T("full"), T("/dev"), OCI_FILE_WRITE_ONLY, OCI_FILE_APPEND, 0) == OCI_SUCCESS) {
        ub4 written = 0;
        EXPECT_EQ(OCIFileWrite(env, err, full, T("x"), 1, &written), OCI_ERROR);
        EXPECT_EQ(written, 0xFFFFFFFFu);
        EXPECT_EQ(ErrorCode(err), 30156);
        EXPECT_EQ(OCIFileClose(env, err, full), OCI_SUCCESS);
    }
}

TEST_F(FileTest, ReadWriteSeekLengthAndExistence) {
    ub1 flag = TRUE;
    EXPECT_EQ(OCIFileExists(env, err, T("data"), T(dir.c_str()), &flag), OCI_SUCCESS);
    EXPECT_EQ(flag, FALSE);
    ubig_ora length = 99;
    EXPECT_EQ(OCIFileGetLength(env, err, T("data"), T(dir.c_str()), &length), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30152);

    OCIFileObject *file = Open("data", OCI_FILE_READ_WRITE, OCI_FILE_CREATE);
    ASSERT_NE(file, nullptr);
    Write(file, "0123456789abcdefghij");
    EXPECT_EQ(OCIFileFlush(env, err, file), OCI_SUCCESS);
    // The name is the path, a slash and the file name.
    EXPECT_EQ(Contents("data"), "0123456789abcdefghij");
    EXPECT_EQ(OCIFileExists(env, err, T("data"), T(dir.c_str()), &flag), OCI_SUCCESS);
    EXPECT_EQ(flag, TRUE);
    EXPECT_EQ(OCIFileGetLength(env, err, T("data"), T(dir.c_str()), &length), OCI_SUCCESS);
    EXPECT_EQ(length, 20u);

    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_END, 10, OCI_FILE_BACKWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 4), "abcd");
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_CURRENT, 3, OCI_FILE_BACKWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 2), "bc");
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 5, OCI_FILE_FORWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 3), "567");
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_CURRENT, 2, OCI_FILE_FORWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 1), "a");
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_END, 0, OCI_FILE_FORWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 5), "");

    // Refused directions, origins and positions.
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 1, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileSeek(env, err, file, 4, 1, OCI_FILE_FORWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, ~ubig_ora{0}, OCI_FILE_BACKWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 1, OCI_FILE_BACKWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30157);  // EINVAL
    EXPECT_EQ(OCIFileSeek(env, err, nullptr, OCI_FILE_SEEK_BEGINNING, 1, OCI_FILE_FORWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    // Append writes at the end wherever the position was.
    file = Open("data", OCI_FILE_READ_WRITE, OCI_FILE_APPEND);
    EXPECT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 0, OCI_FILE_FORWARD), OCI_SUCCESS);
    Write(file, "XY");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    EXPECT_EQ(Contents("data"), "0123456789abcdefghijXY");

    // A read on a write-only file fails with all ones as its count.
    file = Open("data", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE);
    char buf[4];
    ub4 got = 0;
    EXPECT_EQ(OCIFileRead(env, err, file, buf, sizeof buf, &got), OCI_ERROR);
    EXPECT_EQ(got, 0xFFFFFFFFu);
    EXPECT_EQ(ErrorCode(err), 30155);  // EBADF
    EXPECT_EQ(OCIFileRead(env, err, file, nullptr, sizeof buf, &got), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileWrite(env, err, file, buf, sizeof buf, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileExists(env, err, T("data"), T(dir.c_str()), nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileClose(env, err, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
}

TEST_F(FileTest, StandardStreamsAreLentNotClosed) {
    const ub4 types[] = {OCI_FILE_STDIN, OCI_FILE_STDOUT, OCI_FILE_STDERR};
    for (int fd = 0; fd < 3; fd++) {
        const bool wasOpen = fcntl(fd, F_GETFD) != -1;
        OCIFileObject *file = nullptr;
        ASSERT_EQ(OCIFileOpen(env, err, &file, nullptr, nullptr, 0, 0, types[fd]), OCI_SUCCESS);
        ASSERT_NE(file, nullptr);
        if (fd > 0) {
            ub4 written = 99;
            EXPECT_EQ(OCIFileWrite(env, err, file, T(""), 0, &written), OCI_SUCCESS);
            EXPECT_EQ(written, 0u);
        }
        EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
        EXPECT_EQ(fcntl(fd, F_GETFD) != -1, wasOpen) << "descriptor " << fd << " was closed";
    }
}

}  // namespace
