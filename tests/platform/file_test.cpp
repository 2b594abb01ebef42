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
    // Opens `name` in the test directory; checks the status and, on failure,
    // returns the error number through `code`.
    OCIFileObject *Open(const char *name, ub4 mode, ub4 create, sb4 *code = nullptr, ub4 type = OCI_FILE_BIN) {
        OCIFileObject *file = nullptr;
        const sword rc = OCIFileOpen(env, err, &file, T(name), T(dir.c_str()), mode, create, type);
        if (code != nullptr) *code = rc == OCI_SUCCESS ? 0 : ErrorCode(err);
        else EXPECT_EQ(rc, OCI_SUCCESS) << name;
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
    sword Seek(OCIFileObject *file, uword origin, ubig_ora offset, sb1 dir_) {
        return OCIFileSeek(env, err, file, origin, offset, dir_);
    }

    std::string dir;
};

TEST_F(FileTest, EveryCallButSeekNeedsTheSwitch) {
    OCIFileObject *file = Open("a", OCI_FILE_READ_WRITE, OCI_FILE_CREATE);
    ASSERT_EQ(OCIFileTerm(env, err), OCI_SUCCESS);
    char buf[4];
    ub4 count = 0;
    ub1 flag = 0;
    ubig_ora length = 0;
    sb4 code = 0;
    EXPECT_EQ(Open("a", OCI_FILE_READ_ONLY, OCI_FILE_CREATE, &code), nullptr);
    EXPECT_EQ(code, 30162);
    auto uninitialised = [&](sword rc) {
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(ErrorCode(err), 30162);
    };
    uninitialised(OCIFileRead(env, err, file, buf, sizeof buf, &count));
    uninitialised(OCIFileWrite(env, err, file, buf, sizeof buf, &count));
    uninitialised(OCIFileExists(env, err, T("a"), T(dir.c_str()), &flag));
    uninitialised(OCIFileGetLength(env, err, T("a"), T(dir.c_str()), &length));
    uninitialised(OCIFileFlush(env, err, file));
    uninitialised(OCIFileClose(env, err, file));
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_BEGINNING, 0, OCI_FILE_FORWARD), OCI_SUCCESS);

    ASSERT_EQ(OCIFileInit(env, err), OCI_SUCCESS);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    void *session = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &session, OCI_HTYPE_SESSION, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIFileInit(session, err), OCI_INVALID_HANDLE);  // only an environment
}

TEST_F(FileTest, OpenRefusesUnknownModesOptionsAndTypes) {
    struct Case {
        ub4 mode, create, type;
    } refused[] = {
        {OCI_FILE_READ_WRITE, 0, OCI_FILE_BIN},     // no creation option
        {OCI_FILE_READ_WRITE, 0x10, OCI_FILE_BIN},  // unknown option
        {0, OCI_FILE_CREATE, OCI_FILE_BIN},
        {4, OCI_FILE_CREATE, OCI_FILE_TEXT},
        {OCI_FILE_READ_WRITE, OCI_FILE_CREATE, 5},
        {OCI_FILE_READ_ONLY, OCI_FILE_CREATE | OCI_FILE_TRUNCATE, OCI_FILE_BIN},
    };
    for (const Case &c : refused) {
        sb4 code = 0;
        EXPECT_EQ(Open("x", c.mode, c.create, &code, c.type), nullptr);
        EXPECT_EQ(code, 30150) << c.mode << " " << c.create << " " << c.type;
    }
    OCIFileObject *file = nullptr;
    EXPECT_EQ(OCIFileOpen(env, err, &file, T("x"), nullptr, OCI_FILE_READ_ONLY, OCI_FILE_CREATE, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_FALSE(std::filesystem::exists(dir + "/x"));
}

TEST_F(FileTest, CreationOptionsAndErrorTranslation) {
    sb4 code = 0;
    EXPECT_EQ(Open("missing", OCI_FILE_READ_WRITE, OCI_FILE_APPEND, &code), nullptr);
    EXPECT_EQ(code, 30152);
    EXPECT_NE(FirstRecord(err).text.find("30152: file not found"), std::string::npos);

    // Exclusive creation works once, then finds the file.
    OCIFileObject *file = Open("excl", OCI_FILE_WRITE_ONLY, OCI_FILE_EXCL);
    Write(file, "abc");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    EXPECT_EQ(Open("excl", OCI_FILE_WRITE_ONLY, OCI_FILE_EXCL, &code), nullptr);
    EXPECT_EQ(code, 30151);

    // Create keeps the contents, truncate (combined with create) drops them.
    file = Open("excl", OCI_FILE_READ_ONLY, OCI_FILE_CREATE);
    EXPECT_EQ(Read(file, 10), "abc");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    file = Open("excl", OCI_FILE_READ_WRITE, OCI_FILE_CREATE | OCI_FILE_TRUNCATE);
    EXPECT_EQ(Read(file, 10), "");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    std::filesystem::create_directory(dir + "/sub");
    EXPECT_EQ(Open("sub", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE, &code), nullptr);
    EXPECT_EQ(code, 30155);  // EISDIR, like any error without its own number

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
    OCIFileObject *file = Open("data", OCI_FILE_READ_WRITE, OCI_FILE_CREATE);
    Write(file, "0123456789abcdefghij");
    EXPECT_EQ(OCIFileFlush(env, err, file), OCI_SUCCESS);
    std::ifstream in(dir + "/data");  // the name is path, slash, file name
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0123456789abcdefghij");
    EXPECT_EQ(OCIFileExists(env, err, T("data"), T(dir.c_str()), &flag), OCI_SUCCESS);
    EXPECT_EQ(flag, TRUE);
    ubig_ora length = 0;
    EXPECT_EQ(OCIFileGetLength(env, err, T("data"), T(dir.c_str()), &length), OCI_SUCCESS);
    EXPECT_EQ(length, 20u);

    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_END, 10, OCI_FILE_BACKWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 4), "abcd");
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_CURRENT, 3, OCI_FILE_BACKWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 2), "bc");
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_BEGINNING, 5, OCI_FILE_FORWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 3), "567");

    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_BEGINNING, 1, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(Seek(file, 4, 1, OCI_FILE_FORWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_END, ~ubig_ora{0}, OCI_FILE_BACKWARD), OCI_ERROR);  // cannot be negated
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_BEGINNING, 1, OCI_FILE_BACKWARD), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30157);  // EINVAL
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    // Append writes at the end wherever the position was.
    file = Open("data", OCI_FILE_READ_WRITE, OCI_FILE_APPEND);
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_BEGINNING, 0, OCI_FILE_FORWARD), OCI_SUCCESS);
    Write(file, "XY");
    EXPECT_EQ(Seek(file, OCI_FILE_SEEK_END, 3, OCI_FILE_BACKWARD), OCI_SUCCESS);
    EXPECT_EQ(Read(file, 5), "jXY");
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

    // A failed read reports all ones as its count.
    file = Open("data", OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE);
    char buf[4];
    ub4 got = 0;
    EXPECT_EQ(OCIFileRead(env, err, file, buf, sizeof buf, &got), OCI_ERROR);
    EXPECT_EQ(got, 0xFFFFFFFFu);
    EXPECT_EQ(ErrorCode(err), 30155);  // EBADF
    EXPECT_EQ(OCIFileRead(env, err, file, nullptr, sizeof buf, &got), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30150);
    EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
}

TEST_F(FileTest, StandardStreamsAreLentNotClosed) {
    const ub4 types[] = {OCI_FILE_STDIN, OCI_FILE_STDOUT, OCI_FILE_STDERR};
    for (int fd = 0; fd < 3; fd++) {
        const bool wasOpen = fcntl(fd, F_GETFD) != -1;
        OCIFileObject *file = nullptr;
        ASSERT_EQ(OCIFileOpen(env, err, &file, nullptr, nullptr, 0, 0, types[fd]), OCI_SUCCESS);
        ub4 written = 99;
        if (fd > 0) {
            EXPECT_EQ(OCIFileWrite(env, err, file, T(""), 0, &written), OCI_SUCCESS);
        }
        EXPECT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
        EXPECT_EQ(fcntl(fd, F_GETFD) != -1, wasOpen) << "descriptor " << fd;
    }
}

}  // namespace
